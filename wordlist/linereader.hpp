#pragma once
// Standard input in large blocks, handed out in the pieces that line reads of
// at most 999 bytes give: up to and including the next line feed.

#include <cstddef>
#include <memory>
#include <string_view>

namespace wordlist {

class LineReader {
 public:
  explicit LineReader(int fd);

  // The next piece, as fgets with a 1000-byte buffer would read it: up to and
  // including the next line feed, at most 999 bytes, or what is left before
  // the end of the input. Empty at the end of the input or after a read
  // error. Valid until the next call.
  std::string_view next();

  // True when the input ended through a read error rather than its end.
  bool failed() const { return failed_; }

 private:
  // Keeps the unread rest and reads more after it; false when nothing more
  // will come.
  bool fill();

  int fd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool failed_ = false;
};

}  // namespace wordlist
