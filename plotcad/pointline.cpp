#include "plotcad/pointline.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace plotcad {

namespace {

// The usual real form at p ([+-]digits[.digits][e[+-]ddd], at most 2^53 as
// an integer of its digits, a power of ten within 1e22), converted; the end
// of the form, or nullptr when what stands at p is not of this form (the
// caller decides whether the form ends its word).
const char* scanreal(const char* p, double& value) {
  static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr std::uint64_t exact = std::uint64_t{1} << 53;
  // Fifteen digits stay below 2^53: only a longer mantissa needs the check
  // of every digit.
  constexpr long unchecked = 15;
  auto digit = [](char c) { return static_cast<unsigned char>(c - '0') <= 9; };
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  std::uint64_t m = 0;
  const char* const first = p;
  for (; digit(*p); ++p) m = m * 10 + static_cast<std::uint64_t>(*p - '0');
  long digits = p - first;
  long decimals = 0;
  if (*p == '.') {
    const char* const point = ++p;
    for (; digit(*p); ++p) m = m * 10 + static_cast<std::uint64_t>(*p - '0');
    decimals = p - point;
    digits += decimals;
  }
  if (digits == 0) return nullptr;
  if (digits > unchecked) {
    // Again digit by digit: the value must never pass 2^53 on the way.
    std::uint64_t checked = 0;
    for (const char* q = first; q != p; ++q) {
      if (*q == '.') continue;
      checked = checked * 10 + static_cast<std::uint64_t>(*q - '0');
      if (checked > exact) return nullptr;
    }
  }
  int scale = -static_cast<int>(std::min(decimals, 1000L));
  if (*p == 'e' || *p == 'E') {
    ++p;
    const bool down = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    int e = 0;
    int n = 0;
    for (; digit(*p); ++p, ++n)
      if (n < 3) e = e * 10 + (*p - '0');
    if (n < 1 || n > 3) return nullptr;
    scale += down ? -e : e;
  }
  if (scale < -22 || scale > 22) return nullptr;
  double v = static_cast<double>(m);
  v = scale < 0 ? v / powers[-scale] : v * powers[scale];
  value = negative ? -v : v;
  return p;
}

// Digit runs of up to seven characters, read eight characters at a time
// (the caller guarantees that eight bytes past the end of the text can be
// read; they are not used).
struct Run {
  std::uint64_t value;
  int length;
};

// The leading digits of the eight characters at p (length 8 when all are
// digits, and then no value).
Run digit_run(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  // Digits become 0 to 9; every other byte 10 or more, which the addition
  // (that never carries out of a byte) or its own top bit marks.
  const std::uint64_t x = word ^ 0x3030303030303030ULL;
  const std::uint64_t other = (((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL;
  if (other == 0) return {0, 8};
  const int length = std::countr_zero(other) / 8;
  if (length == 0) return {0, 0};
  // The digits behind zeros in eight places, then pairs, fours and the
  // eight combined by multiplications.
  std::uint64_t v = x << (8 * (8 - length));
  v = v * 10 + (v >> 8);
  v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
       (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
      32;
  return {v & 0xFFFFFFFFULL, length};
}

// scanreal for the usual words of a point line: at most seven digits before
// and after the point, no exponent; any other word goes to scanreal. The
// same mantissa and power of ten, so the same value.
const char* scanreal_runs(const char* p, double& value) {
  static constexpr double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
  static constexpr std::uint64_t scales[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
  if constexpr (std::endian::native != std::endian::little) return scanreal(p, value);
  const char* const start = p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  const Run whole = digit_run(p);
  if (whole.length == 8) return scanreal(start, value);
  p += whole.length;
  std::uint64_t m = whole.value;
  int decimals = 0;
  if (*p == '.') {
    ++p;
    const Run fraction = digit_run(p);
    if (fraction.length == 8) return scanreal(start, value);
    p += fraction.length;
    m = m * scales[fraction.length] + fraction.value;
    decimals = fraction.length;
  }
  if (whole.length + decimals == 0) return nullptr;
  if (*p == 'e' || *p == 'E') return scanreal(start, value);
  double v = static_cast<double>(m);
  v = decimals > 0 ? v / powers[decimals] : v * powers[0];
  value = negative ? -v : v;
  return p;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool fastpair(const char* line, std::size_t length, double& x, double& y, bool& whole) {
  if (length > 980) return false;  // longer lines are splitw's to refuse
  double first;
  double second;
  const char* p = line;
  while (blank(*p)) ++p;
  p = scanreal_runs(p, first);
  if (p == nullptr || !blank(*p)) return false;
  while (blank(*p)) ++p;
  p = scanreal_runs(p, second);
  if (p == nullptr) return false;
  while (blank(*p)) ++p;
  if (!(*p == '\0' || *p == '\n' || *p == '\r' || *p == '#')) return false;
  whole = *p == '\n' && p == line + length - 1;
  x = first;
  y = second;
  return true;
}

}  // namespace plotcad
