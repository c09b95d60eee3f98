#include "toolkit/numfmt.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace toolkit {

namespace {

// The writers format tens of millions of values per file, so the usual cases
// avoid the general conversion: integers and fixed-point values of moderate
// magnitude are produced with integer arithmetic, which is exact, and their
// characters are put together in 64-bit words. A word holds up to eight
// characters, the first in its lowest byte.

constexpr std::uint64_t powers_of_ten[20] = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
    1000000000000000000ULL,
    10000000000000000000ULL,
};

// As far as the writers' precisions go.
constexpr std::uint64_t powers_of_five[9] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625};

constexpr std::uint64_t blank_word = 0x2020202020202020ULL;

// The four characters of every number below 10^4, leading zeros included.
constexpr auto four_digits = [] {
  std::array<std::uint32_t, 10000> table{};
  for (std::uint32_t n = 0; n < 10000; ++n)
    table[n] = (0x30 + n / 1000) | (0x30 + n / 100 % 10) << 8 | (0x30 + n / 10 % 10) << 16 | (0x30 + n % 10) << 24;
  return table;
}();

// The eight characters of n below 10^8, leading zeros included.
std::uint64_t eight_digits(std::uint32_t n) {
  return four_digits[n / 10000] | static_cast<std::uint64_t>(four_digits[n % 10000]) << 32;
}

void put_word(char* out, std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &word, 8);
  } else {
    for (int k = 0; k < 8; ++k) out[k] = static_cast<char>(word >> (8 * k));
  }
}

// Stores the first count characters of a word (1 to 8) in two overlapping
// stores at most.
void put_bytes(char* out, std::uint64_t word, int count) {
  if constexpr (std::endian::native == std::endian::little) {
    if (count >= 4) {
      const auto first = static_cast<std::uint32_t>(word);
      const auto last = static_cast<std::uint32_t>(word >> (8 * (count - 4)));
      std::memcpy(out, &first, 4);
      std::memcpy(out + count - 4, &last, 4);
    } else if (count >= 2) {
      const auto first = static_cast<std::uint16_t>(word);
      const auto last = static_cast<std::uint16_t>(word >> (8 * (count - 2)));
      std::memcpy(out, &first, 2);
      std::memcpy(out + count - 2, &last, 2);
    } else {
      *out = static_cast<char>(word);
    }
  } else {
    for (int k = 0; k < count; ++k) out[k] = static_cast<char>(word >> (8 * k));
  }
}

// The first count characters (0 to 7) of a word made blanks: the leading
// zeros of a right-aligned number.
std::uint64_t blank_lead(std::uint64_t word, int count) {
  const std::uint64_t lead = (std::uint64_t{1} << (8 * count)) - 1;
  return (word & ~lead) | (blank_word & lead);
}

// The character at position (0 to 7) of a word made a minus sign.
std::uint64_t put_sign(std::uint64_t word, int position) {
  const int shift = 8 * position;
  return (word & ~(std::uint64_t{0xFF} << shift)) | (std::uint64_t{'-'} << shift);
}

// The leading zeros of the eight digits of a word, all but the units
// digit: 0 to 7.
int lead_zeros(std::uint64_t word) {
  const std::uint64_t digits = word ^ 0x3030303030303030ULL;
  return digits == 0 ? 7 : std::countr_zero(digits) / 8;
}

// The eight columns of "%8lld" of a magnitude below 10^8 and its sign, as a
// word: the digits, their leading zeros made blanks, and the last of those
// blanks made the sign (below 10^7 there is one to take it).
std::uint64_t field_word(std::uint64_t magnitude, bool negative) {
  const std::uint64_t word = eight_digits(static_cast<std::uint32_t>(magnitude));
  const int zeros = lead_zeros(word);
  const std::uint64_t blanked = blank_lead(word, zeros);
  return negative ? put_sign(blanked, zeros - 1) : blanked;
}

int digit_count(std::uint64_t n) {
  // bit_width * log10(2), then one comparison settles the boundary. Setting
  // the last bit gives zero its digit and moves no number across a power of
  // ten (those are even, the numbers just below them odd).
  n |= 1;
  const int estimate = static_cast<int>((std::bit_width(n) * 1233) >> 12);
  return estimate + (n >= powers_of_ten[estimate] ? 1 : 0);
}

// Writes the last count digits of n, leading zeros included, ending at end.
void put_digits(char* end, std::uint64_t n, int count) {
  for (; count >= 4; count -= 4) {
    end -= 4;
    const std::uint32_t four = four_digits[n % 10000];
    n /= 10000;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(end, &four, 4);
    } else {
      for (int k = 0; k < 4; ++k) end[k] = static_cast<char>(four >> (8 * k));
    }
  }
  for (; count > 0; --count) {
    *--end = static_cast<char>('0' + n % 10);
    n /= 10;
  }
}

