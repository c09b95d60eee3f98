#pragma once
// Fixed-point formatting without printf: the same digits as "%W.Plf", with
// no locale and no allocation, for the writers' hot paths.

#include <cstddef>

namespace toolkit {

// Room that one formatted value may need: the largest double has 309 integer
// digits, then the point, up to 17 decimals and a sign.
inline constexpr std::size_t fixed_room = 340;

// Writes value as printf("%*.*f", width, precision) would, right-aligned in
// at least width columns, at out (which has fixed_room bytes free); returns
// the end of what was written. No terminating zero is added.
char* putfix(char* out, double value, int width, int precision);

// Writes value as printf("%*d", width, value) would.
char* putint(char* out, long long value, int width);

}  // namespace toolkit
