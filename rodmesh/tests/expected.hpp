#pragma once
// The texts that a run of rodmesh prints and writes, put together from the
// program's formats, for comparing whole outputs in the end-to-end tests.

#include <cstdio>
#include <string>
#include <vector>

#include "tests/harness/e2e.hpp"

namespace rodmesh_test {

inline std::string format(const char* fmt, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, fmt, values...);
  return text;
}

inline std::string job_line(const std::string& job) { return "\nJob name = " + job + "\n"; }

// A question of two letters, a number or a text, with the echo of the answer.
inline std::string letter(const std::string& prompt, char a, char b, char def, const std::string& echo) {
  return format("\n%s (%c/%c) [%c] ? You answered: %s\n", prompt.c_str(), a, b, def, echo.c_str());
}
inline std::string number(const std::string& prompt, const std::string& def, const std::string& echo) {
  return "\n" + prompt + " [" + def + "] ? You answered: " + echo + "\n";
}
inline std::string repeat() { return "\nERROR: repeat answer ...\n"; }

inline std::string mesh_type(const std::string& echo) {
  return letter("Mesh type (cylinders/prisms)", 'c', 'p', 'c', echo);
}
inline std::string form(const std::string& echo) { return letter("Create: b)rick or f)aces", 'b', 'f', 'f', echo); }
inline std::string menu(const std::string& echo) {
  return "\nYou may:\n\n1) - read areas  in a .eva file\n2) - read angles in a .eva file\n\n"
         "0) - ask constant dimensions\n" +
         number("Your choice", "0", echo);
}
inline std::string extension(const std::string& echo) { return "\nExtension ? You answered: " + echo + "\n"; }
inline std::string diameter(const std::string& echo) { return number("Diameter of the cylinders", "1", echo); }
inline std::string width(const std::string& echo) { return number("Width  of the base of the prisms", "1", echo); }
inline std::string height(const std::string& echo) { return number("Height of the base of the prisms", "1", echo); }
inline std::string factor(const std::string& echo) { return number("Factor that multiplies all the areas", "1", echo); }

inline std::string reading(const std::string& name) { return "\nReading file: " + name + "\n"; }
inline std::string writing(const std::string& name) { return "\nWriting file: " + name + "\n"; }
inline std::string titles(const std::string& header, const std::string& drawing) {
  return "\n" + header + "\n" + drawing + "\n";
}
inline std::string counts(int ne, int nn, int ns) {
  return format("\nNumber of      elements = %8d\nNumber of         nodes = %8d\nNumber of special nodes = %8d\n", ne, nn,
                ns);
}
inline std::string success() { return "\n### Success ###\n\n"; }
inline std::string warning(const std::string& message) { return "\nWARNING:\n" + message + "\n"; }

// Lines of the mesh file as written.
inline std::string count_line(int ne, int nn, int ns) { return format("%5d   %5d   %5d\n", ne, nn, ns); }
inline std::string element_line(int i, const std::vector<int>& nodes) {
  std::string line = format("%5d %5d   ", i, static_cast<int>(nodes.size()));
  for (int n : nodes) line += format(" %5d", n);
  return line + "\n";
}
inline std::string node_line(int i, double x, double y, double z) {
  return format("%5d %15.8lf %15.8lf %15.8lf\n", i, x, y, z);
}

// The six faces of bar k, numbered from element first on.
inline std::string face_lines(int first, int k) {
  static const std::vector<std::vector<int>> faces = {
      {1, 2, 3, 4, 5, 6, 7, 8},      {1, 2, 3, 10, 15, 14, 13, 9},     {3, 4, 5, 11, 17, 16, 15, 10},
      {5, 6, 7, 12, 19, 18, 17, 11}, {7, 8, 1, 9, 13, 20, 19, 12}, {13, 14, 15, 16, 17, 18, 19, 20}};
  std::string lines;
  for (int m = 0; m < 6; ++m) {
    std::vector<int> nodes;
    for (int n : faces[m]) nodes.push_back(n + 20 * (k - 1));
    lines += element_line(first + m, nodes);
  }
  return lines;
}
inline std::string brick_line(int k) {
  std::vector<int> nodes;
  for (int n = 1; n <= 20; ++n) nodes.push_back(n + 20 * (k - 1));
  return element_line(k, nodes);
}

}  // namespace rodmesh_test
