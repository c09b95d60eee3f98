#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/e2e.hpp"
#include "toolkit/files.hpp"
#include "toolkit/reader.hpp"

namespace {

// A file of the given content, read by a reader of its own.
struct Input {
  explicit Input(const std::string& content, const char* name = "reader")
      : scratch(name) {
    scratch.write("in.txt", content);
    file = toolkit::openin(scratch.path("in.txt"));
  }
  harness::Scratch scratch;
  toolkit::FileOwner file;
};

std::vector<std::string> pieces(const std::string& content) {
  Input in(content);
  toolkit::Reader reader(in.file.get(), "jobname.txt");
  std::vector<std::string> result;
  for (std::string_view p; !(p = reader.piece()).empty();) result.emplace_back(p);
  return result;
}

using Texts = std::vector<std::string>;

// Pieces are what a read of at most 999 bytes up to a line feed gives, zero
// bytes and carriage returns included.
TEST(Reader, PiecesOfAtMost999BytesUpToTheLineFeed) {
  const std::string fits(998, 'a');
  const std::string longer(1500, 'b');
  EXPECT_EQ(pieces("ab\n\ncd"), (Texts{"ab\n", "\n", "cd"}));
  EXPECT_EQ(pieces("x\r\ny\r"), (Texts{"x\r\n", "y\r"}));
  EXPECT_EQ(pieces(std::string("a\0b\n", 4)), (Texts{std::string("a\0b\n", 4)}));
  EXPECT_EQ(pieces(""), Texts{});
  EXPECT_EQ(pieces(fits + "\n"), (Texts{fits + "\n"}));
  EXPECT_EQ(pieces(longer + "\n"), (Texts{std::string(999, 'b'), std::string(501, 'b') + "\n"}));
}

// Tokens run across lines, blocks and every kind of white space; a token
// too long for any number comes cut.
TEST(Reader, TokensAcrossLinesAndBlocks) {
  const std::string big(3 << 19, ' ');  // a token across the first block's end
  Input in("  12\t-3.5\r\n\v\f7e1 " + big + "x" + std::string(2000, '9') + " last");
  toolkit::Reader reader(in.file.get(), "jobname.txt");
  Texts tokens;
  for (std::string_view t; reader.token(t);) tokens.emplace_back(t);
  ASSERT_EQ(tokens.size(), 7u);  // the long token goes on as the rest of it
  EXPECT_EQ(Texts(tokens.begin(), tokens.begin() + 3), (Texts{"12", "-3.5", "7e1"}));
  EXPECT_EQ(tokens[3], "x" + std::string(toolkit::token_limit, '9'));
  EXPECT_EQ(tokens[6], "last");
}

// Lines handed on whole, counted; skipln and the byte reads.
TEST(Reader, LinesRestAndBytes) {
  Input in("h\nd1\n1 2 3\nbody\r\n" + std::string(1 << 21, 'z') + "\nlast");
  toolkit::Reader reader(in.file.get(), "jobname.txt");
  std::string copy;
  auto sink = [&](std::string_view p) { copy.append(p); };
  EXPECT_EQ(reader.lines(2, sink), 2);
  EXPECT_EQ(copy, "h\nd1\n");
  EXPECT_EQ(reader.get(), '1');
  reader.skipln();
  EXPECT_EQ(reader.peek(), 'b');
  EXPECT_EQ(reader.lines(5, [](std::string_view) {}), 3);  // the last line has no line end
  EXPECT_EQ(reader.count(), 5);
  EXPECT_FALSE(reader.atlineend());
  EXPECT_FALSE(reader.more());
  EXPECT_EQ(reader.get(), -1);
}

// The checks on a piece: a zero byte, and a carriage return that ends no line.
TEST(Reader, ZeroBytesAndCarriageReturnsInsideALine) {
  EXPECT_TRUE(toolkit::nulbyte(std::string_view("a\0b", 3)));
  EXPECT_FALSE(toolkit::nulbyte("ab\n"));
  for (const char* fine : {"a\r\n", "a\r\r\n", "a\r", "\r\n", "abc"}) EXPECT_FALSE(toolkit::crinside(fine)) << fine;
  for (const char* bad : {"a\rb\n", "\rx", "a\r\rb"}) EXPECT_TRUE(toolkit::crinside(bad)) << bad;
  EXPECT_TRUE(toolkit::crinside("x", '\r'));
  EXPECT_FALSE(toolkit::crinside("\n", '\r'));
}

}  // namespace
