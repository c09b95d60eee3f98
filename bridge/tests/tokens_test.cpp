#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/tokens.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"

namespace {

// Every token gives what rodmesh's reading gives: the same verdict and, for
// a number, the same bits.
void same_as_toolkit(const std::string& token) {
  SCOPED_TRACE("token \"" + token + "\"");
  double fast = 0.0;
  const bool taken = bridge::record_real(token, fast);
  const bool real = token.size() <= toolkit::token_limit && toolkit::isrecreal(token);
  ASSERT_EQ(taken, real);
  if (real) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(toolkit::toreal(token)));
  }
  std::int64_t a = 0;
  std::int64_t b = 0;
  const bool integer = token.size() <= toolkit::token_limit && toolkit::toint(token, b);
  ASSERT_EQ(bridge::record_int(token, a), integer);
  if (integer) {
    EXPECT_EQ(a, b);
  }
}

TEST(RecordNumbers, BorderTokens) {
  for (const char* token :
       {"0", "-0", "+0.0", "-0.00000000", "1", "+7", "-", "+", ".", "-.5", "5.", "1e22", "1e23", "1e-22", "1e-23",
        "9007199254740992", "9007199254740993", "9007199254740993.0", "900719925474099.3e1", "12345678901234567890",
        "9999999999999999999", "99999999999999999999", "9223372036854775807", "9223372036854775808",
        "-9223372036854775809", "123456789012345678", "1234567890123456789", "0000000000000000000001.5",
        "1.7976931348623157e308", "1.8e308", "1e309", "4.9e-324", "2e-400", "1e0005", "1e00000000000000000022",
        "-123.45678901", "1e", "1e+", "1.5.2", "1e5.0", "0x10", "nan", "inf", "1,5", "2.0", "1E-7",
        "99999.99999999", "0.1", "0.2", "0.3"})
    same_as_toolkit(token);
  same_as_toolkit(std::string(toolkit::token_limit, '1'));
  same_as_toolkit(std::string(toolkit::token_limit + 1, '1'));
  same_as_toolkit("0." + std::string(toolkit::token_limit - 3, '0') + "1");
}

TEST(RecordNumbers, RandomTokens) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> exponent(-30.0, 30.0);
  std::uniform_int_distribution<int> digits(1, 22);
  std::uniform_int_distribution<int> small(0, 9);
  char text[400];
  for (int i = 0; i < 200000; ++i) {
    // The writer's "%15.8lf" of values of every magnitude, then words of
    // random digits, point and exponent.
    const double value = std::pow(10.0, exponent(random)) * (random() % 2 ? 1 : -1);
    std::snprintf(text, sizeof text, "%.8f", value);
    same_as_toolkit(text);
    std::string word = random() % 3 ? "" : "-";
    const int n = digits(random);
    const int point = static_cast<int>(random() % (n + 2)) - 1;
    for (int k = 0; k < n; ++k) {
      if (k == point) word += '.';
      word += static_cast<char>('0' + small(random));
    }
    if (random() % 2) word += "e" + std::to_string(static_cast<int>(random() % 61) - 30);
    same_as_toolkit(word);
  }
}

}  // namespace
