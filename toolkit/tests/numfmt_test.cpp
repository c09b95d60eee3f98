#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "toolkit/numfmt.hpp"

namespace {

std::string printed(double value, int width, int precision) {
  char out[toolkit::fixed_room + 64];
  std::snprintf(out, sizeof out, "%*.*f", width, precision, value);
#ifdef _WIN32
  // The outputs write the sign of a NaN as glibc does; MinGW's printf drops it.
  if (std::isnan(value) && std::signbit(value)) std::snprintf(out, sizeof out, "%*s", width, "-nan");
#endif
  return out;
}

std::string integer(long long value, int width) {
  char out[64];
  std::memset(out, '\x7f', sizeof out);
  char* end = toolkit::putint(out, value, width);
  // Nothing past the end may change.
  if (std::count(end, end + 16, '\x7f') != 16) return "(overrun)";
  const std::string text(out, end);
  // The writers' own entries for their columns give the same.
  if (width == 5 || width == 7) {
    std::memset(out, '\x7f', sizeof out);
    end = width == 5 ? toolkit::putcols<5>(out, value) : toolkit::putcols<7>(out, value);
    if (std::count(end, end + 16, '\x7f') != 16 || std::string(out, end) != text) return "(putcols differs)";
  }
  return text;
}

// A source of doubles for the comparisons with printf: any finite value of
// a binary exponent in [low, high], or a subnormal, either sign.
class RandomDoubles {
 public:
  explicit RandomDoubles(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    // xorshift64*: fast, and every bit pattern of a mantissa comes up.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 2685821657736338717ULL;
  }

  double value(int low, int high) {
    const std::uint64_t bits = next();
    const std::uint64_t span = static_cast<std::uint64_t>(high - low + 1);
    std::uint64_t biased = static_cast<std::uint64_t>(1023 + low) + (next() % span);
    if (next() % 64 == 0) biased = 0;  // a subnormal
    const std::uint64_t pattern = (bits & 0x800FFFFFFFFFFFFFULL) | (biased << 52);
    double v;
    std::memcpy(&v, &pattern, sizeof v);
    return v;
  }

  // A value whose digits at the precision end in an exact half: an odd m
  // times 2^-(precision+1) (m times 10^precision then has the fraction 1/2).
  // Its magnitude stays below 10^(19-precision).
  double tie(int precision) {
    const int bits = 1 + static_cast<int>(next() % 53);
    const std::uint64_t m = (next() >> (64 - bits)) | 1;
    const double v = std::ldexp(static_cast<double>(m), -(precision + 1));
    const double limit = std::pow(10.0, 19 - precision);
    const double t = v < limit ? v : std::ldexp(1.0, -(precision + 1));
    return next() & 1 ? -t : t;
  }

