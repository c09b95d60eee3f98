#include "rodmesh/numreader.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

using rodmesh::Got;

TEST(ParseInteger, TakesWholeWordsOfSignAndDigitsOnly) {
  std::int64_t v = 0;
  EXPECT_EQ(rodmesh::parse_integer("12", v), Got::number);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(rodmesh::parse_integer("+7", v), Got::number);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(rodmesh::parse_integer("-0", v), Got::number);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(rodmesh::parse_integer("-2147483649", v), Got::number);
  EXPECT_EQ(v, -2147483649LL);
  for (const char* word : {"1.0", "12a", "+", "-", "1e3", "--1", "abc", "0x10", ""})
    EXPECT_EQ(rodmesh::parse_integer(word, v), Got::bad) << word;
}

TEST(ParseInteger, KeepsValuesBeyond64BitsAtTheBounds) {
  std::int64_t v = 0;
  EXPECT_EQ(rodmesh::parse_integer("9223372036854775807", v), Got::number);
  EXPECT_EQ(v, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(rodmesh::parse_integer("9223372036854775808", v), Got::number);
  EXPECT_EQ(v, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(rodmesh::parse_integer("-9223372036854775808", v), Got::number);
  EXPECT_EQ(v, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(rodmesh::parse_integer("-99999999999999999999999", v), Got::number);
  EXPECT_EQ(v, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(rodmesh::parse_integer("00000000000000000000000000042", v), Got::number);
  EXPECT_EQ(v, 42);
}

TEST(ParseReal, TakesDecimalNumbersOnly) {
  double v = 0.0;
  EXPECT_EQ(rodmesh::parse_real("-1.5", v), Got::number);
  EXPECT_EQ(v, -1.5);
  EXPECT_EQ(rodmesh::parse_real("+2.", v), Got::number);
  EXPECT_EQ(v, 2.0);
  EXPECT_EQ(rodmesh::parse_real(".25e1", v), Got::number);
  EXPECT_EQ(v, 2.5);
  EXPECT_EQ(rodmesh::parse_real("1E+0005", v), Got::number);
  EXPECT_EQ(v, 1e5);
  EXPECT_EQ(rodmesh::parse_real("0.1", v), Got::number);
  EXPECT_EQ(v, 0.1);
  for (const char* word : {"inf", "nan", "-inf", "0x1p3", ".", "1e", "1e+", "1.5.2", "2.5x", "1,5", "e5", ""})
    EXPECT_EQ(rodmesh::parse_real(word, v), Got::bad) << word;
}

TEST(ParseReal, RefusesOverflowAndKeepsUnderflow) {
  double v = 7.0;
  EXPECT_EQ(rodmesh::parse_real("1e999", v), Got::range);
  EXPECT_EQ(rodmesh::parse_real("-1e309", v), Got::range);
  EXPECT_EQ(rodmesh::parse_real("1e-999", v), Got::number);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(rodmesh::parse_real("4.9e-324", v), Got::number);
  EXPECT_GT(v, 0.0);
}

TEST(ParseReal, PlainDecimalsGiveTheStandardConversionToTheLastBit) {
  // Words of up to fifteen digits are converted in one division; longer ones
  // and those with exponents take the full conversion. Both must agree with
  // strtod on every bit, the sign of zero included.
  std::mt19937_64 random(4242);
  for (int k = 0; k < 200000; ++k) {
    const int digits = 1 + static_cast<int>(random() % 18);
    std::string word = random() % 3 == 0 ? "-" : (random() % 5 == 0 ? "+" : "");
    const int point = static_cast<int>(random() % (digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) word += '.';
      word += static_cast<char>('0' + random() % 10);
    }
    if (random() % 8 == 0) word += "e" + std::to_string(static_cast<int>(random() % 40) - 20);
    double v = 0.0;
    ASSERT_EQ(rodmesh::parse_real(word, v), Got::number) << word;
    const double expected = std::strtod(word.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << word;
  }
  double v = 0.0;
  EXPECT_EQ(rodmesh::parse_real("-0.000", v), Got::number);
  EXPECT_TRUE(std::signbit(v));
  EXPECT_EQ(rodmesh::parse_real("999999999999999.", v), Got::number);
  EXPECT_EQ(v, 999999999999999.0);
  EXPECT_EQ(rodmesh::parse_real("9007199254740993", v), Got::number);
  EXPECT_EQ(v, 9007199254740992.0);
  EXPECT_EQ(rodmesh::parse_real("0.0000000000000000000000123", v), Got::number);
  EXPECT_EQ(v, 1.23e-23);
}

TEST(ParseInteger, EighteenAndNineteenDigitsEitherSideOfTheBound) {
  std::int64_t v = 0;
  EXPECT_EQ(rodmesh::parse_integer("999999999999999999", v), Got::number);
  EXPECT_EQ(v, 999999999999999999);
  EXPECT_EQ(rodmesh::parse_integer("-999999999999999999", v), Got::number);
  EXPECT_EQ(v, -999999999999999999);
  EXPECT_EQ(rodmesh::parse_integer("+1000000000000000000", v), Got::number);
  EXPECT_EQ(v, 1000000000000000000);
  EXPECT_EQ(rodmesh::parse_integer("99999999999999999x", v), Got::bad);
  EXPECT_EQ(rodmesh::parse_integer("-12-", v), Got::bad);
}

// A reader over a temporary file holding text.
struct Reader {
  explicit Reader(const std::string& text) : file(std::tmpfile()) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
  }
  ~Reader() { std::fclose(file); }
  std::FILE* file;
  rodmesh::NumReader numbers{file, "jobname.zmf"};
};

TEST(NumReader, ReadsAcrossLinesAndAnyWhiteSpace) {
  Reader r(" 1\t-2\r\n\n  3.5\v\f4\n");
  std::int64_t i = 0;
  double x = 0.0;
  EXPECT_EQ(r.numbers.integer(i), Got::number);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(r.numbers.integer(i), Got::number);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(r.numbers.real(x), Got::number);
  EXPECT_EQ(x, 3.5);
  EXPECT_EQ(r.numbers.real(x), Got::number);
  EXPECT_EQ(x, 4.0);
  EXPECT_EQ(r.numbers.integer(i), Got::end);
  EXPECT_EQ(r.numbers.integer(i), Got::end);
}

TEST(NumReader, AZeroByteSpoilsTheWord) {
  Reader r(std::string("1\0002 3", 5));
  std::int64_t i = 0;
  EXPECT_EQ(r.numbers.integer(i), Got::bad);
}

TEST(NumReader, SkipsTheRestOfALineOrOfTheFile) {
  Reader r("1 2.5 a remark 7\n\n2 3 more\n3 4");
  std::int64_t i = 0;
  double x = 0.0;
  ASSERT_EQ(r.numbers.integer(i), Got::number);
  ASSERT_EQ(r.numbers.real(x), Got::number);
  r.numbers.skipln();
  ASSERT_EQ(r.numbers.integer(i), Got::number);
  EXPECT_EQ(i, 2);
  ASSERT_EQ(r.numbers.real(x), Got::number);
  r.numbers.skipln();
  ASSERT_EQ(r.numbers.integer(i), Got::number);
  ASSERT_EQ(r.numbers.real(x), Got::number);
  EXPECT_EQ(x, 4.0);
  r.numbers.skipln();  // no line feed: the end of the file ends the line
  EXPECT_EQ(r.numbers.integer(i), Got::end);
}

// Tokens are cut out of a block of a mebibyte: one that straddles two blocks
// must come out whole.
TEST(NumReader, JoinsAWordSplitByTheReadBlock) {
  const std::size_t block = std::size_t{1} << 20;
  std::string text(block - 3, ' ');
  text += "123456 -7.25";
  Reader r(text);
  std::int64_t i = 0;
  double x = 0.0;
  ASSERT_EQ(r.numbers.integer(i), Got::number);
  EXPECT_EQ(i, 123456);
  ASSERT_EQ(r.numbers.real(x), Got::number);
  EXPECT_EQ(x, -7.25);
}

TEST(NumReader, RefusesAnEndlessWordWithoutHoldingIt) {
  std::string text = "1 " + std::string(3u << 20, '7');
  Reader r(text);
  std::int64_t i = 0;
  ASSERT_EQ(r.numbers.integer(i), Got::number);
  EXPECT_EQ(r.numbers.integer(i), Got::bad);
}

}  // namespace
