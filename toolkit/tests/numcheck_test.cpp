#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "toolkit/numcheck.hpp"

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
