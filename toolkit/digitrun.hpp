#pragma once
// Runs of decimal digits read eight characters at a time, for the readers'
// fast paths.

#include <bit>
#include <cstdint>
#include <cstring>

namespace toolkit {

static_assert(std::endian::native == std::endian::little, "digit_run reads the first character in the lowest byte");

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
  // Digits become 0 to 9 (their code 0x30 to 0x39 with 0x30 taken off by
  // the exclusive or); every other byte 10 or more. Adding 0x76 (128 - 10)
  // to the low seven bits of each byte sets its top bit exactly when the
  // byte is 10 or more, without a carry into the next byte; a byte whose
  // own top bit was set is marked by the or.
  const std::uint64_t x = word ^ 0x3030303030303030ULL;
  const std::uint64_t other = (((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL;
  const int length = other == 0 ? 8 : std::countr_zero(other) / 8;
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

}  // namespace toolkit
