#include "bridge/base64.hpp"

#include <array>
#include <cstring>

namespace bridge::base64 {

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12 bits: a group is two look-ups, which
// keeps encoding well ahead of the disk.
struct Pairs {
  std::array<char, 2 * 4096> text{};
  constexpr Pairs() {
    for (int v = 0; v < 4096; ++v) {
      text[std::size_t(2 * v)] = alphabet[v >> 6];
      text[std::size_t(2 * v + 1)] = alphabet[v & 63];
    }
  }
};
constexpr Pairs pairs;

// The value of each character, -1 for none of the alphabet.
struct Values {
  std::array<signed char, 256> of{};
  constexpr Values() {
    for (auto& v : of) v = -1;
    for (int k = 0; k < 64; ++k) of[static_cast<unsigned char>(alphabet[k])] = static_cast<signed char>(k);
  }
};
constexpr Values values;

}  // namespace

char* encode(const unsigned char* in, std::size_t n, char* out) {
  std::size_t whole = n / 3 * 3;
  for (std::size_t k = 0; k < whole; k += 3) {
    const unsigned v = unsigned(in[k]) << 16 | unsigned(in[k + 1]) << 8 | in[k + 2];
    std::memcpy(out, &pairs.text[2 * (v >> 12)], 2);
    std::memcpy(out + 2, &pairs.text[2 * (v & 0xfff)], 2);
    out += 4;
  }
  if (n > whole) {
    const unsigned v = unsigned(in[whole]) << 16 | (n - whole == 2 ? unsigned(in[whole + 1]) << 8 : 0);
    out[0] = alphabet[v >> 18];
    out[1] = alphabet[(v >> 12) & 63];
    out[2] = n - whole == 2 ? alphabet[(v >> 6) & 63] : '=';
    out[3] = '=';
    out += 4;
  }
  return out;
}

std::ptrdiff_t decode(const char* text, std::size_t n, unsigned char* out) {
  if (n % 4 != 0) return -1;
  unsigned char* start = out;
  for (std::size_t k = 0; k < n; k += 4) {
    const auto* group = reinterpret_cast<const unsigned char*>(text + k);
    // '=' ends the text: one or two of them, in its last group only.
    const int pad = group[3] != '=' ? 0 : group[2] != '=' ? 1 : 2;
    if (pad > 0 && k + 4 != n) return -1;
    unsigned v = 0;
    for (int c = 0; c < 4 - pad; ++c) {
      const int d = values.of[group[c]];
      if (d < 0) return -1;
      v |= unsigned(d) << (18 - 6 * c);
    }
    *out++ = static_cast<unsigned char>(v >> 16);
    if (pad < 2) *out++ = static_cast<unsigned char>(v >> 8);
    if (pad < 1) *out++ = static_cast<unsigned char>(v);
  }
  return out - start;
}

}  // namespace bridge::base64
