#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/harness/e2e.hpp"

namespace {

using harness::banner;
using harness::error_block;
using harness::run;
using harness::Scratch;

const std::string header = "Truss model, load case 3\n";
const std::string first =
    "TRUSS\n"
    "    2       3       1\n"
    "    1     2       1     2\n"
    "    2     2       2     3\n"
    "    1      0.00000000      0.00000000      0.00000000\n"
    "    2      1.00000000      0.00000000      0.00000000\n"
    "    3      2.00000000      0.00000000      0.00000000\n"
    "    1     3\n";
// CR LF line ends and blank lines in the body are copied as they are.
const std::string second =
    "PLATE\r\n"
    "0 2 0\r\n"
    "\r\n"
    "\n";

std::string reading(const std::string& job) { return "\nReading file: " + job + ".zmf\n"; }
std::string writing(const std::string& name) { return "\nWriting file: " + name + "\n"; }
std::string total(int n) {
  char line[80];
  std::snprintf(line, sizeof line, "\nN. of drawings splitted into files = %8d\n\n", n);
  return line;
}

TEST(Meshcut, WritesEachDrawingToAFileOfItsOwnBehindTheHeader) {
  Scratch s;
  s.write("job.zmf", header + first + second);
  auto r = run(s, "meshcut", {"job"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, banner("meshcut") + reading("job") + writing("job_01.zmf") + writing("job_02.zmf") + total(2));
  EXPECT_EQ(s.read("job_01.zmf"), header + first);
  EXPECT_EQ(s.read("job_02.zmf"), header + second);
  EXPECT_EQ(s.files(), (std::vector<std::string>{"job.zmf", "job_01.zmf", "job_02.zmf"}));
}

TEST(Meshcut, OneDrawingGivesACopyOfTheInput) {
  Scratch s;
  s.write("one.zmf", header + first);
  auto r = run(s, "meshcut", {"one"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(s.read("one_01.zmf"), header + first);
  EXPECT_EQ(r.out, banner("meshcut") + reading("one") + writing("one_01.zmf") + total(1));
}

TEST(Meshcut, HeaderWithoutDrawingWritesNoFile) {
  Scratch s;
  s.write("h.zmf", header);
  auto r = run(s, "meshcut", {"h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, banner("meshcut") + reading("h") + total(0));
  EXPECT_EQ(s.files(), std::vector<std::string>{"h.zmf"});
}

TEST(Meshcut, DrawingsWithZeroCountsAndAHundredDrawingsNumberedPastNinetyNine) {
  Scratch s;
  std::string text = header;
  std::string expected = banner("meshcut") + reading("many");
  for (int k = 1; k <= 100; ++k) text += "D" + std::to_string(k) + "\n    0       0       0\n";
  s.write("many.zmf", text);
  auto r = run(s, "meshcut", {"many"});
  EXPECT_EQ(r.status, 0);
  for (int k = 1; k <= 100; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "many_%2.2d.zmf", k);
    expected += writing(name);
    EXPECT_EQ(s.read(name), header + "D" + std::to_string(k) + "\n    0       0       0\n") << name;
  }
  EXPECT_EQ(r.out, expected + total(100));
  EXPECT_TRUE(s.exists("many_09.zmf"));
  EXPECT_TRUE(s.exists("many_100.zmf"));
}

TEST(Meshcut, LastLineWithoutLineEndStillCountsAsALine) {
  Scratch s;
  s.write("t.zmf", "H\nD\n0 1 0\n    1 1.0 2.0 3.0");
  auto r = run(s, "meshcut", {"t"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(s.read("t_01.zmf"), "H\nD\n0 1 0\n    1 1.0 2.0 3.0");
}

TEST(Meshcut, BytesAreCopiedExactlyNulAndHighBytesIncluded) {
  Scratch s;
  const std::string body("\x01\xff\xe9t\0end\n", 8);
  s.write("b.zmf", std::string("H\xc3\xa9\n") + "D\n" + "1 0 0\n" + body);
  auto r = run(s, "meshcut", {"b"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(s.read("b_01.zmf"), std::string("H\xc3\xa9\n") + "D\n" + "1 0 0\n" + body);
}

TEST(Meshcut, LongBodyLinesAreCopiedWholeAsOneLine) {
  Scratch s;
  const std::string longline = std::string(100000, '7') + "\n";
  s.write("l.zmf", header + "D\n1 1 0\n" + longline + "    1 0 0 0\n" + "E\n0 0 0\n");
  auto r = run(s, "meshcut", {"l"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(s.read("l_01.zmf"), header + "D\n1 1 0\n" + longline + "    1 0 0 0\n");
  EXPECT_EQ(s.read("l_02.zmf"), header + "E\n0 0 0\n");
}

TEST(Meshcut, HeaderAndCountLinesMustFitTheLineLimit) {
  Scratch s;
  // 998 characters and the line feed are the longest line of the format.
  const std::string fits = std::string(998, 'h') + "\n";
  s.write("ok.zmf", fits + "D\n0 0 0\n");
  EXPECT_EQ(run(s, "meshcut", {"ok"}).status, 0);
  EXPECT_EQ(s.read("ok_01.zmf"), fits + "D\n0 0 0\n");

  s.write("long.zmf", std::string(999, 'h') + "\nD\n0 0 0\n");
  auto r = run(s, "meshcut", {"long"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Line too long", 1));
  EXPECT_FALSE(s.exists("long_01.zmf"));

  s.write("count.zmf", "H\nD\n0 0 0" + std::string(995, ' ') + "\n");
  r = run(s, "meshcut", {"count"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Line too long", 3));
}

TEST(Meshcut, UsageNeedsExactlyOneJobName) {
  Scratch s;
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"a", "b"}}) {
    auto r = run(s, "meshcut", args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, banner("meshcut"));
    EXPECT_EQ(r.err, error_block("Usage: meshcut jobname"));
  }
}

TEST(Meshcut, MissingUnreadableOrDirectoryInputIsNotFound) {
  Scratch s;
  auto r = run(s, "meshcut", {"none"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcut") + reading("none"));
  EXPECT_EQ(r.err, error_block("File not found - jobname.zmf"));

  std::filesystem::create_directory(s.path("dir.zmf"));
  r = run(s, "meshcut", {"dir"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("File not found - jobname.zmf"));
}

TEST(Meshcut, InputEndingEarlyStopsAndKeepsWhatWasWritten) {
  Scratch s;
  s.write("empty.zmf", "");
  auto r = run(s, "meshcut", {"empty"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Unexpected end of file"));

  // No count line after the drawing line.
  s.write("nocount.zmf", header + first + "LAST\n");
  r = run(s, "meshcut", {"nocount"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcut") + reading("nocount") + writing("nocount_01.zmf") + writing("nocount_02.zmf"));
  EXPECT_EQ(r.err, error_block("Unexpected end of file"));
  EXPECT_EQ(s.read("nocount_01.zmf"), header + first);
  EXPECT_EQ(s.read("nocount_02.zmf"), header + "LAST\n");

  // Counts that announce more lines than remain: the lines there were stay.
  s.write("short.zmf", header + "D\n2 3 0\nA\nB\n");
  r = run(s, "meshcut", {"short"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Unexpected end of file"));
  EXPECT_EQ(s.read("short_01.zmf"), header + "D\n2 3 0\nA\nB\n");
}

TEST(Meshcut, CountLineMustHoldThreeNonNegativeIntegers) {
  Scratch s;
  s.write("two.zmf", "H\nD\n   1   2\nA\nB\nC\n");
  auto r = run(s, "meshcut", {"two"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Count line without three integers", 3));
  EXPECT_EQ(s.read("two_01.zmf"), "H\nD\n   1   2\n");

  s.write("neg.zmf", "H\nD\n1 -1 0\nA\n");
  r = run(s, "meshcut", {"neg"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Negative count in the count line", 3));

  s.write("huge.zmf", "H\nD\n1 0 0\nA\nE\n99999999999 0 0\n");
  r = run(s, "meshcut", {"huge"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Count out of range", 6));
  EXPECT_EQ(s.read("huge_01.zmf"), "H\nD\n1 0 0\nA\n");

  // Any white space between the counts, and text after the third, as the
  // count line of an older writer may have.
  s.write("tabs.zmf", "H\nD\n\t1\t 0   0  ignored\nA\n");
  EXPECT_EQ(run(s, "meshcut", {"tabs"}).status, 0);
  EXPECT_EQ(s.read("tabs_01.zmf"), "H\nD\n\t1\t 0   0  ignored\nA\n");
}

TEST(Meshcut, OutputThatCannotBeCreatedOrWritten) {
  Scratch s;
  s.write("job.zmf", header + first + second);
  std::filesystem::create_directory(s.path("job_02.zmf"));
  auto r = run(s, "meshcut", {"job"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Unable to open output file - jobname.zmf"));
  EXPECT_EQ(s.read("job_01.zmf"), header + first);

  Scratch full("full_disk");
  full.write("job.zmf", header + first);
  full.symlink("job_01.zmf", "/dev/full");
  r = run(full, "meshcut", {"job"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Error writing file - jobname.zmf"));
  EXPECT_EQ(r.out, banner("meshcut") + reading("job") + writing("job_01.zmf"));
}

TEST(Meshcut, JobNamesMustLeaveRoomForTheFileNameEnding) {
  Scratch s;
  const std::string too_long(80, 'j');  // 80 + ".zmf" would need 85 bytes
  auto r = run(s, "meshcut", {too_long});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcut"));
  EXPECT_EQ(r.err, error_block("File name too long - jobname.zmf"));

  const std::string name(79, 'j');  // fits with ".zmf", not with "_01.zmf"
  s.write(name + ".zmf", header + first);
  r = run(s, "meshcut", {name});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcut") + reading(name));
  EXPECT_EQ(r.err, error_block("File name too long - jobname_01.zmf"));
}

}  // namespace

namespace {

// An output name that leads to the input (a link) would empty the input
// before it is read: refused before anything is written to it.
TEST(Meshcut, RefusesAnOutputThatIsTheInput) {
  Scratch s;
  s.write("job.zmf", header + first + second);
  s.symlink("job_01.zmf", "job.zmf");
  auto r = run(s, "meshcut", {"job"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcut") + reading("job") + writing("job_01.zmf"));
  EXPECT_EQ(r.err, error_block("Output file is also an input file - jobname.zmf"));
  EXPECT_EQ(s.read("job.zmf"), header + first + second);
}

}  // namespace