// Fills out[0, count) with blanks in a few overlapping stores: fields are
// short, and a call of memset would cost more than the digits. The stores
// depend on count alone, which is the same for every value of a column.
void put_blanks(char* out, long long count) {
  if (count >= 8) {
    char* const end = out + count;
    for (; end - out > 8; out += 8) put_word(out, blank_word);
    put_word(end - 8, blank_word);
  } else if (count >= 1) {
    put_bytes(out, blank_word, static_cast<int>(count));
  }
}

// Places a text of length bytes, written by body at its first byte, in a
// field of width columns: right-aligned, or left-aligned in -width columns,
// as printf does with a field width.
template <class Body>
char* in_field(char* out, int width, int length, Body body) {
  if (width > 0) {
    // Blanks over the whole width, then the text over its part of them:
    // no branch on the length of the text.
    put_blanks(out, width);
    const int pad = width > length ? width - length : 0;
    body(out + pad);
    return out + pad + length;
  }
  body(out);
  out += length;
  const long long field = -static_cast<long long>(width);
  if (field > length) {
    put_blanks(out, field - length);
    out += field - length;
  }
  return out;
}

// The general conversion, for what the fast path does not take.
char* general_fixed(char* out, double value, int width, int precision) {
  char digits[fixed_room];
  // The precision is bounded, so the digits always fit: to_chars never fails.
  const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision);
  const int length = static_cast<int>(result.ptr - digits);
  return in_field(out, width, length, [&](char* p) { std::memcpy(p, digits, static_cast<std::size_t>(length)); });
}

// The 128-bit product a * b as its high and low 64 bits.
struct Wide {
  std::uint64_t high;
  std::uint64_t low;
};

inline Wide multiply(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  __extension__ typedef unsigned __int128 uint128;
  const uint128 product = static_cast<uint128>(a) * b;
  return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
  // Compilers without a 128-bit type: four products of 32-bit halves.
  const std::uint64_t a_lo = a & 0xffffffffu, a_hi = a >> 32;
  const std::uint64_t b_lo = b & 0xffffffffu, b_hi = b >> 32;
  const std::uint64_t lo_lo = a_lo * b_lo;
  const std::uint64_t hi_lo = a_hi * b_lo;
  const std::uint64_t lo_hi = a_lo * b_hi;
  const std::uint64_t hi_hi = a_hi * b_hi;
  // The middle column with the carry out of the low one: at most 2^64 - 1.
  const std::uint64_t middle = (lo_lo >> 32) + (hi_lo & 0xffffffffu) + lo_hi;
  return {hi_hi + (hi_lo >> 32) + (middle >> 32), (middle << 32) | (lo_lo & 0xffffffffu)};
#endif
}

// |value| * 10^P rounded to the nearest integer, ties to even, as printf
// rounds in the default rounding mode. The caller guarantees |value| <
// 10^(19-P), so the result stays below 10^19 and fits 64 bits. A finite
// double is m * 2^e with m below 2^53, so |value| * 10^P is m * 5^P (below
// 2^53 * 5^8 < 2^72) times 2^(e+P): a shift of an exact integer, whose
// bits shifted out decide the rounding exactly.
template <int P>
std::uint64_t scaled(double magnitude) {
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  const auto biased = static_cast<int>(bits >> 52);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  int e = -1074;
  if (biased != 0) {
    m |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int exponent = e + P;
  // An integer times 2^exponent: exact, and below 10^19.
  if (exponent >= 0) return (m * powers_of_five[P]) << exponent;
  const int shift = -exponent;
  const auto [high, low] = multiply(m, powers_of_five[P]);
  std::uint64_t quotient;
  std::uint64_t below;  // the bits shifted out, as a fraction of 2^64
  bool more = false;    // bits shifted out beyond those in below
  if (shift < 64) {
    quotient = (low >> shift) | (high << (64 - shift));
    below = low << (64 - shift);
  } else if (shift < 128) {
    // Values below about 2^-11 / 10^P.
    quotient = shift == 64 ? high : high >> (shift - 64);
    below = shift == 64 ? low : (high << (128 - shift)) | (low >> (shift - 64));
    more = shift != 64 && (low << (128 - shift)) != 0;
  } else {
    // Below half of one unit of the last place: rounds to zero.
    return 0;
  }
  constexpr std::uint64_t half = std::uint64_t{1} << 63;
  const bool up = below > half || (below == half && (more || (quotient & 1) != 0));
  return quotient + (up ? 1 : 0);
}

// printf("%*.*f", width, P, value) for the values that the writers' fast
// path leaves, out of line so that the fast path stays short.
template <int P>
[[gnu::noinline]] char* general(char* out, double value, int width) {
  // 10^(19-P) is an exact double; NaNs and infinities fail the comparison.
  constexpr auto limit = static_cast<double>(powers_of_ten[19 - P]);
  const double magnitude = std::fabs(value);
  if (!(magnitude < limit)) return general_fixed(out, value, width, P);
  const std::uint64_t n = scaled<P>(magnitude);
  const std::uint64_t whole = n / powers_of_ten[P];
  const std::uint64_t fraction = n % powers_of_ten[P];
  // printf keeps the sign of a negative value that rounds to zero, and of
  // negative zero.
  const bool negative = std::signbit(value);

  const int whole_digits = digit_count(whole);
  const int length = (negative ? 1 : 0) + whole_digits + P + 1;

  return in_field(out, width, length, [&](char* p) {
    // The sign is written in any case; without one, a digit replaces it.
    *p = '-';
    p += negative ? 1 : 0;
    if (whole < powers_of_ten[8]) {
      // The digits in one word without their leading zeros; the zero bytes
      // shifted in behind them land where the point and the decimals go.
      put_word(p, eight_digits(static_cast<std::uint32_t>(whole)) >> (8 * (8 - whole_digits)));
      p += whole_digits;
    } else {
      p += whole_digits;
      put_digits(p, whole, whole_digits);
    }
    if constexpr (P == 8) {
      *p = '.';
      put_word(p + 1, eight_digits(static_cast<std::uint32_t>(fraction)));
    } else {
      // The leading zero of the eight digits lands where the point goes.
      put_word(p, eight_digits(static_cast<std::uint32_t>(fraction)));
      *p = '.';
    }
  });
}

}  // namespace

