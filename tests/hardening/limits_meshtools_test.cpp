// meshcut and meshcat at the limits of their inputs: long lines, counts at
// the edge of 32 bits, long job names, files that are empty, one line feed
// or lack their last line end, carriage-return-only line ends, NUL bytes.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/hardening/jobs.hpp"

namespace {

using namespace hardening;
using harness::error_block;

struct Split {
  const char* name;
  std::string input;  // job.zmf
  std::string out;    // standard output after the "Reading file" line
  std::string err;
  Files written;
};

void expect_split(const Split& s) {
  SCOPED_TRACE(s.name);
  const auto dir = scratch(s.name);
  dir.write("job.zmf", s.input);
  const auto run = harness::run(dir, "meshcut", {"job"});
  EXPECT_EQ(run.status, s.err.empty() ? 0 : 1);
  EXPECT_EQ(run.out, harness::banner("meshcut") + reading("job.zmf") + s.out);
  EXPECT_EQ(run.err, s.err);
  std::vector<std::string> names{"job.zmf"};
  for (const auto& [name, text] : s.written) {
    names.push_back(name);
    if (dir.exists(name)) {
      EXPECT_TRUE(dir.read(name) == text) << name;
    }
  }
  EXPECT_EQ(dir.files(), names);
}

const std::string w1 = writing("job_01.zmf");

TEST(MeshcutLimits, LinesOfAHundredThousandCharacters) {
  const std::string huge(100000, 'x');
  for (const Split& s : std::vector<Split>{
           {"header", huge + "\nD\n0 0 0\n", "", error_block("Line too long", 1), {}},
           {"count_line", "H\nD\n0 0 0 " + huge + "\n", w1, error_block("Line too long", 3),
            {{"job_01.zmf", "H\nD\n"}}},
           // The drawing line and the body are copied whole, whatever their length.
           {"drawing_line", "H\n" + huge + "\n0 1 0\n" + huge + "\n", w1 + drawings(1), "",
            {{"job_01.zmf", "H\n" + huge + "\n0 1 0\n" + huge + "\n"}}},
       })
    expect_split(s);
}

// The count line is copied before it is read.
TEST(MeshcutLimits, CountsAtTheEdgeOf32Bits) {
  for (const Split& s : std::vector<Split>{
           // Far more lines announced than there are: what there was is kept.
           {"largest", "H\nD\n2147483647 2147483647 2147483647\nA\nB\n", w1, error_block("Unexpected end of file"),
            {{"job_01.zmf", "H\nD\n2147483647 2147483647 2147483647\nA\nB\n"}}},
           {"beyond", "H\nD\n0 2147483648 0\n", w1, error_block("Count out of range", 3),
            {{"job_01.zmf", "H\nD\n0 2147483648 0\n"}}},
           {"lowest", "H\nD\n0 0 -2147483648\n", w1, error_block("Negative count in the count line", 3),
            {{"job_01.zmf", "H\nD\n0 0 -2147483648\n"}}},
           {"below", "H\nD\n-2147483649 0 0\n", w1, error_block("Count out of range", 3),
            {{"job_01.zmf", "H\nD\n-2147483649 0 0\n"}}},
           {"exponent", "H\nD\n1e3 0 0\n", w1, error_block("Count line without three integers", 3),
            {{"job_01.zmf", "H\nD\n1e3 0 0\n"}}},
       })
    expect_split(s);
}

// The count line is read for its first three integers only: a line of 101
// words is a count line like any other.
TEST(MeshcutLimits, ACountLineOfAHundredAndOneWords) {
  std::string line = "1 0 0";
  for (int k = 0; k < 98; ++k) line += " w";
  const std::string text = "H\nD\n" + line + "\nA\n";
  expect_split({"words", text, w1 + drawings(1), "", {{"job_01.zmf", text}}});
}

TEST(MeshcutLimits, EmptyShortAndUnterminatedFiles) {
  using namespace std::string_literals;
  for (const Split& s : std::vector<Split>{
           // A header without a drawing: nothing to split.
           {"line_feed", "\n", drawings(0), "", {}},
           {"header_without_line_end", "H", drawings(0), "", {}},
           {"drawing_line_without_line_end", "H\nD", w1, error_block("Unexpected end of file"),
            {{"job_01.zmf", "H\nD"}}},
           {"count_line_without_line_end", "H\nD\n0 0 0", w1 + drawings(1), "", {{"job_01.zmf", "H\nD\n0 0 0"}}},
           // The count line is a text: a NUL byte ends it.
           {"nul_in_count_line", "H\nD\n1\0 0 0\nA\n"s, w1, error_block("Count line without three integers", 3),
            {{"job_01.zmf", "H\nD\n1\0 0 0\n"s}}},
       })
    expect_split(s);
}

TEST(MeshcutLimits, JobNamesOf300CharactersAndTheHundredthFile) {
  harness::Scratch dir = scratch("names");
  const auto run = harness::run(dir, "meshcut", {std::string(300, 'j')});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("meshcut"));
  EXPECT_EQ(run.err, error_block("File name too long - jobname.zmf"));

