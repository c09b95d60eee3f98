#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/scanning.hpp"

namespace {

using harness::capture;
using harness::error_block;

// The text left in a buffer after elimnl, up to its first zero byte.
std::string stripped(std::string text) {
  text.push_back('\0');
  toolkit::elimnl(text.data());
  return std::string(text.c_str());
}

toolkit::LineBuf buffer_of(const std::string& text) {
  toolkit::LineBuf line{};
  std::memcpy(line.data(), text.data(), std::min(text.size(), line.size() - 1));
  return line;
}

std::vector<std::string> split(const std::string& text) {
  toolkit::LineBuf line = buffer_of(text);
  toolkit::Words words{};
  const int count = toolkit::splitw(line, words);
  std::vector<std::string> result;
  for (int k = 0; k < count; ++k) result.emplace_back(words[k]);
  return result;
}

using Split = std::vector<std::string>;

TEST(Elimnl, RemovesTheLineFeedAndACarriageReturnBeforeIt) {
  EXPECT_EQ(stripped("abc\n"), "abc");
  EXPECT_EQ(stripped("abc\r\n"), "abc");
  EXPECT_EQ(stripped("\n"), "");
  EXPECT_EQ(stripped("\r\n"), "");
  EXPECT_EQ(stripped(""), "");
  // Only the one carriage return next to the line feed belongs to the line end.
  EXPECT_EQ(stripped("a\r\r\n"), "a\r");
  EXPECT_EQ(stripped("a\rb\n"), "a\rb");
}

TEST(Elimnl, StopsOnALineWithoutLineFeed) {
  auto outcome = capture([] { stripped("abc"); });
  EXPECT_EQ(outcome.err, error_block("elimnl: internal error 2 (LF expected)"));
  EXPECT_EQ(outcome.status, 1);
  outcome = capture([] { stripped("abc\r"); });
  EXPECT_EQ(outcome.err, error_block("elimnl: internal error 1 (CR in the string)"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(capture([] { stripped("\r"); }).err, error_block("elimnl: internal error 1 (CR in the string)"));
  // The zero-terminated text is what counts: a line feed after a zero byte is unseen.
  EXPECT_EQ(capture([] { stripped(std::string("ab\0\n", 4)); }).err,
            error_block("elimnl: internal error 2 (LF expected)"));
  EXPECT_EQ(stripped(std::string("\0ab\n", 4)), "");
}

TEST(Splitw, CutsTheCommentAndSplitsAtBlanksAndTabs) {
  EXPECT_EQ(split("  abc\tdef  # a comment\n"), (Split{"abc", "def"}));
  EXPECT_EQ(split("abc#def"), (Split{"abc"}));
  EXPECT_EQ(split("# only a comment\n"), Split{});
  EXPECT_EQ(split(""), Split{});
  EXPECT_EQ(split("\n"), Split{});
  EXPECT_EQ(split(" \t \t "), Split{});
  EXPECT_EQ(split("\t\tx\t"), (Split{"x"}));
  // A carriage return ends the line like a line feed, so CR LF lines split alike.
  EXPECT_EQ(split("1 2 3\r\n"), (Split{"1", "2", "3"}));
  EXPECT_EQ(split("1 2\r3 4\n"), (Split{"1", "2"}));
  // Form feed, vertical tab and the rest are word characters.
  EXPECT_EQ(split("a\fb\vc d"), (Split{"a\fb\vc", "d"}));
}

TEST(Splitw, WordsPointIntoTheLineBuffer) {
  toolkit::LineBuf line = buffer_of(" ab cd\n");
  toolkit::Words words{};
  ASSERT_EQ(toolkit::splitw(line, words), 2);
  EXPECT_EQ(words[0], line.data() + 1);
  EXPECT_EQ(words[1], line.data() + 4);
  EXPECT_EQ(line[3], '\0');
  EXPECT_EQ(line[6], '\0');
}

TEST(Splitw, AcceptsUpTo980CharactersLineEndIncluded) {
  EXPECT_EQ(split(std::string(980, 'x')), Split{std::string(980, 'x')});
  EXPECT_EQ(split(std::string(979, 'y') + "\n"), Split{std::string(979, 'y')});
  auto outcome = capture([] { split(std::string(981, 'x')); });
  EXPECT_EQ(outcome.err, error_block("Line too long"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(capture([] { split(std::string(980, 'y') + "\n"); }).err, error_block("Line too long"));
  // A line filling the whole buffer is looked at only up to its 990th character.
  EXPECT_EQ(capture([] { split(std::string(999, 'z')); }).err, error_block("Line too long"));
}

TEST(Splitw, AcceptsUpToOneHundredWords) {
  std::string hundred;
  for (int k = 0; k < 100; ++k) hundred += std::to_string(k % 10) + " ";
  const Split words = split(hundred + "\n");
  ASSERT_EQ(words.size(), 100u);
  EXPECT_EQ(words[0], "0");
  EXPECT_EQ(words[99], "9");
  auto outcome = capture([&] { split(hundred + "x\n"); });
  EXPECT_EQ(outcome.err, error_block("Too many words in a single line"));
  EXPECT_EQ(outcome.status, 1);
  // Words behind the comment sign do not count.
  EXPECT_EQ(split(hundred + "# x y z\n").size(), 100u);
}

TEST(Lentrm, IgnoresTrailingBlanksOnly) {
  EXPECT_EQ(toolkit::lentrm(""), 0);
  EXPECT_EQ(toolkit::lentrm("   "), 0);
  EXPECT_EQ(toolkit::lentrm("abc"), 3);
  EXPECT_EQ(toolkit::lentrm("  abc  "), 5);
  EXPECT_EQ(toolkit::lentrm("abc\t"), 4);
  EXPECT_EQ(toolkit::lentrm("abc\t "), 4);
}

TEST(Nlead, CountsLeadingBlanksOfATextThatHasMore) {
  EXPECT_EQ(toolkit::nlead(""), 0);
  EXPECT_EQ(toolkit::nlead("    "), 0);
  EXPECT_EQ(toolkit::nlead("abc"), 0);
  EXPECT_EQ(toolkit::nlead("  abc "), 2);
  EXPECT_EQ(toolkit::nlead(" \tabc"), 1);
}

TEST(Trimst, RemovesLeadingAndTrailingBlanksInPlace) {
  auto trimmed = [](std::string text) {
    text.push_back('\0');
    toolkit::trimst(text.data());
    return std::string(text.c_str());
  };
  EXPECT_EQ(trimmed("   "), "");
  EXPECT_EQ(trimmed(""), "");
  EXPECT_EQ(trimmed("  a b  "), "a b");
  EXPECT_EQ(trimmed("ab"), "ab");
  EXPECT_EQ(trimmed("\t a \t"), "\t a \t");
  EXPECT_EQ(trimmed("   x"), "x");
}

}  // namespace
