#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/linein.hpp"
#include "toolkit/output.hpp"

namespace {

using harness::capture;
using harness::error_block;

// Every read of getln over a text, as (byte count, text up to the first zero).
std::vector<std::pair<std::size_t, std::string>> reads(const std::string& content) {
  harness::Scratch scratch("Getln.reads");
  scratch.write("in.txt", content);
  std::FILE* file = toolkit::openin(scratch.path("in.txt"));
  EXPECT_NE(file, nullptr);
  std::vector<std::pair<std::size_t, std::string>> result;
  toolkit::LineBuf line;
  for (std::size_t n; (n = toolkit::getln(file, line)) > 0;) {
    EXPECT_EQ(line[n], '\0');
    result.emplace_back(n, std::string(line.data()));
  }
  std::fclose(file);
  return result;
}

using Reads = std::vector<std::pair<std::size_t, std::string>>;

TEST(Getln, ReadsUpToAndIncludingTheLineFeed) {
  EXPECT_EQ(reads("ab\n\ncd"), (Reads{{3, "ab\n"}, {1, "\n"}, {2, "cd"}}));
  EXPECT_EQ(reads("x\r\ny\r"), (Reads{{3, "x\r\n"}, {2, "y\r"}}));
  EXPECT_EQ(reads(""), Reads{});
}

TEST(Getln, TakesAtMost999BytesARead) {
  const std::string fits(998, 'a');
  EXPECT_EQ(reads(fits + "\n"), (Reads{{999, fits + "\n"}}));
  const std::string longer(1500, 'b');
  EXPECT_EQ(reads(longer + "\n"), (Reads{{999, std::string(999, 'b')}, {502, std::string(501, 'b') + "\n"}}));
}

TEST(Getln, CountsBytesBehindAZeroByte) {
  EXPECT_EQ(reads(std::string("a\0b\nc\n", 6)), (Reads{{4, "a"}, {2, "c\n"}}));
  EXPECT_EQ(reads(std::string("\0\n", 2)), (Reads{{2, ""}}));
}

TEST(Openin, GivesNoFileForMissingFilesAndDirectories) {
  harness::Scratch scratch;
  EXPECT_EQ(toolkit::openin(scratch.path("missing.kvd")), nullptr);
  EXPECT_EQ(toolkit::openin(scratch.dir()), nullptr);
  scratch.write("there.kvd", "1\n");
  std::FILE* file = toolkit::openin(scratch.path("there.kvd"));
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}

TEST(Mkname, JoinsNameAndEndingUpTo83Characters) {
  EXPECT_EQ(toolkit::mkname("job", ".kvd"), "job.kvd");
  EXPECT_EQ(toolkit::mkname("", "_th.zmf"), "_th.zmf");
  const std::string longest(79, 'j');
  EXPECT_EQ(toolkit::mkname(longest, ".kvd"), longest + ".kvd");
  auto outcome = capture([&] { toolkit::mkname(longest + "j", ".kvd"); });
  EXPECT_EQ(outcome.err, error_block("File name too long - jobname.kvd"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(capture([&] { toolkit::mkname(std::string(77, 'j'), "_th.zmf"); }).err,
            error_block("File name too long - jobname_th.zmf"));
}

TEST(Closeout, ReportsAFullDisk) {
  harness::Scratch scratch;
  scratch.symlink("full.zmf", "/dev/full");
  const std::string full = scratch.path("full.zmf");
  const std::string good = scratch.path("good.zmf");
  auto outcome = capture([&] {
    std::FILE* file = std::fopen(good.c_str(), "w");
    std::fputs("kept\n", file);
    toolkit::closeout(file, "jobname.zmf");
    file = std::fopen(full.c_str(), "w");
    std::fputs("lost\n", file);
    toolkit::closeout(file, "jobname.zmf");
  });
  EXPECT_EQ(outcome.err, error_block("Error writing file - jobname.zmf"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(scratch.read("good.zmf"), "kept\n");
}

TEST(Endout, ReportsLostStandardOutput) {
  EXPECT_EQ(capture([] { std::puts("fine"); toolkit::endout(); }).status, 0);
  auto outcome = capture([] {
    if (std::freopen("/dev/full", "w", stdout) == nullptr) std::abort();
    std::puts("lost");
    toolkit::endout();
  });
  EXPECT_EQ(outcome.err, error_block("Error writing standard output"));
  EXPECT_EQ(outcome.status, 1);
}

}  // namespace
