#pragma once
// Start-up banner: 15 records of 80 bytes, stored scrambled in each program.

#include <cstddef>

namespace toolkit {

inline constexpr std::size_t banner_records = 15;
inline constexpr std::size_t banner_record_size = 80;
inline constexpr std::size_t banner_text_size = 79;
inline constexpr std::size_t banner_key_size = 10;

// Each program defines its own table; the build generates it from the
// program's plain banner text.
extern const unsigned char banner_table[banner_records * banner_record_size];

// Builds the 10-byte key in the caller's buffer, one byte at a time, from a
// seed read through a volatile object: its value is unknown to the compiler,
// so no optimiser can fold the key into a block of the program's data.
inline void banner_key(unsigned char (&key)[banner_key_size]) {
  static volatile unsigned char seed = 0x5b;
  const unsigned char s = seed;
  auto byte = [](int value) { return static_cast<unsigned char>(value); };
  key[0] = s;
  key[1] = byte(s + 0x2e);
  key[2] = byte(s ^ 0xfc);
  key[3] = byte(key[2] ^ 0x3c);
  key[4] = byte(s - 0x45);
  key[5] = byte(key[4] * 7);
  key[6] = byte(s + 0x69);
  key[7] = byte(s - 0x22);
  key[8] = byte(key[7] + key[4]);
  key[9] = byte(s ^ 0xb9);
}

// Writes an empty line, then the 15 records, each unscrambled just before it
// is printed.
void prtban();

}  // namespace toolkit
