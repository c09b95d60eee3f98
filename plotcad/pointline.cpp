#include "plotcad/pointline.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "toolkit/digitrun.hpp"
#include "toolkit/exactreal.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

namespace {

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

// Runs of digits are read eight characters at a time (the caller
// guarantees that eight bytes past the end of the text can be read; they are
// not used).
using toolkit::digit_run;
using Run = toolkit::DigitRun;

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
