#pragma once
// Line reads of the job's input files (curve data, plot options) with the
// suite's 1000-byte limit, refusing what would silently lose data.

#include <cstdio>
#include <memory>
#include <string_view>

#include "toolkit/scanning.hpp"

namespace plotcad {

// Reads one line per call: at most 999 bytes up to and including the line
// feed, as every reader of the suite does, through a large buffer of its
// own. Three things stop the program: a read error (named by the file's
// generic name), a NUL byte (the rest of the line would be invisible to
// every routine that takes the line as a text), and a carriage return
// anywhere but just before the line end, with the number of the read. Files
// with old CR-only line ends come as many lines in one read, and cutting
// that read at its first CR would drop the rest without a word.
class LineReader {
 public:
  LineReader(std::FILE* file, std::string_view generic_name);

  // Reads the next line; false at the end of the file.
  bool next();

  // The next line, when it lies whole in the read buffer with its line feed
  // within the length of a line read: its text and length (the line feed
  // included), without reading it. The caller then either consumes it with
  // skip() or reads it with next() as usual. For callers that take most
  // lines as they stand and need no copy of them. The eight bytes after the
  // line can be read.
  bool peek(const char*& text, std::size_t& length);

  // Consumes the line that peek gave, which counts as a line read. The
  // caller has checked what it takes from the line: skip makes none of the
  // checks of next(), and line() and text() give an empty line after it.
  void skip();

  toolkit::LineBuf& line() { return line_; }
  char* text() { return line_.data(); }
  // Bytes of the current line, its line end included.
  std::size_t length() const { return length_; }

  // Number of reads so far: the line number of the current line.
  long long number() const { return number_; }

 private:
  bool fill();

  static constexpr std::size_t room = 1 << 18;
  // Bytes after the buffer that may be read (never used): a peeked line can
  // be read in words of eight characters up to its end.
  static constexpr std::size_t slack = 8;
  std::FILE* file_;
  std::string_view name_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  toolkit::LineBuf line_{};
  std::size_t length_ = 0;
  std::size_t peeked_ = 0;
  long long number_ = 0;
};

}  // namespace plotcad
