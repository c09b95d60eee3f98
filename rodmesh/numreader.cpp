#include "rodmesh/numreader.hpp"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "toolkit/diagnostics.hpp"

namespace rodmesh {

namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

// No line of the formats is longer than this, so neither is a number; a
// longer token is refused without being kept whole.
constexpr std::size_t max_token = 999;

// The white space of the standard formatted reading in the C locale.
bool is_space(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Got parse_integer(std::string_view word, std::int64_t& value) {
  if (word.empty() || word.size() > max_token) return Got::bad;
  std::size_t i = 0;
  const bool negative = word[0] == '-';
  if (word[0] == '+' || word[0] == '-') ++i;
  if (i == word.size()) return Got::bad;
  // Accumulated on the negative side, which holds one more value.
  constexpr std::int64_t low = std::numeric_limits<std::int64_t>::min();
  std::int64_t v = 0;
  bool saturated = false;
  for (; i < word.size(); ++i) {
    if (!is_digit(word[i])) return Got::bad;
    const int d = word[i] - '0';
    if (v < (low + d) / 10) saturated = true;
    if (!saturated) v = v * 10 - d;
  }
  if (saturated) {
    value = negative ? low : std::numeric_limits<std::int64_t>::max();
  } else if (negative) {
    value = v;
  } else {
    value = v == low ? std::numeric_limits<std::int64_t>::max() : -v;
  }
  return Got::number;
}

Got parse_real(std::string_view word, double& value) {
  if (word.empty() || word.size() > max_token) return Got::bad;
  std::size_t i = 0;
  if (word[0] == '+' || word[0] == '-') ++i;
  std::size_t digits = 0;
  while (i < word.size() && is_digit(word[i])) ++i, ++digits;
  if (i < word.size() && word[i] == '.') {
    ++i;
    while (i < word.size() && is_digit(word[i])) ++i, ++digits;
  }
  if (digits == 0) return Got::bad;
  if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
    ++i;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < word.size() && is_digit(word[i])) ++i, ++exponent;
    if (exponent == 0) return Got::bad;
  }
  if (i != word.size()) return Got::bad;

  // from_chars takes no plus sign.
  const char* first = word.data() + (word[0] == '+' ? 1 : 0);
  const char* last = word.data() + word.size();
  auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc() && end == last) return Got::number;
  // Out of range either way: overflow is refused, while a value too small
  // for a double becomes what the C library makes of it (zero or a
  // subnormal), as the standard formatted reading would give.
  char copy[max_token + 1];
  std::memcpy(copy, word.data(), word.size());
  copy[word.size()] = '\0';
  const double v = std::strtod(copy, nullptr);
  if (!std::isfinite(v)) return Got::range;
  value = v;
  return Got::number;
}

NumReader::NumReader(std::FILE* file, std::string generic_name)
    : file_(file), name_(std::move(generic_name)), buffer_(new char[buffer_size]) {}

bool NumReader::refill() {
  if (eof_) return false;
  const std::size_t n = std::fread(buffer_.get() + end_, 1, buffer_size - end_, file_);
  if (n == 0) {
    if (std::ferror(file_)) toolkit::errmsg("Error reading file - " + name_);
    eof_ = true;
    return false;
  }
  end_ += n;
  return true;
}

bool NumReader::token(std::string_view& word) {
  char* b = buffer_.get();
  for (;;) {
    while (pos_ < end_ && is_space(b[pos_])) ++pos_;
    if (pos_ < end_) break;
    pos_ = end_ = 0;
    if (!refill()) return false;
  }
  std::size_t start = pos_;
  for (;;) {
    while (pos_ < end_ && !is_space(b[pos_])) ++pos_;
    if (pos_ < end_) break;
    // The token runs to the end of what was read: move it to the front and
    // read on, unless it is already too long to be a number.
    const std::size_t length = pos_ - start;
    if (length > max_token) break;
    std::memmove(b, b + start, length);
    start = 0;
    pos_ = end_ = length;
    if (!refill()) break;
  }
  word = std::string_view(b + start, pos_ - start);
  return true;
}

Got NumReader::integer(std::int64_t& value) {
  std::string_view word;
  if (!token(word)) return Got::end;
  return parse_integer(word, value);
}

Got NumReader::real(double& value) {
  std::string_view word;
  if (!token(word)) return Got::end;
  return parse_real(word, value);
}

bool NumReader::room(std::int64_t tokens) const {
  if (tokens < 1) return true;
  struct stat info;
  if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) return true;
  const long at = std::ftell(file_);
  if (at < 0) return true;
  const std::int64_t unread = static_cast<std::int64_t>(info.st_size) - at + static_cast<std::int64_t>(end_ - pos_);
  return unread >= 2 * tokens - 1;
}

void NumReader::skipln() {
  for (;;) {
    const char* b = buffer_.get();
    const void* lf = std::memchr(b + pos_, '\n', end_ - pos_);
    if (lf != nullptr) {
      pos_ = static_cast<std::size_t>(static_cast<const char*>(lf) - b) + 1;
      return;
    }
    pos_ = end_ = 0;
    if (!refill()) return;
  }
}

}  // namespace rodmesh