 private:
  std::uint64_t state_;
};

// The conversion stores whole words: nothing past the end it returns may
// change.
constexpr char untouched = '\x7f';

// putfixed<P, 15> against snprintf, without building strings in the usual
// case: the check formats millions of values.
template <int P>
bool agrees(double value, std::string& report) {
  char ours[toolkit::fixed_room + 64];
  char theirs[toolkit::fixed_room + 64];
  std::memset(ours, untouched, sizeof ours);
  const std::size_t n = static_cast<std::size_t>(toolkit::putfixed<P, 15>(ours, value) - ours);
  const int m = std::isnan(value) ? std::snprintf(theirs, sizeof theirs, "%s", printed(value, 15, P).c_str())
                                  : std::snprintf(theirs, sizeof theirs, "%15.*f", P, value);
  const bool kept = n + 16 <= sizeof ours && std::count(ours + n, ours + n + 16, untouched) == 16;
  if (kept && m >= 0 && static_cast<std::size_t>(m) == n && std::memcmp(ours, theirs, n) == 0) return true;
  char exact[64];
  std::snprintf(exact, sizeof exact, "%a", value);
  report = std::string(exact) + " precision " + std::to_string(P) + ": \"" + std::string(ours, n) + "\" against \"" +
           theirs + "\"";
  return false;
}

// Values where a fixed-point conversion is most likely to go wrong, for one
// precision: exact ties and their neighbours, the ends of the fast range,
// values that round to zero or carry into a new digit, powers of two and
// of ten.
std::vector<double> edge_values(int precision, RandomDoubles& random) {
  std::vector<double> values;
  auto with_neighbours = [&values](double v) {
    for (double w : {v, -v}) {
      values.push_back(w);
      values.push_back(std::nextafter(w, HUGE_VAL));
      values.push_back(std::nextafter(w, -HUGE_VAL));
    }
  };
  for (int k = 0; k < 300; ++k) with_neighbours(random.tie(precision));
  for (int k = 1; k <= 60; ++k) with_neighbours(static_cast<double>(2 * k - 1) * std::ldexp(1.0, -(precision + 1)));
  with_neighbours(std::pow(10.0, 19 - precision));
  with_neighbours(std::pow(10.0, 18 - precision));
  char text[64];
  for (int e = -330; e <= 25; ++e) {
    std::snprintf(text, sizeof text, "1e%d", e);
    with_neighbours(std::strtod(text, nullptr));
    std::snprintf(text, sizeof text, "5e%d", e);
    with_neighbours(std::strtod(text, nullptr));
    std::snprintf(text, sizeof text, "9.9999999999999999999e%d", e);
    with_neighbours(std::strtod(text, nullptr));
  }
  for (int e = -1074; e <= 70; ++e) with_neighbours(std::ldexp(1.0, e));
  with_neighbours(0.0);
  with_neighbours(DBL_TRUE_MIN);
  with_neighbours(DBL_MIN);
  return values;
}

// The values of a column "%15.Plf": both fast paths (the field in two
// words, and the general one of up to 19 digits) and their borders, the
// general conversion beyond, exact ties, subnormals, infinities and NaNs.
// PPT_PUTFIXED_COUNT sets the number of random values; bench/numfmt runs
// this with a hundred million.
template <int P>
void check_against_printf(long long count) {
  RandomDoubles random(987654321 + P);
  std::string report;
  std::vector<double> values = edge_values(P, random);
  for (double v : {1e300, -1e308, DBL_MAX, -DBL_MAX, 1.0 / 3.0, 2.0 / 3.0, 1e22, 1e23, 9007199254740993.0,
                   std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()})
    values.push_back(v);
  for (double value : values) ASSERT_TRUE(agrees<P>(value, report)) << report;
  for (long long k = 0; k < count; ++k) {
    const double value = k % 4 == 0 ? random.tie(P) : random.value(-40, 70);
    ASSERT_TRUE(agrees<P>(value, report)) << report;
  }
}

TEST(Putfixed, AgreesWithPrintfAtTheWritersPrecisions) {
  const char* count_text = std::getenv("PPT_PUTFIXED_COUNT");
  const long long count = count_text != nullptr ? std::atoll(count_text) : 1500000LL;
  check_against_printf<7>(count);
  check_against_printf<8>(count);
}

TEST(Putfixed, LargestValueFitsTheRoom) {
  char out[toolkit::fixed_room + 64];
  const std::size_t n = static_cast<std::size_t>(toolkit::putfixed<7, 15>(out, -DBL_MAX) - out);
  EXPECT_EQ(std::string(out, n), printed(-DBL_MAX, 15, 7));
  EXPECT_LE(n, toolkit::fixed_room);
}

TEST(Putint, GivesTheDigitsOfPrintf) {
  const long long values[] = {0, 1, -1, 9, 10, -10, 12345678, -12345678, 123456789, INT_MAX, INT_MIN,
                              LLONG_MAX, LLONG_MIN};
  for (long long value : values)
    for (int width : {0, 1, 5, 7, 8, 12, 25, -8}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%*lld", width, value);
      EXPECT_EQ(integer(value, width), expected) << value << " width " << width;
    }
}

TEST(Putint, CountsTheDigitsAtEveryPowerOfTen) {
  long long power = 1;
  for (int k = 0; k <= 18; ++k) {
    if (k > 0) power *= 10;
    for (long long value : {power - 1, power, power + 1, -(power - 1), -power, -(power + 1)})
      for (int width : {0, 5, 7, 20, -20}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%*lld", width, value);
        ASSERT_EQ(integer(value, width), expected) << value << " width " << width;
      }
  }
}

}  // namespace
