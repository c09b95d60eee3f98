#include "toolkit/numfmt.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace toolkit {

namespace {

// Right-aligns the digits in width columns, or left-aligns them in -width
// columns, as printf does with a field width.
char* pad_copy(char* out, const char* first, const char* last, int width) {
  const long long length = last - first;
  const long long field = width < 0 ? -static_cast<long long>(width) : width;
  if (width > 0)
    for (long long k = length; k < field; ++k) *out++ = ' ';
  std::memcpy(out, first, static_cast<std::size_t>(length));
  out += length;
  if (width < 0)
    for (long long k = length; k < field; ++k) *out++ = ' ';
  return out;
}

}  // namespace

char* putfix(char* out, double value, int width, int precision) {
  // Bounded so that the digits always fit: to_chars never fails below.
  if (precision < 0) precision = 6;
  precision = std::min(precision, fixed_max_precision);
  char digits[fixed_room];
  auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision);
  return pad_copy(out, digits, result.ptr, width);
}

char* putint(char* out, long long value, int width) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  return pad_copy(out, digits, result.ptr, width);
}

}  // namespace toolkit
