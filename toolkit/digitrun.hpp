#pragma once
// Runs of decimal digits read eight characters at a time, for the readers'
// fast paths.

#include <bit>
#include <cstdint>
#include <cstring>

namespace toolkit {

static_assert(std::endian::native == std::endian::little, "digit_run reads the first character in the lowest byte");

// The eight characters of a word with '0' taken off each byte (the word
// exclusive-or 0x30 in every byte): digits are then 0 to 9, every other byte
// 10 or more. Returns 0x80 in each byte that is no digit, 0 in the others.
// Adding 0x76 (128 - 10) to the low seven bits of each byte sets its top bit
// exactly when the byte is 10 or more, without a carry into the next byte;
// a byte whose own top bit was set is marked by the or.
inline std::uint64_t nondigits(std::uint64_t x) {
  return (((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL;
}

// The value of eight digits given as 0 to 9 in the bytes of a word, the
// first in the lowest byte. Three steps: each byte times 10 plus the next
// gives the two-digit values (in every second byte), each pair times 100
// plus the next the four-digit values, and each four times 10^4 plus the
// next the eight-digit value. The last two steps are one multiplication each
// by constants that hold both factors, one per 32-bit half: 100 + 10^6 * 2^32
// and 1 + 10^4 * 2^32.
inline std::uint64_t eightdigits(std::uint64_t x) {
  x = x * 10 + (x >> 8);
  x = (((x & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
       (((x >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
      32;
  return x & 0xFFFFFFFFULL;
}

struct DigitRun {
  std::uint64_t value;
  int length;  // 0 to 8
};

// The leading digits of the eight characters at p, which must all be
// readable, and their value. The eight characters are one 64-bit word, the
// first in its lowest byte, worked on as eight bytes at once.
inline DigitRun digit_run(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  const std::uint64_t x = word ^ 0x3030303030303030ULL;
  const std::uint64_t other = nondigits(x);
  const int length = other == 0 ? 8 : std::countr_zero(other) / 8;
  if (length == 0) return {0, 0};
  // The digits are shifted to the top of the word, behind zeros, so that
  // every run is combined as one of eight digits.
  return {eightdigits(x << (8 * (8 - length))), length};
}

}  // namespace toolkit
