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

// Builds the 10-byte key in the caller's buffer one byte at a time, so that
// it never lies in the program's data as a block of its own.
inline void banner_key(unsigned char (&key)[banner_key_size]) {
  key[0] = 0x5b;
  key[1] = static_cast<unsigned char>(key[0] + 0x2e);
  key[2] = 0xa7;
  key[3] = static_cast<unsigned char>(key[2] ^ 0x3c);
  key[4] = 0x16;
  key[5] = static_cast<unsigned char>(key[4] * 7);
  key[6] = 0xc4;
  key[7] = 0x39;
  key[8] = static_cast<unsigned char>(key[7] + key[4]);
  key[9] = 0xe2;
}

// Writes an empty line, then the 15 records, each unscrambled just before it
// is printed.
void prtban();

}  // namespace toolkit
