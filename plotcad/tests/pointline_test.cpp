#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plotcad/pointline.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/scanning.hpp"

namespace {

using namespace plotcad;

// What the general reading of a point line makes of it: the words of
// splitw, checked and converted.
// fastpair on a copy of the text followed by the eight bytes it may read.
bool whole_pair(const std::string& text, double& x, double& y) {
  std::vector<char> line(text.begin(), text.end());
  line.resize(text.size() + 9, '\0');
  bool whole = false;
  return fastpair(line.data(), text.size(), x, y, whole);
}

bool split_pair(const std::string& text, double& x, double& y) {
  toolkit::LineBuf line{};
  std::memcpy(line.data(), text.c_str(), text.size() + 1);
  toolkit::Words words;
  if (toolkit::splitw(line, words) != 2 || !toolkit::chkrea(words[0]).ok || !toolkit::chkrea(words[1]).ok)
    return false;
  x = toolkit::toreal(words[0]);
  y = toolkit::toreal(words[1]);
  return true;
}

TEST(PointLine, ReadWholeItGivesWhatItsSplitWordsGive) {
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

}

}  // namespace
