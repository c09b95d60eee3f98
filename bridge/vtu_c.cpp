// The C entry of the .vtu writer, for Python's ctypes (python/pptools/vtu.py).

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <sstream>
#include <string>

#include "bridge/records.hpp"
#include "bridge/vtu.hpp"

namespace {

void tell(const std::string& what, char* message, std::size_t size) {
  if (size == 0) return;
  std::size_t n = std::min(what.size(), size - 1);
  std::memcpy(message, what.data(), n);
  message[n] = '\0';
}

// "count name vtk position..." a line.
bridge::vtu::Kinds kinds_of(const char* text) {
  bridge::vtu::Kinds kinds;
  std::istringstream lines(text ? text : "");
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    int count = 0, vtk = 0;
    bridge::vtu::Kind kind;
    if (!(words >> count >> kind.name >> vtk)) continue;
    kind.vtk = static_cast<std::uint8_t>(vtk);
    for (int position; words >> position;) kind.positions.push_back(position);
    kinds.choose(count, std::move(kind));
  }
  return kinds;
}

}  // namespace

extern "C" {

// Writes a drawing of a mesh file as a .vtu (pieces 0) or as a .pvtu over
// that many pieces. kinds: node counts given other cell types, a line each,
// "count meshio-name vtk-number positions..."; keep: the meshio names of the
// cells kept, comma-separated, or empty for all; compression: 0, or the
// level of zlib from 1 to 9. Returns 0, or 1 with the fault's one line in
// message (nothing of the output left).
[[gnu::visibility("default")]] int ppt_vtu_convert(const char* input, const char* output, int drawing, int pieces,
                                                   const char* kinds, const char* keep, int compression,
                                                   char* message, std::size_t size) {
  try {
    bridge::vtu::Options options;
    options.drawing = drawing;
    options.pieces = pieces;
    options.compression = compression;
    options.kinds = kinds_of(kinds);
    std::istringstream names(keep ? keep : "");
    for (std::string name; std::getline(names, name, ',');)
      if (!name.empty()) options.keep.insert(name);
    bridge::vtu::convert(input, output, options);
    return 0;
  } catch (const std::exception& fault) {
    tell(fault.what(), message, size);
  } catch (...) {
    tell("unknown fault", message, size);
  }
  return 1;
}

// Asks a conversion under way in another thread to stop (1), or clears the
// request (0) before one starts.
[[gnu::visibility("default")]] void ppt_vtu_interrupt(int stop) { bridge::vtu::interrupt(stop != 0); }

}  // extern "C"