  // 76 characters leave room for "_99.zmf" but not for "_100.zmf": the
  // first 99 drawings are written.
  const std::string job(76, 'j');
  std::string text = "H\n";
  std::string out = harness::banner("meshcut") + reading(job + ".zmf");
  for (int k = 1; k <= 100; ++k) text += "D\n0 0 0\n";
  for (int k = 1; k <= 99; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "_%2.2d.zmf", k);
    out += writing(job + name);
  }
  dir.write(job + ".zmf", text);
  const auto hundred = harness::run(dir, "meshcut", {job});
  EXPECT_EQ(hundred.status, 1);
  EXPECT_EQ(hundred.out, out);
  EXPECT_EQ(hundred.err, error_block("File name too long - jobname_100.zmf"));
  EXPECT_EQ(dir.files().size(), 100u);
  EXPECT_EQ(dir.read(job + "_99.zmf"), "H\nD\n0 0 0\n");
}

// meshcat: the joined file of two or three inputs.
struct Join {
  const char* name;
  std::vector<std::string> inputs;  // in1.zmf, in2.zmf, ...
  std::string joined;               // c.zmf; empty when the run stops
  std::string err = "";
};

void expect_join(const Join& j) {
  SCOPED_TRACE(j.name);
  const auto dir = scratch(j.name);
  std::vector<std::string> args{"-o", "c"};
  std::string checks;
  std::string reads;
  for (std::size_t k = 0; k < j.inputs.size(); ++k) {
    const std::string name = "in" + std::to_string(k + 1);
    dir.write(name + ".zmf", j.inputs[k]);
    args.push_back(name);
    checks += checking(name + ".zmf");
    reads += reading(name + ".zmf");
  }
  const auto run = harness::run(dir, "meshcat", args);
  EXPECT_EQ(run.err, j.err);
  if (j.err.empty()) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, harness::banner("meshcat") + checks + writing("c.zmf") + reads + "\n");
    EXPECT_EQ(dir.read("c.zmf"), j.joined);
  } else {
    EXPECT_EQ(run.status, 1);
  }
}

TEST(MeshcatLimits, EmptyAndShortInputs) {
  for (const Join& j : std::vector<Join>{
           {"line_feed_first", {"\n", "H\nD\n0 0 0\n"}, "\nD\n0 0 0\n"},
           {"line_feed_later", {"H\nD\n0 0 0\n", "\n"}, "H\nD\n0 0 0\n"},
           {"header_without_line_end_later", {"H\nD\n0 0 0\n", "H2", "H3\nE\n0 0 0\n"}, "H\nD\n0 0 0\nE\n0 0 0\n"},
           // The last input's last line stays as it was.
           {"last_without_line_end", {"H\nD\n0 0 0\n", "H2\nE\n0 0 0"}, "H\nD\n0 0 0\nE\n0 0 0"},
       })
    expect_join(j);
}

TEST(MeshcatLimits, LinesOfAHundredThousandCharacters) {
  const std::string huge(100000, 'x');
  expect_join({"huge", {huge + "\nD\n1 0 0\n" + huge + "\n", huge + "y\nE\n0 0 0\n"},
               huge + "\nD\n1 0 0\n" + huge + "\nE\n0 0 0\n"});
}

