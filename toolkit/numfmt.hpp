#pragma once
// Fixed-point formatting without printf: the same digits as "%W.Plf", with
// no locale and no allocation, for the writers' hot paths.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace toolkit {

// Room that one formatted value may need: the largest double has 309 integer
// digits, then the point, the decimals (8 at most) and a sign.
inline constexpr std::size_t fixed_room = 340;

// Writes value as printf("%W.Plf") would, at out, for the writers' hot
// loops: "%15.7lf" and "%15.8lf". Returns the end of what was written; no
// terminating zero is added. out must have room for fixed_room bytes.
template <int P, int W>
char* putfixed(char* out, double value);
extern template char* putfixed<7, 15>(char*, double);
extern template char* putfixed<8, 15>(char*, double);

// Writes value as printf("%*lld", width, value) would; out must have room for
// max(|width|, 24) bytes.
char* putint(char* out, long long value, int width);

// putint with the width fixed, for the writers' hot loops: "%5d" and "%7d".
template <int W>
char* putcols(char* out, long long value);
extern template char* putcols<5>(char*, long long);
extern template char* putcols<7>(char*, long long);

// Copies a text to out; returns the end of what was written.
inline char* putstr(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace toolkit
