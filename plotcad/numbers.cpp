#include "plotcad/numbers.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace plotcad {

namespace {

// Magnitude up to which integer words are accumulated exactly.
constexpr std::int64_t clamp_limit = std::int64_t{1} << 40;

std::int64_t accumulate(const char* word) {
  const char* p = word;
  while (*p == ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > clamp_limit) value = clamp_limit;
  }
  return negative ? -value : value;
}

}  // namespace

bool toint(const char* word, std::int32_t& value) {
  const std::int64_t v = accumulate(word);
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

std::int64_t toclamp(const char* word) { return accumulate(word); }

double toreal(const char* word) {
  const char* first = word;
  while (*first == ' ') ++first;
  // from_chars takes no '+'; the conversion of the rest is the same.
  const char* digits = *first == '+' ? first + 1 : first;
  const char* last = digits + std::strlen(digits);
  double value = 0.0;
  auto [end, error] = std::from_chars(digits, last, value, std::chars_format::general);
  if (error == std::errc() && end == last) return value;
  // Out of range (either way) or a form from_chars does not take: the C
  // conversion, in the C locale the programs never leave, decides.
  return std::strtod(first, nullptr);
}

bool mayovf(const char* word) {
  const std::size_t n = std::strlen(word);
  if (n >= 200) return true;
  const char* e = std::strpbrk(word, "eE");
  if (e == nullptr) return false;
  const char* p = e + 1;
  if (*p == '+' || *p == '-') ++p;
  return std::strlen(p) >= 3;
}

}  // namespace plotcad
