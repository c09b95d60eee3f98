#include "toolkit/numfmt.hpp"

#include <charconv>
#include <cstring>

namespace toolkit {

namespace {

char* pad_copy(char* out, const char* first, const char* last, int width) {
  const int length = static_cast<int>(last - first);
  for (int k = length; k < width; ++k) *out++ = ' ';
  std::memcpy(out, first, static_cast<std::size_t>(length));
  return out + length;
}

}  // namespace

char* putfix(char* out, double value, int width, int precision) {
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
