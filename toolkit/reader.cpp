#include "toolkit/reader.hpp"

#include <algorithm>
#include <cstring>

#include "toolkit/diagnostics.hpp"
#include "toolkit/platform.hpp"

namespace toolkit {

namespace {

constexpr std::size_t most = line_limit - 1;

}  // namespace

Reader::Reader(std::FILE* file, std::string_view generic_name)
    : file_(file), failure_("Error reading file - " + std::string(generic_name)), buffer_(new char[block + slack]) {}

Reader::Reader(StandardInput input) : failure_(input.failure), buffer_(new char[block + slack]) {}

bool Reader::fill() {
  const std::size_t rest = end_ - pos_;
  std::memmove(buffer_.get(), buffer_.get() + pos_, rest);
  pos_ = 0;
  end_ = rest;
  if (at_end_) return false;
  char* const into = buffer_.get() + end_;
  const std::size_t room = block - end_;
  long long got;
  if (file_ != nullptr) {
    got = static_cast<long long>(std::fread(into, 1, room, file_));
    if (got == 0 && std::ferror(file_)) got = -1;
  } else {
    got = platform::readin(into, room);
  }
  if (got < 0 && !failure_.empty()) errmsg(failure_);
  if (got <= 0) {
    at_end_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  // The bytes that a reader of a peeked line may see past the data.
  std::memset(buffer_.get() + end_, 0, slack);
  return true;
}

int Reader::getslow() { return fill() ? static_cast<unsigned char>(buffer_[pos_++]) : -1; }

bool Reader::ready() const {
  const std::size_t available = end_ - pos_;
  return available >= most || std::memchr(buffer_.get() + pos_, '\n', available) != nullptr;
}

std::string_view Reader::piece() {
  for (;;) {
    const char* start = buffer_.get() + pos_;
    const std::size_t available = end_ - pos_;
    std::size_t n = 0;
    if (const void* lf = std::memchr(start, '\n', std::min(available, most))) {
      n = static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
    } else if (available >= most) {
      n = most;
    } else if (!fill()) {
      // What is left: a last line without line end, or nothing.
      start = buffer_.get() + pos_;
      n = end_ - pos_;
    } else {
      continue;
    }
    pos_ += n;
    if (n > 0) ++count_;
    return {start, n};
  }
}

std::size_t Reader::read(char* into, std::size_t size) {
  if (pos_ == end_ && !at_end_ && file_ != nullptr) {
    // Nothing held: straight from the file, without a copy through the block.
    const std::size_t got = std::fread(into, 1, size, file_);
    if (got == 0 && std::ferror(file_) && !failure_.empty()) errmsg(failure_);
    at_end_ = got == 0;
    return got;
  }
  if (!more()) return 0;
  const std::size_t n = std::min(size, end_ - pos_);
  std::memcpy(into, buffer_.get() + pos_, n);
  pos_ += n;
  return n;
}

std::string_view Reader::peekln() {
  if (pos_ == end_ && !fill()) return {};
  const char* start = buffer_.get() + pos_;
  const void* lf = std::memchr(start, '\n', std::min(end_ - pos_, most));
  if (lf == nullptr) return {};
  return {start, static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1};
}

std::size_t Reader::getln(LineBuf& line) {
  const std::string_view p = piece();
  std::memcpy(line.data(), p.data(), p.size());
  line[p.size()] = '\0';
  return p.size();
}

bool Reader::token(std::string_view& word) {
  // The position and the end are kept in locals while scanning: stores to
  // the members could alias the characters read, and would be redone for
  // every character.
  const char* b = buffer_.get();
  std::size_t pos = pos_;
  std::size_t end = end_;
  for (;;) {
    while (pos < end && space(b[pos])) ++pos;
    if (pos < end) break;
    pos_ = end_;
    if (!fill()) return false;
    pos = pos_;
    end = end_;
  }
  std::size_t start = pos;
  for (;;) {
    while (pos < end && !space(b[pos])) ++pos;
    if (pos < end || pos - start > token_limit) break;
    // The token runs to the end of what was read: keep it, moved to the
    // front, and read on.
    const std::size_t scanned = pos - start;
    pos_ = start;
    const bool more = fill();
    start = 0;
    pos = scanned;
    end = end_;
    if (!more) break;
  }
  const std::size_t length = std::min(pos - start, token_limit + 1);
  word = std::string_view(b + start, length);
  pos_ = start + length;
  return true;
}

void Reader::skipln() {
  while (more()) {
    const char* b = buffer_.get();
    if (const void* lf = std::memchr(b + pos_, '\n', end_ - pos_)) {
      pos_ = static_cast<std::size_t>(static_cast<const char*>(lf) - b) + 1;
      return;
    }
    pos_ = end_;
  }
}

std::int64_t Reader::unread() const {
  if (file_ == nullptr) return -1;
  const std::int64_t rest = platform::unread(file_);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(end_ - pos_);
}

}  // namespace toolkit
