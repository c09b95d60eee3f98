#include "rodmesh/numreader.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include "toolkit/diagnostics.hpp"
#include "toolkit/platform.hpp"

namespace rodmesh {

namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

// No line of the formats is longer than this, so neither is a number; a
// longer token is refused without being kept whole.
constexpr std::size_t max_token = 999;

// The white space of the standard formatted reading in the C locale: the
// blank and the five controls from tab to carriage return.
bool is_space(char c) { return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t'; }

bool is_digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// Digits that cannot pass the 64-bit range, nor 2^53 for a mantissa.
constexpr std::size_t safe_integer_digits = 18;
constexpr std::size_t exact_mantissa_digits = 15;

constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

Got parse_integer(std::string_view word, std::int64_t& value) {
  if (word.empty() || word.size() > max_token) return Got::bad;
  std::size_t i = 0;
  const bool negative = word[0] == '-';
  if (word[0] == '+' || word[0] == '-') ++i;
  if (i == word.size()) return Got::bad;
  if (word.size() - i <= safe_integer_digits) {
    // The usual case: no bound can be reached.
    std::int64_t v = 0;
    for (; i < word.size(); ++i) {
      if (!is_digit(word[i])) return Got::bad;
      v = v * 10 + (word[i] - '0');
    }
    value = negative ? -v : v;
    return Got::number;
  }
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
  // The digits are gathered on the way: a mantissa of at most fifteen
  // digits is an exact double.
  std::uint64_t mantissa = 0;
  std::size_t digits = 0;
  std::size_t decimals = 0;
  while (i < word.size() && is_digit(word[i])) mantissa = mantissa * 10 + (word[i++] - '0'), ++digits;
  if (i < word.size() && word[i] == '.') {
    ++i;
    while (i < word.size() && is_digit(word[i])) mantissa = mantissa * 10 + (word[i++] - '0'), ++digits, ++decimals;
  }
  if (digits == 0) return Got::bad;
  bool plain = true;
  if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
    plain = false;
    ++i;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < word.size() && is_digit(word[i])) ++i, ++exponent;
    if (exponent == 0) return Got::bad;
  }
  if (i != word.size()) return Got::bad;

  if (plain && digits <= exact_mantissa_digits && decimals < std::size(powers_of_ten)) {
    // Both the mantissa and the power of ten are exact doubles: the one
    // correctly rounded division gives the correctly rounded value that the
    // full conversion gives.
    const double v = static_cast<double>(mantissa) / powers_of_ten[decimals];
    value = word[0] == '-' ? -v : v;
    return Got::number;
  }

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
  // The position and the end are kept in locals while scanning: stores to
  // the members could alias the characters read, and would be redone for
  // every character.
  char* b = buffer_.get();
  std::size_t pos = pos_;
  std::size_t end = end_;
  for (;;) {
    while (pos < end && is_space(b[pos])) ++pos;
    if (pos < end) break;
    pos_ = end_ = 0;
    if (!refill()) return false;
    pos = pos_;
    end = end_;
  }
  std::size_t start = pos;
  for (;;) {
    while (pos < end && !is_space(b[pos])) ++pos;
    if (pos < end) break;
    // The token runs to the end of what was read: move it to the front and
    // read on, unless it is already too long to be a number.
    const std::size_t length = pos - start;
    if (length > max_token) break;
    std::memmove(b, b + start, length);
    start = 0;
    pos_ = end_ = length;
    const bool more = refill();
    pos = pos_;
    end = end_;
    if (!more) break;
  }
  pos_ = pos;
  end_ = end;
  word = std::string_view(b + start, pos - start);
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
  const std::int64_t on_file = toolkit::platform::unread(file_);
  if (on_file < 0) return true;
  const std::int64_t unread = on_file + static_cast<std::int64_t>(end_ - pos_);
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
