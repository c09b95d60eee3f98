// wordlist at the limits of standard input that its own tests leave out:
// lines of 100,000 characters, lines of 101 words, a single line feed and
// whole files with carriage-return-only line ends.

#include <string>

#include <gtest/gtest.h>

#include "tests/hardening/jobs.hpp"

namespace {

using harness::error_block;

struct Filter {
  const char* name;
  std::string input;
  std::string words;
  std::string err;
};

TEST(WordlistLimits, StandardInputAtItsLimits) {
  std::string hundred_one;
  std::string one_per_line;
  for (int k = 1; k <= 101; ++k) {
    hundred_one += "w" + std::to_string(k) + " ";
    one_per_line += "w" + std::to_string(k) + "\n";
  }
  std::string long_cr = "a b";
  while (long_cr.size() < 3000) long_cr += "\rc d";
  const std::string no_lf = error_block("elimnl: internal error 2 (LF expected)");
  for (const Filter& f : {
           Filter{"line_feed", "\n", "", ""},
           // The filter splits lines itself: no limit of 100 words.
           Filter{"101_words", hundred_one + "\n", one_per_line, ""},
           Filter{"100000", "x y\n" + std::string(100000, 'w') + "\nz\n", "x\ny\n", no_lf},
           // One read ending in a carriage return, or one of 999 bytes
           // without line end.
           Filter{"carriage_returns", "a b\rc d\r", "", error_block("elimnl: internal error 1 (CR in the string)")},
           Filter{"carriage_returns_long", long_cr + "\r", "", no_lf},
       }) {
    SCOPED_TRACE(f.name);
    const auto dir = hardening::scratch(f.name);
    const auto run = harness::run(dir, "wordlist", {}, f.input);
    EXPECT_EQ(run.status, f.err.empty() ? 0 : 1);
    EXPECT_EQ(run.out, f.words);
    EXPECT_EQ(run.err, f.err);
  }
}

}  // namespace
