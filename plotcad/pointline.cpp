#include "plotcad/pointline.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "toolkit/exactreal.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

namespace {

static_assert(std::endian::native == std::endian::little, "digit_run reads the first character in the lowest byte");

// The mantissa and the power of ten must be exact doubles (see exactreal).
using toolkit::exact_mantissa;
using toolkit::exact_powers;
// Fifteen digits stay below 10^15 < 2^53: only a longer mantissa needs the
// check of every digit.
constexpr long unchecked_digits = 15;
// The exponent digits of a number word (chkrea takes one to three).
constexpr int exponent_digits = 3;

bool digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// The usual real form at p ([+-]digits[.digits][e[+-]ddd], at most 2^53 as
// an integer of its digits, a power of ten within 1e22), converted; the end
// of the form, or nullptr when what stands at p is not of this form (the
// caller decides whether the form ends its word).
const char* scanreal(const char* p, double& value) {
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
  if (digits > unchecked_digits) {
    // Again digit by digit: the value must never pass 2^53 on the way.
    std::uint64_t checked = 0;
    for (const char* q = first; q != p; ++q) {
      if (*q == '.') continue;
      checked = checked * 10 + static_cast<std::uint64_t>(*q - '0');
      if (checked > exact_mantissa) return nullptr;
    }
  }
  // Beyond 1000 decimals the scale is out of reach anyway; the bound keeps
  // it within an int.
  int scale = -static_cast<int>(std::min(decimals, 1000L));
  if (*p == 'e' || *p == 'E') {
    ++p;
    const bool down = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    int e = 0;
    int n = 0;
    for (; digit(*p); ++p, ++n)
      if (n < exponent_digits) e = e * 10 + (*p - '0');
    if (n < 1 || n > exponent_digits) return nullptr;
    scale += down ? -e : e;
  }
  double v;
  if (!toolkit::exactreal(m, scale, v)) return nullptr;
  value = negative ? -v : v;
  return p;
}

// A run of up to seven digits, read eight characters at a time (the caller
// guarantees that eight bytes past the end of the text can be read; they are
// not used).
struct Run {
  std::uint64_t value;
  int length;
};

// The leading digits of the eight characters at p (length 8 when all are
// digits, and then no value). The eight characters are one 64-bit word, the
// first in its lowest byte, worked on as eight bytes at once.
Run digit_run(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  // Digits become 0 to 9 (their code 0x30 to 0x39 with 0x30 taken off by
  // the exclusive or); every other byte 10 or more. Adding 0x76 (128 - 10)
  // to the low seven bits of each byte sets its top bit exactly when the
  // byte is 10 or more, without a carry into the next byte; a byte whose
  // own top bit was set is marked by the or.
  const std::uint64_t x = word ^ 0x3030303030303030ULL;
  const std::uint64_t other = (((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL;
  if (other == 0) return {0, 8};
  const int length = std::countr_zero(other) / 8;
  if (length == 0) return {0, 0};
  // The digits are shifted to the top of the word, behind zeros, so that
  // every run is combined as one of eight digits. Then three steps: each
  // byte times 10 plus the next gives the two-digit values (in every second
  // byte), each pair times 100 plus the next the four-digit values, and
  // each four times 10^4 plus the next the eight-digit value. The last two
  // steps are one multiplication each by constants that hold both factors,
  // one per 32-bit half: 100 + 10^6 * 2^32 and 1 + 10^4 * 2^32.
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
  static constexpr std::uint64_t scales[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
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
  // At most 14 digits and 7 decimals: exact operands, as in scanreal.
  const double v = static_cast<double>(m) / exact_powers[decimals];
  value = negative ? -v : v;
  return p;
}

}  // namespace

bool fastpair(const char* line, std::size_t length, double& x, double& y, bool& whole) {
  if (length > toolkit::word_line_limit) return false;  // longer lines are splitw's to refuse
  double first;
  double second;
  const char* p = line;
  while (toolkit::blank(*p)) ++p;
  p = scanreal_runs(p, first);
  if (p == nullptr || !toolkit::blank(*p)) return false;
  while (toolkit::blank(*p)) ++p;
  p = scanreal_runs(p, second);
  if (p == nullptr) return false;
  while (toolkit::blank(*p)) ++p;
  if (!(*p == '\0' || *p == '\n' || *p == '\r' || *p == '#')) return false;
  whole = *p == '\n' && p == line + length - 1;
  x = first;
  y = second;
  return true;
}

}  // namespace plotcad
