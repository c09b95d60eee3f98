#pragma once
// The numbers of the record sections of a mesh file, as rodmesh reads them
// (toolkit::toint and toolkit::toreal, tokens of at most token_limit bytes),
// with a fast path for the words that the writers give.

#include <cstdint>
#include <string_view>

#include "toolkit/exactreal.hpp"
#include "toolkit/numbers.hpp"

namespace bridge {

// The general paths, toolkit::recint and toolkit::recreal, take every token
// that the fast paths leave.

inline bool digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// An integer token ([+-]digits), held at the nearest 64-bit bound beyond
// that range; false for any other token.
inline bool record_int(std::string_view token, std::int64_t& value) {
  const char* p = token.data();
  const char* const e = p + token.size();
  const bool negative = p != e && *p == '-';
  if (p != e && (*p == '+' || *p == '-')) ++p;
  // Eighteen digits cannot overflow; longer words take the general path.
  if (p == e || e - p > 18) return toolkit::recint(token, value);
  std::int64_t v = 0;
  for (; p != e; ++p) {
    if (!digit(*p)) return false;
    v = v * 10 + (*p - '0');
  }
  value = negative ? -v : v;
  return true;
}

// A real token ([+-]mantissa[e[+-]digits]) correctly rounded, bit for bit
// what toolkit::toreal gives; false for any other token. A magnitude beyond
// the range of a double gives an infinity, which the caller refuses.
inline bool record_real(std::string_view token, double& value) {
  const char* p = token.data();
  const char* const e = p + token.size();
  const bool negative = p != e && *p == '-';
  if (p != e && (*p == '+' || *p == '-')) ++p;
  std::uint64_t m = 0;
  const char* const first = p;
  for (; p != e && digit(*p); ++p) m = m * 10 + static_cast<std::uint64_t>(*p - '0');
  long digits = p - first;
  long decimals = 0;
  if (p != e && *p == '.') {
    const char* const point = ++p;
    for (; p != e && digit(*p); ++p) m = m * 10 + static_cast<std::uint64_t>(*p - '0');
    decimals = p - point;
    digits += decimals;
  }
  // Nineteen digits stay below 2^64: the mantissa is whole, and exactreal
  // tells whether it is exact.
  if (digits == 0 || digits > 19) return toolkit::recreal(token, value);
  int scale = -static_cast<int>(decimals);
  if (p != e && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool down = p != e && *p == '-';
    if (p != e && (*p == '+' || *p == '-')) ++p;
    const char* const start = p;
    int x = 0;
    for (; p != e && digit(*p) && p - start < 4; ++p) x = x * 10 + (*p - '0');
    if (p == start) return false;
    scale += down ? -x : x;
  }
  if (p != e) return toolkit::recreal(token, value);
  double v;
  if (!toolkit::exactreal(m, scale, v)) return toolkit::recreal(token, value);
  value = negative ? -v : v;
  return true;
}

}  // namespace bridge
