// plotcad end to end: whole standard output, error, options file and
// drawing, byte for byte.

#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plotcad/tests/expect.hpp"

namespace {

using expect::line;
using expect::poly;
using expect::text;
using harness::error_block;

const std::string kvd =
    "# two curves\n3\n0 0\n5 50   # the middle\n10 100\n\n2\n0 100\n10 0\n";

std::string head(const std::string& job = "job") {
  return harness::banner("plotcad") + "\nJob name = " + job + "\n\nScanning file: " + job + ".kvd\n\n" +
         "       1 - number of points =        3\n       2 - number of points =        2\n" +
         "\nNumber of curves =        2\n\nMaximum number of points per curve =        3\n" +
         "\nReading file: " + job + ".kvd\n";
}

std::string heights(const char* grid, const char* title) {
  return std::string("\nText height of the axes' labels [10.8] ? You answered: ") + grid +
         "\n\nText height of the title [14.4] ? You answered: " + title + "\n";
}

const std::string success = "\n### Success ###\n\n";

// Grid lines at the given drawing positions, numbered 0, step, 2 step, ...
std::string grid(const std::vector<int>& ys, int ystep, const std::vector<int>& xs, int xstep, double h) {
  std::string s;
  for (std::size_t k = 0; k < ys.size(); ++k)
    s += line("AXES", 69, ys[k], 763, ys[k]) + text("NUMBERS", 10.76, ys[k] + 2.88, h, std::to_string(ystep * k));
  for (std::size_t k = 0; k < xs.size(); ++k)
    s += line("AXES", xs[k], 33, xs[k], 687) + text("NUMBERS", xs[k] - 8.32, 8.52, h, std::to_string(xstep * k));
  return s;
}

TEST(Plotcad, FirstRunWritesTheOptionsAndDrawsWithTheDefaults) {
  harness::Scratch scratch;
  scratch.write("job.kvd", kvd);
  auto o = harness::run(scratch, "plotcad", {"job"}, "\n\n");
  EXPECT_EQ(o.out, head() + "\nWriting file: job.def\n\nWriting file: job.dxf\n" + heights("10.8", "14.4") + success);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(scratch.read("job.def"), expect::def_head + R"(#   Number of curves =        2
#   Maximum number of points per curve =        3
#
#
#                       y ^
#                         |
#   ryfma =          100  +----------------------------------+
#                         |                                  |
#                         |    Minimum and maximum values    |
#                         |    in the data file              |
#                         |                                  |
#                         |    (all curves)                  |
#                         |                                  |
#   ryfmi =            0  +----------------------------------+ --> x
#
#              rxfmi =            0                 rxfma =           10

### Main title
job

### Font name
courB12

### Window size in pixels (multiple of 8)
#         ixwma             iywma
            832               720   #   max. for the PaintJet = 832x720

### Minimum and maximum values visible in the window (all curves)
#         rxwmi             rxwma
              0                10
#         rywmi             rywma
              0               100

### Interval between axes
#         rxdel             rydel
              1                10

### Line color
# idraw   licol (0 => no lines)
       1    1
       2    1

### Line style
# idraw   lstyl
       1    0  #  solid
       2    0  #  solid

### Marker color
# idraw   marco (0 => no markers)
       1    0
       2    0

### Marker type
# idraw   marty
       1    0
       2    0

END_OF_FILE
)");
  const std::vector<int> ys = {33, 98, 164, 229, 295, 360, 425, 491, 556, 622, 687};
  const std::vector<int> xs = {69, 139, 208, 277, 347, 416, 485, 555, 624, 693, 763};
  EXPECT_EQ(scratch.read("job.dxf"), expect::opening + expect::border(832, 720) + grid(ys, 10, xs, 1, 10.8) +
                                         poly("LINES1", {{69, 33}, {416, 360}, {763, 687}}) +
                                         poly("LINES2", {{69, 687}, {763, 33}}) +
                                         text("TITLE", 83.2, 698.4, 14.4, "job") + expect::closing);
}

TEST(Plotcad, SecondRunDrawsWithTheEditedOptions) {
  harness::Scratch scratch;
  scratch.write("job.kvd", kvd);
  scratch.write("job.def",
                "### Main title\n  Edited title\n# font\ncourB12\n832 720\n0 10\n0 100\n2 20\n"
                "1 0\n2 1\n1 0\n2 0\n1 0\n2 5\n1 0\n2 6\nEND_OF_FILE\n");
  auto o = harness::run(scratch, "plotcad", {"job"}, "12\n\n");
  EXPECT_EQ(o.out, head() + "\nReading file: job.def\n\nEdited title\n\nWriting file: job.dxf\n" +
                       heights("12", "14.4") + success);
  EXPECT_EQ(o.status, 0);
  const std::string frame =
      grid({33, 164, 295, 425, 556, 687}, 20, {69, 208, 347, 485, 624, 763}, 2, 12);  // the worked example
  EXPECT_EQ(scratch.read("job.dxf"),
            expect::opening + expect::border(832, 720) + frame + poly("LINES2", {{69, 687}, {763, 33}}) +
                poly("MARKS2", {{66, 684}, {72, 684}, {72, 690}, {66, 690}, {66, 684}}) +
                poly("MARKS2", {{760, 30}, {766, 30}, {766, 36}, {760, 36}, {760, 30}}) +
                text("TITLE", 83.2, 698.4, 14.4, "Edited title") + expect::closing);
  EXPECT_EQ(scratch.read("job.def").substr(0, 15), "### Main title\n");  // never rewritten
}

TEST(Plotcad, AsksForTheJobNameWithoutArgumentAndStopsWithTwo) {
  harness::Scratch scratch;
  scratch.write("job.kvd", kvd);
  auto o = harness::run(scratch, "plotcad", {}, "bad-name\njob\n\n\n");
  const std::string dialogue = harness::banner("plotcad") +
      "\nJob name ? You answered: bad-name\n\nERROR: repeat answer ...\n\nJob name ? You answered: job\n"
      "\nJob name = job\n";
  EXPECT_EQ(o.out.substr(0, dialogue.size()), dialogue);
  EXPECT_TRUE(o.out.ends_with(success));
  EXPECT_EQ(o.status, 0);

  harness::Scratch other;
  auto two = harness::run(other, "plotcad", {"job", "more"});
  EXPECT_EQ(two.out, harness::banner("plotcad"));
  EXPECT_EQ(two.err, error_block("Usage: plotcad jobname"));
  EXPECT_EQ(two.status, 1);
}

TEST(Plotcad, ZeroCurvesStopsAfterBothCountsAndWritesNothing) {
  harness::Scratch scratch;
  scratch.write("job.kvd", "# nothing but comments\n\n");
  auto o = harness::run(scratch, "plotcad", {"job"});
  EXPECT_EQ(o.out, harness::banner("plotcad") +
                       "\nJob name = job\n\nScanning file: job.kvd\n\n\nNumber of curves =        0\n"
                       "\nMaximum number of points per curve =        0\n");
  EXPECT_EQ(o.err, error_block("Zero curves"));
  EXPECT_EQ(scratch.files(), std::vector<std::string>{"job.kvd"});
}

TEST(Plotcad, JobNamesUpToTheFileNameBuffersAndNoLonger) {
  const std::string longest(79, 'j');
  harness::Scratch scratch;
  scratch.write(longest + ".kvd", kvd);
  EXPECT_EQ(harness::run(scratch, "plotcad", {longest}, "\n\n").status, 0);
  EXPECT_TRUE(scratch.exists(longest + ".dxf"));

  // A line break in the name would split the title's line in both files
  // (Windows file names cannot hold one).
  if (!harness::windows()) {
    scratch.write("two\nlines.kvd", kvd);
    EXPECT_EQ(harness::run(scratch, "plotcad", {"two\nlines"}, "\n\n").status, 0);
    EXPECT_NE(scratch.read("two\nlines.def").find("### Main title\ntwo lines\n"), std::string::npos);
    EXPECT_TRUE(scratch.read("two\nlines.dxf").ends_with("  1\ntwo lines\n  0\n" + expect::closing));
  }

  auto o = harness::run(scratch, "plotcad", {longest + "j"});
  EXPECT_EQ(o.out, harness::banner("plotcad") + "\nJob name = " + longest + "j\n");
  EXPECT_EQ(o.err, error_block("File name too long - jobname.kvd"));
  EXPECT_EQ(o.status, 1);
}

TEST(Plotcad, TheDrawingCannotBeCreatedOrWritten) {
  harness::Scratch scratch;
  scratch.write("job.kvd", kvd);
  mkdir(scratch.path("job.dxf").c_str(), 0755);
  auto o = harness::run(scratch, "plotcad", {"job"}, "\n\n");
  EXPECT_TRUE(o.out.ends_with("\nWriting file: job.dxf\n")) << o.out;
  EXPECT_EQ(o.err, error_block("Unable to open output file - jobname.dxf"));

  harness::Scratch full;
  full.write("job.kvd", kvd);
  full.symlink("job.dxf", "/dev/full");
  o = harness::run(full, "plotcad", {"job"}, "\n\n");
  EXPECT_EQ(o.err, error_block("Error writing file - jobname.dxf"));
  EXPECT_EQ(o.out.find("Success"), std::string::npos);
  EXPECT_EQ(o.status, 1);
}

TEST(Plotcad, AnAxisOfOneValueDrawsOnTheFirstRunAndTheSameOnTheNext) {
  for (const char* data : {"1 5\n2 5\n3 5\n", "7 -5e6\n"}) {
    harness::Scratch scratch;
    scratch.write("job.kvd", data);
    auto first = harness::run(scratch, "plotcad", {"job"}, "\n\n");
    EXPECT_EQ(first.status, 0) << first.err;
    const std::string drawing = scratch.read("job.dxf");
    EXPECT_NE(drawing.find("LINES1\n 10\n"), std::string::npos);
    EXPECT_EQ(drawing.find("nan"), std::string::npos);
    auto second = harness::run(scratch, "plotcad", {"job"}, "\n\n");
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(scratch.read("job.dxf"), drawing);
  }
}

// The options file holds five digits. A y of one value whose widened ends
// round apart (-9.11005 +- 1e-10 gives -9.1101 and -9.11) is read back as a
// window far wider than the data, which its interval of 2e-11 would cut into
// millions of axes: the file keeps the computed interval, and the next run
// refuses it by name instead of drawing millions of lines.
TEST(Plotcad, AWindowReadBackWiderThanItsDataNeedsItsIntervalEdited) {
  harness::Scratch scratch;
  scratch.write("job.kvd", "1000 -9.11005\n");
  auto first = harness::run(scratch, "plotcad", {"job"}, "\n\n");
  EXPECT_EQ(first.status, 0) << first.err;
  const std::string def = scratch.read("job.def");
  EXPECT_NE(def.find("#         rywmi             rywma\n        -9.1101             -9.11\n"), std::string::npos) << def;
  EXPECT_NE(def.find("#         rxdel             rydel\n        2.5e-11             2e-11\n"), std::string::npos) << def;
  auto second = harness::run(scratch, "plotcad", {"job"}, "\n\n");
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.err, harness::error_block("rydel too small for the window (at most 100000 axes)"));
}

TEST(Plotcad, OptionsThatCannotBeDrawnAreRefusedBeforeTheDrawingIsCreated) {
  harness::Scratch scratch;
  scratch.write("job.kvd", kvd);
  scratch.write("job.def", "t\nf\n832 720\n0 10\n0 100\n2 0\n1 1\n2 1\n1 0\n2 0\n1 0\n2 0\n1 0\n2 0\nEND_OF_FILE\n");
  auto o = harness::run(scratch, "plotcad", {"job"});
  EXPECT_EQ(o.err, error_block("rydel must be greater than 0"));
  EXPECT_FALSE(scratch.exists("job.dxf"));
}

TEST(Plotcad, EndOfInputDuringTheTitleQuestionKeepsTheDrawingWrittenSoFar) {
  harness::Scratch scratch;
  scratch.write("job.kvd", kvd);
  auto o = harness::run(scratch, "plotcad", {"job"}, "\n");
  EXPECT_EQ(o.status, 1);
  const std::string drawing = scratch.read("job.dxf");
  EXPECT_TRUE(drawing.ends_with(poly("LINES2", {{69, 687}, {763, 33}}))) << drawing.substr(drawing.size() - 200);
}

}  // namespace
