#include <cstdio>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/diagnostics.hpp"

namespace {

using harness::capture;

TEST(Errmsg, WritesTheBlockToStandardErrorAndEndsWithStatusOne) {
  auto outcome = capture([] { toolkit::errmsg("Zero curves", 0); });
  EXPECT_EQ(outcome.err, "\nERROR:\nZero curves\n\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.status, 1);
}

TEST(Errmsg, PrintsALineNumberOnlyWhenAboveZero) {
  EXPECT_EQ(capture([] { toolkit::errmsg("Bad", 12); }).err, "\nERROR:\nBad\nLine n.       12\n\n");
  EXPECT_EQ(capture([] { toolkit::errmsg("Bad", 1); }).err, "\nERROR:\nBad\nLine n.        1\n\n");
  EXPECT_EQ(capture([] { toolkit::errmsg("Bad", -3); }).err, "\nERROR:\nBad\n\n");
  EXPECT_EQ(capture([] { toolkit::errmsg("Bad", 123456789); }).err, "\nERROR:\nBad\nLine n. 123456789\n\n");
  EXPECT_EQ(capture([] { toolkit::errmsg("", 0); }).err, "\nERROR:\n\n\n");
}

TEST(Errmsg, OutputAlreadyWrittenReachesItsFile) {
  harness::Scratch scratch;
  const std::string path = scratch.path("partial.txt");
  auto outcome = capture([&] {
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fputs("written before the error\n", file);
    std::fputs("on standard output too\n", stdout);
    toolkit::errmsg("Stop");
  });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "on standard output too\n");
  EXPECT_EQ(scratch.read("partial.txt"), "written before the error\n");
}

TEST(Wrnmsg, WritesTheBlockWithoutClosingLineAndReturns) {
  auto outcome = capture([] {
    toolkit::wrnmsg("Number of nodes per element should be 2 in all elements");
    toolkit::wrnmsg("Twice", 7);
    std::fputs("carried on\n", stdout);
  });
  EXPECT_EQ(outcome.err,
            "\nWARNING:\nNumber of nodes per element should be 2 in all elements\n"
            "\nWARNING:\nTwice\nLine n.        7\n");
  EXPECT_EQ(outcome.out, "carried on\n");
  EXPECT_EQ(outcome.status, 0);
}

}  // namespace
