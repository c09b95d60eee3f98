#include "wordlist/linereader.hpp"

#include <algorithm>
#include <cstring>

#include "toolkit/platform.hpp"
#include "toolkit/scanning.hpp"

namespace wordlist {

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

// The most bytes one read takes: the line buffer less its terminating zero.
constexpr std::size_t piece_limit = toolkit::line_limit - 1;

}  // namespace

LineReader::LineReader(int fd) : fd_(fd), buffer_(new char[block_size]) {}

std::string_view LineReader::next() {
  for (;;) {
    char* start = buffer_.get() + pos_;
    const std::size_t available = end_ - pos_;
    const std::size_t look = std::min(available, piece_limit);
    if (const void* lf = std::memchr(start, '\n', look)) {
      const std::size_t n = static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
      pos_ += n;
      return {start, n};
    }
    if (available >= piece_limit) {
      pos_ += piece_limit;
      return {start, piece_limit};
    }
    if (!fill()) {
      if (failed_) return {};
      // The last line, without line end (empty when the input ended cleanly).
      start = buffer_.get() + pos_;
      const std::size_t n = end_ - pos_;
      pos_ = end_;
      return {start, n};
    }
  }
}

bool LineReader::fill() {
  if (at_end_) return false;
  const std::size_t rest = end_ - pos_;
  std::memmove(buffer_.get(), buffer_.get() + pos_, rest);
  pos_ = 0;
  end_ = rest;
  const long long got = toolkit::platform::readin(buffer_.get() + end_, block_size - end_);
  if (got > 0) {
    end_ += static_cast<std::size_t>(got);
    return true;
  }
  if (got < 0) failed_ = true;
  at_end_ = true;
  return false;
}

}  // namespace wordlist