TEST(MeshcatLimits, JobNamesOf79And300Characters) {
  const auto dir = scratch("names");
  const std::string job79(79, 'j');
  dir.write(job79 + ".zmf", "H\nD\n0 0 0\n");
  const auto fits = harness::run(dir, "meshcat", {"-o", std::string(79, 'o'), job79, job79});
  EXPECT_EQ(fits.status, 0);
  EXPECT_EQ(dir.read(std::string(79, 'o') + ".zmf"), "H\nD\n0 0 0\nD\n0 0 0\n");

  const auto too_long = harness::run(dir, "meshcat", {"-o", "c", job79, std::string(300, 'j')});
  EXPECT_EQ(too_long.status, 1);
  EXPECT_EQ(too_long.out, harness::banner("meshcat"));
  EXPECT_EQ(too_long.err, error_block("File name too long - jobname.zmf"));
}

}  // namespace

namespace {

// A last line without line end is still a line: the next input's first line
// must not be glued onto it.
TEST(MeshcatLimits, AnInputWithoutItsLastLineEndKeepsItsLinesApart) {
  for (const Join& j : std::vector<Join>{
           {"count_line", {"H\nD\n0 0 0", "H2\nE\n0 0 0\n"}, "H\nD\n0 0 0\nE\n0 0 0\n"},
           {"header_only", {"H", "H2\nE\n0 0 0\n"}, "H\nE\n0 0 0\n"},
           {"middle", {"H\nD\n0 0 0\n", "H2\nE\n1 0 0\n    1     1\n", "H3\nF\n0 0 0\n"},
            "H\nD\n0 0 0\nE\n1 0 0\n    1     1\nF\n0 0 0\n"},
           {"middle_unterminated", {"H\nD\n0 0 0\n", "H2\nE\n1 0 0\n    1     1", "H3\nF\n0 0 0\n"},
            "H\nD\n0 0 0\nE\n1 0 0\n    1     1\nF\n0 0 0\n"},
       })
    expect_join(j);
}

}  // namespace

namespace {

const std::string cr_inside = "Carriage return inside a line (line ends must be LF or CR LF)";

// Old CR-only line ends make a whole file one line: its header line would
// hide every drawing, silently. Such a file is refused at its header line,
// whatever its length; a carriage return before the line end passes.
TEST(MeshcutLimits, CarriageReturnOnlyLineEnds) {
  std::string long_one = "H\r";
  while (long_one.size() < 3000) long_one += "D\r0 0 0\r";
  for (const Split& s : std::vector<Split>{
           {"short", "H\rD\r0 0 0\r", "", error_block(cr_inside, 1), {}},
           {"long", long_one, "", error_block(cr_inside, 1), {}},
           {"count_line", "H\nD\n0 0 0\rE\r0 0 0\r", w1, error_block(cr_inside, 3), {{"job_01.zmf", "H\nD\n"}}},
           {"before_the_line_end", "H\r\r\nD\r\n0 0 0\r\n", w1 + drawings(1), "",
            {{"job_01.zmf", "H\r\r\nD\r\n0 0 0\r\n"}}},
       })
    expect_split(s);
}

TEST(MeshcatLimits, CarriageReturnOnlyLineEnds) {
  const std::string a = "H\nD\n0 0 0\n";
  const std::string cr = "H\rE\r0 0 0\r";
  const std::string checks = checking("a.zmf") + checking("cr.zmf");
  struct Order {
    std::vector<std::string> args;
    std::string out;
    std::string joined;  // what the joined file holds when the run stops
  };
  for (const Order& o : std::vector<Order>{
           {{"a", "cr"}, checks + writing("c.zmf") + reading("a.zmf") + reading("cr.zmf"), a},
           {{"cr", "a"}, checking("cr.zmf") + checking("a.zmf") + writing("c.zmf") + reading("cr.zmf"), ""},
       }) {
    SCOPED_TRACE(o.args[0]);
    const auto dir = scratch(o.args[0]);
    dir.write("a.zmf", a);
    dir.write("cr.zmf", cr);
    const auto run = harness::run(dir, "meshcat", {"-o", "c", o.args[0], o.args[1]});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, harness::banner("meshcat") + o.out);
    EXPECT_EQ(run.err, error_block(cr_inside, 1));
    EXPECT_EQ(dir.read("c.zmf"), o.joined);
  }
}

}  // namespace
