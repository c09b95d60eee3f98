#pragma once
// Base64 as VTK's XML files hold binary arrays inline: 3 bytes to 4
// characters of A-Z a-z 0-9 + /, the last group padded with '='.

#include <cstddef>
#include <cstdint>

namespace bridge::base64 {

// The characters of `bytes` bytes.
constexpr std::int64_t size(std::int64_t bytes) { return (bytes + 2) / 3 * 4; }

// Writes the text of n bytes at out and returns its end. n is a multiple of
// 3 but at the end of a text, whose last group is padded.
char* encode(const unsigned char* in, std::size_t n, char* out);

// The bytes of `n` characters (a multiple of 4) written at out: their count,
// fewer than 3 a group where the last group is padded, or -1 when the text
// is no base64.
std::ptrdiff_t decode(const char* text, std::size_t n, unsigned char* out);

}  // namespace bridge::base64
