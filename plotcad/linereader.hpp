#pragma once
// Line reads of the job's input files (curve data, plot options) with the
// suite's 1000-byte limit, refusing what would silently lose data.

#include <cstdio>

#include "toolkit/scanning.hpp"

namespace plotcad {

// Reads one line per call into a buffer of its own. Two things stop the
// program, with the number of the read: a NUL byte (the rest of the line
// would be invisible to every routine that takes the line as a text), and a
// carriage return anywhere but just before the line end. Files with old
// CR-only line ends come as many lines in one read, and cutting that read at
// its first CR would drop the rest without a word.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file) {}

  // Reads the next line; false at the end of the file.
  bool next();

  toolkit::LineBuf& line() { return line_; }
  char* text() { return line_.data(); }

  // Number of reads so far: the line number of the current line.
  int number() const { return number_; }

 private:
  std::FILE* file_;
  toolkit::LineBuf line_{};
  int number_ = 0;
};

// Gives an input file a read buffer large enough for files of gigabytes.
void bigbuf(std::FILE* file);

}  // namespace plotcad
