#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>
#include <string>

#include <gtest/gtest.h>

#include "toolkit/numbers.hpp"

namespace {

struct Verdicts {
  const char* word;
  int int_column;   // 0: chkint accepts the word
  int real_column;  // 0: chkrea accepts the word
};

// The reference table of number words, with the column at which each check
// finds the word bad.
constexpr Verdicts table[] = {
    {"12", 0, 0},      {"+12", 0, 0},      {"-0", 0, 0},         {"+", 2, 2},      {"++1", 2, 2},
    {"12a", 3, 3},     {"1.0", 2, 0},      {"-5.", 3, 0},        {".5", 1, 0},     {".", 1, 2},
    {"-.", 2, 3},      {"1.5.2", 2, 4},    {"1e5", 2, 0},        {"-2.5E+03", 3, 0}, {"1.e-7", 2, 0},
    {".5e10", 1, 0},   {"1e-300", 2, 0},   {"e5", 1, 1},         {"1e", 2, 3},     {"1e+", 2, 4},
    {"1e1000", 2, 6},  {"1ee5", 2, 3},     {"1e5.0", 2, 4},      {"1+e5", 2, 2},   {"", 0, 0},
};

TEST(NumberChecks, ReferenceTable) {
  for (const auto& row : table) {
    SCOPED_TRACE(std::string("word \"") + row.word + "\"");
    const toolkit::NumCheck i = toolkit::chkint(row.word);
    EXPECT_EQ(i.ok, row.int_column == 0);
    EXPECT_EQ(i.column, row.int_column);
    const toolkit::NumCheck r = toolkit::chkrea(row.word);
    EXPECT_EQ(r.ok, row.real_column == 0);
    EXPECT_EQ(r.column, row.real_column);
  }
}

TEST(NumberChecks, BlanksLeadOrTrailButNeverSplitANumber) {
  const Verdicts more[] = {
      {"   ", 0, 0},     {"  12", 0, 0},   {"12   ", 0, 0},  {" -7 ", 0, 0},   {"1 2", 2, 2},
      {"- 1", 2, 2},     {"1. 5", 2, 3},   {"1e 5", 2, 3},   {"  +", 4, 4},    {"12\t", 3, 3},
      {"0012", 0, 0},    {"-+1", 2, 2},    {"1-", 2, 2},     {"1.5e-3 ", 2, 0}, {"1.5e-3x", 2, 7},
      {"+.5", 2, 0},     {"1e-", 2, 4},    {"E5", 1, 1},     {"-e5", 2, 2},    {".e5", 1, 2},
      {"1e+1000", 2, 7}, {"1e999", 2, 0},  {"1E0", 2, 0},    {"1e--5", 2, 4},  {"1e5e5", 2, 4},
      {"1..2", 2, 3},    {"12345678901234567890", 0, 0},    {"inf", 1, 1},    {"nan", 1, 1},
  };
  for (const auto& row : more) {
    SCOPED_TRACE(std::string("word \"") + row.word + "\"");
    EXPECT_EQ(toolkit::chkint(row.word).column, row.int_column);
    EXPECT_EQ(toolkit::chkint(row.word).ok, row.int_column == 0);
    EXPECT_EQ(toolkit::chkrea(row.word).column, row.real_column);
    EXPECT_EQ(toolkit::chkrea(row.word).ok, row.real_column == 0);
  }
}

// Whatever chkrea accepts, the standard conversion of a real reads whole.
TEST(NumberChecks, AcceptedRealsConvertWhole) {
  const char* words[] = {"12", "-0", "-5.", ".5", "1e5", "-2.5E+03", "1.e-7", ".5e10", "1e-300", "+.5e+7"};
  for (const char* word : words) {
    ASSERT_TRUE(toolkit::chkrea(word).ok) << word;
    double value = 0.0;
    int used = 0;
    EXPECT_EQ(std::sscanf(word, "%lf%n", &value, &used), 1) << word;
    EXPECT_EQ(used, static_cast<int>(std::string(word).size())) << word;
  }
}

}  // namespace

namespace {

// The conversions: integers held at the 64-bit bounds, reals correctly
// rounded, overflow an infinity and underflow zero or a subnormal.
TEST(NumberConversions, IntegersSaturateAndRealsRoundAsTheStandardConversion) {
  constexpr std::int64_t top = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t bottom = std::numeric_limits<std::int64_t>::min();
  const std::pair<const char*, std::int64_t> integers[] = {
      {"12", 12},     {"+7", 7},  {"-0", 0},   {"  -2147483649", -2147483649LL}, {"9223372036854775807", top},
      {"9223372036854775808", top}, {"-9223372036854775808", bottom}, {"-99999999999999999999999", bottom},
      {"00000000000000000000000000042", 42}};
  for (const auto& [word, expected] : integers) {
    std::int64_t value = 0;
    EXPECT_TRUE(toolkit::toint(word, value)) << word;
    EXPECT_EQ(value, expected) << word;
  }
  for (const char* word : {"1.0", "12a", "+", "-", "--1", "0x10", "", "1 "}) {
    std::int64_t value = 0;
    EXPECT_FALSE(toolkit::toint(word, value)) << word;
  }
  // The end of a token stream: a view with no address at all.
  std::int64_t none = 0;
  EXPECT_FALSE(toolkit::toint(std::string_view(), none));

  for (const char* word : {"0.1", "-1.5", "+2.", ".25e1", "1E+0005", "  3.14159265358979", "1e-300", "2.5e-320",
                           "123456789012345678901234567890", "0.000000000000000000000000000001"})
    EXPECT_EQ(toolkit::toreal(word), std::strtod(word, nullptr)) << word;
  EXPECT_TRUE(std::isinf(toolkit::toreal("1e400")));
  EXPECT_TRUE(std::isinf(toolkit::toreal("-1e999")));
  EXPECT_EQ(toolkit::toreal("1e-400"), 0.0);
  EXPECT_EQ(toolkit::toreal("4e-320"), std::strtod("4e-320", nullptr));
}

// The tokens of the record sections: the real grammar without blanks and
// without a limit on the exponent's digits.
TEST(NumberChecks, RecordTokens) {
  for (const char* token : {"-1.5", "+2.", ".25e1", "1E+0005", "1e1000", "7"})
    EXPECT_TRUE(toolkit::isrecreal(token)) << token;
  for (const char* token : {"inf", "nan", "0x1p3", ".", "1e", "1e+", "1.5.2", "2.5x", "1,5", "e5", "", " 1", "1+e5"})
    EXPECT_FALSE(toolkit::isrecreal(token)) << token;
}

}  // namespace
