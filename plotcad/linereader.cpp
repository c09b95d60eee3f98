#include "plotcad/linereader.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "toolkit/diagnostics.hpp"

namespace plotcad {

LineReader::LineReader(std::FILE* file, std::string_view generic_name)
    : file_(file), name_(generic_name), buffer_(new char[room + slack]()) {}

bool LineReader::fill() {
  pos_ = 0;
  end_ = std::fread(buffer_.get(), 1, room, file_);
  if (end_ == 0 && std::ferror(file_)) toolkit::errmsg("Error reading file - " + std::string(name_));
  return end_ > 0;
}

bool LineReader::next() {
  constexpr std::size_t most = toolkit::line_limit - 1;
  std::size_t n = 0;
  while (n < most) {
    if (pos_ == end_ && !fill()) break;
    const std::size_t avail = std::min(end_ - pos_, most - n);
    const char* from = buffer_.get() + pos_;
    const void* lf = std::memchr(from, '\n', avail);
    const std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) + 1 : avail;
    std::memcpy(line_.data() + n, from, take);
    n += take;
    pos_ += take;
    if (lf) break;
  }
  line_[n] = '\0';
  length_ = n;
  if (n == 0) return false;
  ++number_;
  // The ERROR block numbers lines in 32 bits; beyond, it names none.
  const int line = number_ <= INT_MAX ? static_cast<int>(number_) : 0;

  const char* text = line_.data();
  if (std::memchr(text, '\0', n) != nullptr) toolkit::errmsg("NUL byte in the line", line);
  const void* cr = std::memchr(text, '\r', n);
  if (cr != nullptr) {
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - text);
    const bool line_end = at == n - 1 || (at == n - 2 && text[n - 1] == '\n');
    if (!line_end) toolkit::errmsg("Carriage return inside a line (line ends must be LF or CR LF)", line);
  }
  return true;
}

bool LineReader::peek(const char*& text, std::size_t& length) {
  if (pos_ == end_ && !fill()) return false;
  const std::size_t avail = std::min(end_ - pos_, toolkit::line_limit - 1);
  const char* from = buffer_.get() + pos_;
  const void* lf = std::memchr(from, '\n', avail);
  if (lf == nullptr) return false;
  text = from;
  length = static_cast<std::size_t>(static_cast<const char*>(lf) - from) + 1;
  peeked_ = length;
  return true;
}

void LineReader::skip() {
  pos_ += peeked_;
  length_ = peeked_;
  peeked_ = 0;
  line_[0] = '\0';
  ++number_;
}

}  // namespace plotcad
