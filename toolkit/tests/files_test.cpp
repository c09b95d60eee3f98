#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/diagnostics.hpp"
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

// An output is written beside its place, through a link to the file it
// leads to, and renamed onto it when whole: each end of a run leaves the
// earlier file, or what was written, and never a part beside it.
TEST(Openout, LeavesThePlaceAsTheRunEnds) {
  struct Case {
    const char* name;
    std::function<void(toolkit::FileOwner&)> end;  // after "new\n" went to the file
    int status;
    const char* left;  // in the place afterwards
  };
  const auto signal = [](int number) { return [number](toolkit::FileOwner&) { std::raise(number); }; };
  const std::vector<Case> cases = {
      {"closed", [](toolkit::FileOwner& f) { toolkit::closeout(std::move(f), "jobname.zmf"); }, 0, "new\n"},
      // A stop on an error, or an end with the file still open, leaves what
      // was written as an output written in place would stand.
      {"stopped", [](toolkit::FileOwner&) { toolkit::errmsg("Stop"); }, 1, "new\n"},
      {"left_open", [](toolkit::FileOwner&) {}, 0, "new\n"},
      {"released", [](toolkit::FileOwner& f) { f.reset(); }, 0, "new\n"},
      {"sigint", signal(SIGINT), 128 + SIGINT, "old\n"},
      {"sigterm", signal(SIGTERM), 128 + SIGTERM, "old\n"},
      {"sighup", signal(SIGHUP), 128 + SIGHUP, "old\n"},
      // A reader of the standard output gone: the output as far as it got.
      {"sigpipe", signal(SIGPIPE), 128 + SIGPIPE, "new\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    harness::Scratch scratch(c.name);
    scratch.write("old.zmf", "old\n");
    chmod(scratch.path("old.zmf").c_str(), 0640);
    scratch.symlink("link.zmf", "old.zmf");
    const auto outcome = harness::capture([&] {
      for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(number, SIG_DFL);
      toolkit::FileOwner file = toolkit::openout(scratch.path("link.zmf"), "jobname.zmf", toolkit::Form::text);
      std::fputs("new\n", file.get());
      std::fflush(file.get());
      c.end(file);
    });
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(scratch.files(), (std::vector<std::string>{"link.zmf", "old.zmf"}));
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.path("link.zmf")));
    EXPECT_EQ(scratch.read("old.zmf"), c.left);
    struct stat info {};
    stat(scratch.path("old.zmf").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
  }
}

// Where a rename would change what the earlier file is (its other names,
// its owner), or could not replace it (another user's file in a sticky
// folder), the output is written over it in place, as it always was.
TEST(Openout, WritesInPlaceWhatARenameWouldChange) {
  struct Case {
    const char* name;
    bool hard_link;
    bool other_user;  // the earlier file the superuser's, writable by all, in a sticky folder
  };
  const Case cases[] = {{"hard_link", true, false}, {"other_user", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.other_user && (geteuid() != 0 || !harness::permissions_apply())) continue;
    harness::Scratch scratch(c.name);
    scratch.write("old.zmf", "old\n");
    if (c.hard_link) {
      ASSERT_EQ(link(scratch.path("old.zmf").c_str(), scratch.path("twin.zmf").c_str()), 0);
    }
    if (c.other_user) {
      chmod(scratch.dir().c_str(), 01777);
      chmod(scratch.path("old.zmf").c_str(), 0666);
    }
    const auto outcome = harness::capture([&] {
      if (chdir(scratch.dir().c_str()) != 0 || (c.other_user && !harness::become_unprivileged())) std::_Exit(125);
      toolkit::FileOwner file = toolkit::openout("old.zmf", "jobname.zmf", toolkit::Form::text);
      std::fputs("new\n", file.get());
      toolkit::closeout(std::move(file), "jobname.zmf");
    });
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(scratch.read("old.zmf"), "new\n");
    if (c.hard_link) {
      EXPECT_EQ(scratch.read("twin.zmf"), "new\n");
    }
    EXPECT_EQ(scratch.files().size(), c.hard_link ? 2u : 1u);
    struct stat info {};
    stat(scratch.path("old.zmf").c_str(), &info);
    if (c.other_user) {
      EXPECT_EQ(info.st_uid, 0u);
    }
  }
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
