#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/e2e.hpp"

namespace {

using harness::banner;
using harness::error_block;
using harness::run;
using harness::Scratch;

const std::string usage = "Usage: meshcat -o new_jobname  old_jobname1 old_jobname2 old_jobname3 ...";

const std::string a_file =
    "Frame, first model\n"
    "BEAMS\n"
    "    1       2       0\n"
    "    1     2       1     2\n"
    "    1      0.00000000      0.00000000      0.00000000\n"
    "    2      0.00000000      0.00000000      3.00000000\n";
const std::string b_drawings =
    "COLS\r\n"
    "0 0 1\r\n"
    "\r\n"
    "SLAB\n"
    "    0       0       0\n";
const std::string b_file = "A header that never reaches the output\n" + b_drawings;

std::string line(const std::string& what, const std::string& job) { return "\n" + what + ": " + job + ".zmf\n"; }

TEST(Meshcat, JoinsTheDrawingsBehindTheFirstHeader) {
  Scratch s;
  s.write("a.zmf", a_file);
  s.write("b.zmf", b_file);
  s.write("h.zmf", "Only a header\n");
  auto r = run(s, "meshcat", {"-o", "c", "a", "b", "h", "a"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, banner("meshcat") + line("Checking file", "a") + line("Checking file", "b") +
                       line("Checking file", "h") + line("Checking file", "a") + line("Writing file", "c") +
                       line("Reading file", "a") + line("Reading file", "b") + line("Reading file", "h") +
                       line("Reading file", "a") + "\n");
  EXPECT_EQ(s.read("c.zmf"), a_file + b_drawings + a_file.substr(a_file.find('\n') + 1));
}

TEST(Meshcat, UsageWantsTheFlagAndAtLeastTwoInputs) {
  Scratch s;
  s.write("a.zmf", a_file);
  s.write("b.zmf", b_file);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"-o", "c", "a"}, {"-x", "c", "a", "b"}, {"-O", "c", "a", "b"}}) {
    auto r = run(s, "meshcat", args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, banner("meshcat"));
    EXPECT_EQ(r.err, error_block(usage));
  }
  EXPECT_FALSE(s.exists("c.zmf"));
}

TEST(Meshcat, MissingInputStopsBeforeTheOutputIsTouched) {
  Scratch s;
  s.write("a.zmf", a_file);
  s.write("c.zmf", "precious\n");
  std::filesystem::create_directory(s.path("d.zmf"));
  for (const std::string missing : {"b", "d"}) {
    auto r = run(s, "meshcat", {"-o", "c", "a", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, banner("meshcat") + line("Checking file", "a") + line("Checking file", missing));
    EXPECT_EQ(r.err, error_block("File not found - jobname.zmf"));
    EXPECT_EQ(s.read("c.zmf"), "precious\n");
  }
}

TEST(Meshcat, RefusesAnOutputThatIsOneOfTheInputs) {
  Scratch s;
  s.write("a.zmf", a_file);
  s.write("b.zmf", b_file);
  for (const std::string out : {"b", "./a"}) {
    auto r = run(s, "meshcat", {"-o", out, "a", "b"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, error_block("Output file is also an input file - jobname.zmf"));
    EXPECT_EQ(r.out.find("Writing file"), std::string::npos);
  }
  EXPECT_EQ(s.read("a.zmf"), a_file);
  EXPECT_EQ(s.read("b.zmf"), b_file);
}

TEST(Meshcat, EmptyFirstInputHasNoHeaderToWrite) {
  Scratch s;
  s.write("e.zmf", "");
  s.write("a.zmf", a_file);
  auto r = run(s, "meshcat", {"-o", "c", "e", "a"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcat") + line("Checking file", "e"));
  EXPECT_EQ(r.err, error_block("Unexpected end of file"));
  EXPECT_FALSE(s.exists("c.zmf"));

  // An empty later input simply adds nothing.
  r = run(s, "meshcat", {"-o", "c", "a", "e"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(s.read("c.zmf"), a_file);
}

TEST(Meshcat, LinesOfAnyLengthAndAnyBytesPassWhole) {
  Scratch s;
  const std::string long_header = std::string(5000, 'H') + "\n";
  const std::string body = std::string("D\n0 0 0\n\x00\xff\xfe", 11) + std::string(3000, 'x') + "\nno line end";
  s.write("a.zmf", long_header + body);
  s.write("b.zmf", long_header + "E\n0 0 0\n");
  auto r = run(s, "meshcat", {"-o", "c", "a", "b"});
  EXPECT_EQ(r.status, 0);
  // The last line of a.zmf gets its line end: b's first line stays a line.
  EXPECT_EQ(s.read("c.zmf"), long_header + body + "\nE\n0 0 0\n");
}

TEST(Meshcat, OutputThatCannotBeCreatedOrWritten) {
  Scratch s;
  s.write("a.zmf", a_file);
  s.write("b.zmf", b_file);
  std::filesystem::create_directory(s.path("dir.zmf"));
  auto r = run(s, "meshcat", {"-o", "dir", "a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Unable to open output file - jobname.zmf"));

  s.symlink("full.zmf", "/dev/full");
  r = run(s, "meshcat", {"-o", "full", "a", "b"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, error_block("Error writing file - jobname.zmf"));
}

TEST(Meshcat, JobNamesMustFitTheFileNameBuffers) {
  Scratch s;
  s.write("a.zmf", a_file);
  auto r = run(s, "meshcat", {"-o", std::string(80, 'n'), "a", "a"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner("meshcat"));
  EXPECT_EQ(r.err, error_block("File name too long - jobname.zmf"));
}

}  // namespace