template <int P, int W>
char* putfixed(char* out, double value) {
  static_assert(P == 7 || P == 8, "the decimals in one word");
  // The columns of the sign and the digits before the point.
  constexpr int lead = W - P - 1;
  static_assert(lead >= 2 && lead <= 8, "the lead columns in one word");
  // The writers' values mostly fill their columns: the lead columns as one
  // word, blanks, sign and digits in place, and the decimals as another,
  // with no count of digits and no loop. Everything else takes the general
  // way, out of line, so that this one stays short.
  const double magnitude = std::fabs(value);
  if (magnitude < static_cast<double>(powers_of_ten[lead])) {
    const std::uint64_t n = scaled<P>(magnitude);
    const std::uint64_t whole = n / powers_of_ten[P];
    const std::uint64_t fraction = n - whole * powers_of_ten[P];
    // printf keeps the sign of a negative value that rounds to zero, and of
    // negative zero.
    const bool negative = std::signbit(value);
    if (whole < (negative ? powers_of_ten[lead - 1] : powers_of_ten[lead])) {
      put_word(out, field_word(whole, negative) >> (8 * (8 - lead)));
      char* p = out + lead;
      if constexpr (P == 8) {
        *p = '.';
        put_word(p + 1, eight_digits(static_cast<std::uint32_t>(fraction)));
      } else {
        // The leading zero of the eight digits lands where the point goes.
        put_word(p, eight_digits(static_cast<std::uint32_t>(fraction)));
        *p = '.';
      }
      return out + W;
    }
  }
  return general<P>(out, value, W);
}
template char* putfixed<7, 15>(char*, double);
template char* putfixed<8, 15>(char*, double);

template <int W>
char* putcols(char* out, long long value) {
  static_assert(W >= 2 && W <= 8, "the field in one word");
  // A value that fills at most the field, with its sign: the digits in one
  // word, their leading zeros made blanks, and a blank made the sign.
  const bool negative = value < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  if (magnitude < (negative ? powers_of_ten[W - 1] : powers_of_ten[W])) {
    put_bytes(out, field_word(magnitude, negative) >> (8 * (8 - W)), W);
    return out + W;
  }
  return putint(out, value, W);
}
template char* putcols<5>(char*, long long);
template char* putcols<7>(char*, long long);

char* putint(char* out, long long value, int width) {
  if (value >= 0 && value < 100000000 && width >= 1 && width <= 8) {
    // The usual field: the digits in one word, their leading zeros made
    // blanks.
    const std::uint64_t word = eight_digits(static_cast<std::uint32_t>(value));
    const int zeros = lead_zeros(word);
    const int field = std::max(width, 8 - zeros);
    put_bytes(out, blank_lead(word, zeros) >> (8 * (8 - field)), field);
    return out + field;
  }
  const bool negative = value < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const int digits = digit_count(magnitude);
  const int length = digits + (negative ? 1 : 0);
  const int field = std::max(width, length);
  if (width >= 0 && field <= 8) {
    // The whole field in one word: blanks, sign and digits.
    std::uint64_t word = blank_lead(eight_digits(static_cast<std::uint32_t>(magnitude)), 8 - digits);
    if (negative) word = put_sign(word, 8 - length);
    put_bytes(out, word >> (8 * (8 - field)), field);
    return out + field;
  }
  return in_field(out, width, length, [&](char* p) {
    *p = '-';
    p += negative ? 1 : 0;
    put_digits(p + digits, magnitude, digits);
  });
}

}  // namespace toolkit
