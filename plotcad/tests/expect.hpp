#pragma once
// Expected texts for the plotcad tests, built from the drawing's formats:
// "%15.7lf" value lines, group codes as listed, entities ending in "  0".

#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"

namespace expect {

inline std::string fix(double v) {
  char s[400];
  std::snprintf(s, sizeof s, "%15.7lf\n", v);
  return s;
}

inline const std::string opening = "  0\nSECTION\n  2\nENTITIES\n  0\n";
inline const std::string closing = "ENDSEC\n  0\nEOF\n";

inline std::string line(const std::string& layer, double x1, double y1, double x2, double y2) {
  return "LINE\n  8\n" + layer + "\n 10\n" + fix(x1) + " 20\n" + fix(y1) + " 30\n" + fix(0) + " 11\n" + fix(x2) +
         " 21\n" + fix(y2) + " 31\n" + fix(0) + "  0\n";
}

inline std::string poly(const std::string& layer, const std::vector<std::pair<double, double>>& points) {
  std::string s = "POLYLINE\n  8\n" + layer + "\n 66\n     1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 70\n     8\n  0\n";
  for (auto [x, y] : points)
    s += "VERTEX\n  8\n" + layer + "\n 10\n" + fix(x) + " 20\n" + fix(y) + " 30\n" + fix(0) + " 70\n    32\n  0\n";
  return s + "SEQEND\n  8\n" + layer + "\n  0\n";
}

inline std::string text(const std::string& layer, double x, double y, double h, const std::string& t) {
  return "TEXT\n  8\n" + layer + "\n 10\n" + fix(x) + " 20\n" + fix(y) + " 30\n" + fix(0) + " 40\n" + fix(h) +
         "  1\n" + t + "\n  0\n";
}

// The options file of a first run up to its statistics.
inline const std::string def_head = R"(
# KURVO OPTIONS

# Colors

#  0 - not displayed
#  1 - foreground
#  2 - red
#  3 - green
#  4 - blue
#  5 - cyan
#  6 - orange
#  7 - yellow

# Markers

#  0 - dot (.)
#  1 - small cross (+)
#  2 - big cross (+)
#  3 - star (*)
#  4 - circle (O)
#  5 - rotated cross (x)
#  6 - square
#  7 - rotated square
#  8 - square with central dot
#  9 - rotated square with central dot
# 10 - filled square

# Line styles

#  0 - ----------------- solid
#  1 - ................. dotted

### Data file statistics

)";

inline std::string border(double w, double h) {
  return line("BORDER", 0, 0, w, 0) + line("BORDER", w, 0, w, h) + line("BORDER", w, h, 0, h) +
         line("BORDER", 0, h, 0, 0);
}

// Runs a routine in a child process whose working directory is the scratch
// directory, so that job names stay short.
template <class Body>
harness::Outcome in_dir(const harness::Scratch& scratch, Body body, std::string_view input = {}) {
  return harness::capture(
      [&] {
        if (chdir(scratch.dir().c_str()) != 0) std::_Exit(125);
        body();
      },
      input);
}

}  // namespace expect
