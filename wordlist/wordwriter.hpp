#pragma once
// The words of a line, one per output line, gathered in a large buffer and
// written to a stream in blocks.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

namespace wordlist {

class WordWriter {
 public:
  explicit WordWriter(std::FILE* out);

  // Writes every word of the line, up to its first '#', followed by a line
  // feed. Words are separated by blanks (spaces) only. The line is at most
  // 999 bytes long.
  void words(std::string_view line);

  // Hands everything gathered to the stream; a failed write stops the
  // program.
  void flush();

  // Flushes the stream too, so that everything written so far has reached
  // the device or a failure has stopped the program.
  void finish();

 private:
  std::FILE* out_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

}  // namespace wordlist
