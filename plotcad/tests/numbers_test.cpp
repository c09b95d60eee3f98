#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "plotcad/numbers.hpp"
#include "toolkit/numcheck.hpp"

namespace {

using namespace plotcad;

TEST(Numbers, TheFastConversionGivesTheStandardConversionToTheLastBit) {
  std::mt19937_64 random(20240601);
  const char* forms[] = {"%.*f", "%.*e", "%.*g", "%.*E"};
  int fast = 0;
  for (int k = 0; k < 200000; ++k) {
    const double magnitude = std::ldexp(static_cast<double>(random() % 1000000) + 1, static_cast<int>(random() % 120) - 80);
    char word[64];
    std::snprintf(word, sizeof word, forms[k % 4], static_cast<int>(random() % 17), k % 3 ? magnitude : -magnitude);
    double value = 0;
    if (!fastreal(word, value)) continue;
    ++fast;
    const double expected = std::strtod(word, nullptr);
    ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << word;
    ASSERT_TRUE(toolkit::chkrea(word).ok) << word;
  }
  EXPECT_GT(fast, 100000);
  for (const char* word : {"-0", "+.5", "5.", "1e-22", "9007199254740992", "1.5E+3"}) {
    double value = 1;
    ASSERT_TRUE(fastreal(word, value)) << word;
    const double expected = std::strtod(word, nullptr);
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << word;
  }
}

TEST(Numbers, TheQuickRealCheckAgreesWithTheSyntaxCheck) {
  for (const char* word : {"12", "+12", "-0", "+", "++1", "12a", "1.0", "-5.", ".5", ".", "-.", "1.5.2", "1e5",
                           "-2.5E+03", "1.e-7", ".5e10", "1e-300", "e5", "1e", "1e+", "1e1000", "1ee5", "1e5.0",
                           "1+e5", "", "1e-5x", "--1", "1e+-5", "+-1", "1e99999999999999999999"}) {
    double value;
    EXPECT_EQ(isreal(word), toolkit::chkrea(word).ok) << word;
    if (fastreal(word, value)) {
      EXPECT_TRUE(toolkit::chkrea(word).ok) << word;
    }
  }
  std::int32_t n = 0;
  EXPECT_TRUE(toint("-2147483648", n));
  EXPECT_EQ(n, INT32_MIN);
  EXPECT_FALSE(toint("2147483648", n));
  EXPECT_EQ(toclamp("+000000000000000000000000000000007"), 7);
  EXPECT_EQ(toclamp("99999999999999999999999999"), std::int64_t{1} << 40);
}

}  // namespace
