#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "toolkit/numfmt.hpp"

namespace {

std::string fixed(double value, int width, int precision) {
  char out[toolkit::fixed_room + 64];
  char* end = toolkit::putfix(out, value, width, precision);
  return std::string(out, end);
}

std::string printed(double value, int width, int precision) {
  char out[toolkit::fixed_room + 64];
  std::snprintf(out, sizeof out, "%*.*f", width, precision, value);
  return out;
}

std::string integer(long long value, int width) {
  char out[64];
  return std::string(out, toolkit::putint(out, value, width));
}

std::vector<double> samples() {
  std::vector<double> values = {
      0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, -0.625, 1.0005, 2.675, 1e-5, 5e-7,
      0.05, 0.15, 0.25, 0.35, 9.5, 99.5, 999.9999999, 123456.789, -987654321.0123,
      4503599627370496.5, 9007199254740993.0, 1e15, 1e16, 1e17, 1e22, 1e23, 1e300, -1e308,
      DBL_MAX, -DBL_MAX, DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN, 0.1, 0.2, 0.3, 1.0 / 3.0, 2.0 / 3.0,
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
  };
  // Deterministic values over many magnitudes, and exact halves at every
  // rounding position.
  std::uint64_t state = 12345;
  for (int k = 0; k < 3000; ++k) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const double mantissa = static_cast<double>(state >> 11) / 9007199254740992.0;
    const int exponent = static_cast<int>((state >> 3) % 40) - 20;
    values.push_back((state & 1 ? -1.0 : 1.0) * mantissa * std::pow(10.0, exponent));
  }
  for (int k = 0; k < 200; ++k) values.push_back((k + 0.5) / 1024.0);
  return values;
}

TEST(Putfix, GivesTheDigitsOfPrintf) {
  for (double value : samples())
    for (int precision : {0, 1, 2, 3, 6, 8, 15, 17})
      for (int width : {0, 1, 8, 13, 20}) {
        ASSERT_EQ(fixed(value, width, precision), printed(value, width, precision))
            << value << " width " << width << " precision " << precision;
      }
}

TEST(Putfix, NegativeWidthAlignsLeftAndNegativePrecisionMeansSix) {
  EXPECT_EQ(fixed(1.25, -8, 2), "1.25    ");
  EXPECT_EQ(fixed(-1.25, -8, 2), printed(-1.25, -8, 2));
  EXPECT_EQ(fixed(3.0, 0, -1), "3.000000");
  EXPECT_EQ(fixed(3.0, 12, -4), printed(3.0, 12, -4));
  EXPECT_EQ(fixed(-0.0, 6, 1), "  -0.0");
  EXPECT_EQ(fixed(1e-9, 0, 3), "0.000");
  EXPECT_EQ(fixed(-1e-9, 0, 3), "-0.000");
}

TEST(Putfix, LargestValueFitsTheRoom) {
  const std::string text = fixed(-DBL_MAX, 0, toolkit::fixed_max_precision);
  EXPECT_EQ(text, printed(-DBL_MAX, 0, 17));
  EXPECT_LE(text.size(), toolkit::fixed_room);
  // A precision beyond the bound is taken as the bound, never overruns.
  EXPECT_EQ(fixed(-DBL_MAX, 0, 400), text);
}

TEST(Putint, GivesTheDigitsOfPrintf) {
  const long long values[] = {0, 1, -1, 9, 10, -10, 12345678, -12345678, 123456789, INT_MAX, INT_MIN,
                              LLONG_MAX, LLONG_MIN};
  for (long long value : values)
    for (int width : {0, 1, 5, 8, 12, 25, -8}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%*lld", width, value);
      EXPECT_EQ(integer(value, width), expected) << value << " width " << width;
    }
}

}  // namespace
