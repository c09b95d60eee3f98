#pragma once
// The lines of the job's input files (curve data, plot options), read with
// the suite's 1000-byte limit and refused where they would silently lose
// data.

#include <cstdio>
#include <string_view>

#include "toolkit/reader.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

class Lines {
 public:
  Lines(std::FILE* file, std::string_view generic_name) : reader_(file, generic_name) {}

  // Reads the next line into line: at most 999 bytes up to and including
  // the line feed. False at the end of the file. A zero byte (the rest of
  // the line would be invisible to every routine that takes the line as a
  // text) or a carriage return inside the line (old CR-only line ends would
  // come as many lines in one read) stops the program, with the line's
  // number.
  bool next();

  // Reads lines until one has words and splits it into word; the number of
  // words, 0 at the end of the file.
  int words();

  // What point() gives for a usual point line: its two values, not words.
  static constexpr int pair = -1;

  // As words(), except that the usual point line (fastpair) gives its two
  // values and pair.
  int point(double& x, double& y);

  toolkit::LineBuf line{};
  toolkit::Words word{};

 private:
  toolkit::Reader reader_;
};

}  // namespace plotcad
