#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plotcad/numbers.hpp"
#include "toolkit/numcheck.hpp"
#include "toolkit/scanning.hpp"

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

// What the general reading of a point line makes of it: the words of
// splitw, both taken by fastreal.
// fastpair on a copy of the text followed by the eight bytes it may read.
bool whole_pair(const std::string& text, double& x, double& y) {
  std::vector<char> line(text.begin(), text.end());
  line.resize(text.size() + 9, '\0');
  return fastpair(line.data(), text.size(), x, y);
}

bool split_pair(const std::string& text, double& x, double& y) {
  toolkit::LineBuf line{};
  std::memcpy(line.data(), text.c_str(), text.size() + 1);
  toolkit::Words words;
  return toolkit::splitw(line, words) == 2 && fastreal(words[0], x) && fastreal(words[1], y);
}

TEST(Numbers, APointLineReadWholeGivesWhatItsSplitWordsGive) {
  const std::vector<std::string> usual = {"0.000000 0.000000\n", "  1.5\t-2e3  # a comment\r\n", "+7 .5",
                                          "-0 -0.0#", "1e-22\t\t9007199254740992\n", "3. 4.e+2 \r\n"};
  for (const std::string& text : usual) {
    double x = 0;
    double y = 0;
    ASSERT_TRUE(whole_pair(text, x, y)) << text;
    double sx = 0;
    double sy = 0;
    ASSERT_TRUE(split_pair(text, sx, sy)) << text;
    EXPECT_EQ(std::memcmp(&x, &sx, sizeof x), 0) << text;
    EXPECT_EQ(std::memcmp(&y, &sy, sizeof y), 0) << text;
  }
  // Lines with other than two plain numbers are left to the general
  // reading, which reports what is wrong with them.
  for (const char* text : {"1\n", "1 2 3\n", "1#2\n", "1 x\n", "1\v 2\n", "1,2\n", "1 2x\n", "\n", "# 1 2\n",
                           "1e1000 2\n", "1 99999999999999999999\n", "1 2 \f\n", "1 1e23\n", "- 1\n"}) {
    double x = 0;
    double y = 0;
    EXPECT_FALSE(whole_pair(text, x, y)) << text;
  }
  // A line beyond the length splitw takes stops the program there.
  std::string padded = "1 2" + std::string(977, ' ');
  double x = 0;
  double y = 0;
  EXPECT_TRUE(whole_pair(padded, x, y));
  padded += ' ';
  EXPECT_FALSE(whole_pair(padded, x, y));

  // Random lines of numbers, blanks, tabs, signs, points, exponents and
  // comments: whenever the whole-line reading takes one, the split reading
  // gives the same two values.
  std::mt19937_64 random(77);
  const char pieces[] = "0123456789 \t.-+eE#x\r";
  int taken = 0;
  for (int k = 0; k < 200000; ++k) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      const auto pick = random() % 40;
      text += pick < 20 ? pieces[pick % 10] : pieces[pick % (sizeof pieces - 1)];
    }
    if (random() % 2) text += '\n';
    double fx = 0;
    double fy = 0;
    if (!whole_pair(text, fx, fy)) continue;
    ++taken;
    double sx = 0;
    double sy = 0;
    ASSERT_TRUE(split_pair(text, sx, sy)) << text;
    ASSERT_EQ(std::memcmp(&fx, &sx, sizeof fx), 0) << text;
    ASSERT_EQ(std::memcmp(&fy, &sy, sizeof fy), 0) << text;
  }
  EXPECT_GT(taken, 1000);

  // Plain words of every length of digits before and after the point, the
  // neighbours of digits ('/' and ':') after them: the two readings take the
  // same lines and give the same values.
  const char* ends[] = {"\n", " \n", "/\n", ":\n", "\t#\n", "e1\n", "E-2 \n", ""};
  for (int k = 0; k < 100000; ++k) {
    std::string text;
    for (int w = 0; w < 2; ++w) {
      if (w == 1) text += random() % 2 ? " " : "\t ";
      const auto sign = random() % 3;
      if (sign == 1) text += '-';
      if (sign == 2) text += '+';
      for (auto d = random() % 11; d > 0; --d) text += static_cast<char>('0' + random() % 10);
      if (random() % 3) {
        text += '.';
        for (auto d = random() % 11; d > 0; --d) text += static_cast<char>('0' + random() % 10);
      }
    }
    text += ends[random() % std::size(ends)];
    double fx = 0;
    double fy = 0;
    double sx = 0;
    double sy = 0;
    const bool whole = whole_pair(text, fx, fy);
    ASSERT_EQ(whole, split_pair(text, sx, sy)) << text;
    if (!whole) continue;
    ASSERT_EQ(std::memcmp(&fx, &sx, sizeof fx), 0) << text;
    ASSERT_EQ(std::memcmp(&fy, &sy, sizeof fy), 0) << text;
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
