#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/files.hpp"

namespace {

using harness::capture;
using harness::error_block;

TEST(Openin, GivesNoFileForMissingFilesAndDirectories) {
  harness::Scratch scratch;
  EXPECT_EQ(toolkit::openin(scratch.path("missing.kvd")), nullptr);
  EXPECT_EQ(toolkit::openin(scratch.dir()), nullptr);
  scratch.write("there.kvd", "1\n");
  EXPECT_NE(toolkit::openin(scratch.path("there.kvd")), nullptr);
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
    toolkit::FileOwner file = toolkit::openout(good, "jobname.zmf", toolkit::Form::text);
    std::fputs("kept\n", file.get());
    toolkit::closeout(std::move(file), "jobname.zmf");
    file = toolkit::openout(full, "jobname.zmf", toolkit::Form::text);
    std::fputs("lost\n", file.get());
    toolkit::closeout(std::move(file), "jobname.zmf");
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
