#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "plotcad/options.hpp"
#include "plotcad/tests/expect.hpp"

namespace {

using namespace plotcad;
using harness::error_block;

TEST(DefaultInterval, SmallestOfOneTwoTwoAndAHalfFiveTimesAPowerOfTen) {
  EXPECT_EQ(default_interval(1), 0.1);
  EXPECT_EQ(default_interval(3), 0.5);
  EXPECT_EQ(default_interval(25), 2.5);
  EXPECT_EQ(default_interval(0.37), 0.05);
  EXPECT_EQ(default_interval(700), 100);
  EXPECT_EQ(default_interval(2e-10), 2e-11);
  EXPECT_EQ(default_interval(10), 1);      // 10 / 10.001 just below 1
  EXPECT_EQ(default_interval(10.002), 2);  // just above 1
  EXPECT_EQ(default_interval(50.006), 10);
}

// getdef in the scratch directory for ncurv curves; the child prints what
// it returned.
harness::Outcome run_getdef(const harness::Scratch& scratch, int ncurv, DataRange range, int mxpnt = 7,
                            bool unprivileged = false) {
  return expect::in_dir(scratch, [=] {
    if (unprivileged && !harness::become_unprivileged()) std::_Exit(126);
    CurveStyle s;
    for (auto* v : {&s.licol, &s.lstyl, &s.marco, &s.marty}) toolkit::alloi1(*v, ncurv);
    const PlotOptions o = getdef("job", ncurv, mxpnt, range, s);
    std::printf("@[%s][%s] %d %d %.15g %.15g %.15g %.15g %.15g %.15g", o.title.c_str(), o.font.c_str(), o.ixwma,
                o.iywma, o.rxwmi, o.rxwma, o.rywmi, o.rywma, o.rxdel, o.rydel);
    for (int k = 1; k <= ncurv; ++k) std::printf(" %d/%d/%d/%d", s.licol[k], s.lstyl[k], s.marco[k], s.marty[k]);
    std::printf("\n");
    for (auto v : {s.licol, s.lstyl, s.marco, s.marty}) toolkit::freei1(v);
  });
}

std::string returned(const harness::Outcome& o) { return o.out.substr(o.out.find('@') + 1); }

TEST(OptionsFile, FirstRunWritesTheCommentedDefaultsAndReturnsThemExactly) {
  harness::Scratch scratch;
  auto o = run_getdef(scratch, 2, {0, 3.14159265, -1, 1});
  EXPECT_EQ(o.out.substr(0, o.out.find('@')), "\nWriting file: job.def\n");
  EXPECT_EQ(returned(o), "[job][courB12] 832 720 0 3.14159265 -1 1 0.5 0.2 1/0/0/0 1/0/0/0\n");
  // The whole layout is compared end to end; here the values of the run:
  // reals in the file rounded to five significant digits.
  const std::string def = scratch.read("job.def");
  for (const char* line : {"#   Maximum number of points per curve =        7\n",
                           "#   ryfma =            1  +---", "#   ryfmi =           -1  +---",
                           "#              rxfmi =            0                 rxfma =       3.1416\n",
                           "\n              0            3.1416\n#         rywmi             rywma\n"
                           "             -1                 1\n",
                           "#         rxdel             rydel\n            0.5               0.2\n",
                           "\n       1    1\n       2    1\n", "\n       1    0  #  solid\n       2    0  #  solid\n"})
    EXPECT_NE(def.find(line), std::string::npos) << line;
}

TEST(OptionsFile, AnAxisOfOneLargeValueGetsAWindowAroundIt) {
  harness::Scratch scratch;
  // The statistics keep the empty range; the window and interval do not.
  auto o = run_getdef(scratch, 1, {0, 10, 5e6, 5e6});
  EXPECT_EQ(returned(o), "[job][courB12] 832 720 0 10 4999999.9995 5000000.0005 1 0.0001 1/0/0/0\n");
  EXPECT_NE(scratch.read("job.def").find("#   ryfma =        5e+06"), std::string::npos);
}

const std::string good =
    "# edited\n\n   A title # with a hash  \r\nhelvB10\n  0 -8 # any multiple of 8\n-1 1e1\n"
    "0 100\n\t2 20\n1 0\n2 1\n1 0\n2 1\n1 0\n2 5\n1 0\n0002 -1\n  END_OF_FILE  \nnot read\n";

TEST(OptionsFile, ReadsTheEditedFileByPosition) {
  harness::Scratch scratch;
  scratch.write("job.def", good);
  auto o = run_getdef(scratch, 2, {0, 0, 0, 0});
  EXPECT_EQ(o.out.substr(0, o.out.find('@')), "\nReading file: job.def\n\nA title # with a hash\n");
  EXPECT_EQ(returned(o), "[A title # with a hash][helvB10] 0 -8 -1 10 0 100 2 20 0/0/0/0 1/1/5/-1\n");
  EXPECT_EQ(o.status, 0);
}

struct Edit {
  std::string from, to;  // a change to the good file
  std::string context, message;
};

TEST(OptionsFile, StopsOnEveryFaultWithItsMessage) {
  const std::string ctx = "\nReading ";
  const std::string t80(80, 't');
  for (const Edit& e : std::initializer_list<Edit>{
           {"A title # with a hash", t80 + "x", "", "Title has more than 80 characters"},
           {"helvB10", t80 + "f", "", "Font name has more than 80 characters"},
           {"0 -8 ", "830 720 ", "", "ixwma and iywma must be multiples of 8"},
           {"0 -8 ", "0 8.0 ", "", "Invalid integer number"},
           {"0 -8 ", "8 9999999999 ", "", "Number out of range - iywma"},
           {"0 -8 ", "0 ", "", "Invalid number of words in the line"},
           {"0 100", "0 1x", "", "Invalid real number"},
           {"0 100", "0 1e999", "", "Number out of range - rywma"},
           {"1 0\n2 1\n1 0\n2 1\n", "2 0\n1 1\n1 0\n2 1\n", ctx + "licol\nCurve n.        1\n", "Wrong curve number"},
           {"2 1\n1 0\n2 5", "2 1\n1 0 0\n2 5", ctx + "marco\nCurve n.        1\n", "Invalid number of words in the line"},
           {"2 5\n", "2 5.0\n", ctx + "marco\nCurve n.        2\n", "Syntax error"},
           {"2 5\n", "2 3000000000\n", ctx + "marco\nCurve n.        2\n", "Number out of range"},
           {"  END_OF_FILE  ", "END_OF_FILE # end", "", "Missing END_OF_FILE"},
           {"  END_OF_FILE  ", "end_of_file", "", "Missing END_OF_FILE"},
           {"  END_OF_FILE  \nnot read\n", "", "", "Unexpected end of file"},
           {"  END_OF_FILE  \nnot read\n", "END_OF_FILE", "", "elimnl: internal error 2 (LF expected)"},
           {"-1 1e1\n", "-1 1e1\r0 100\r", "", "Carriage return inside a line (line ends must be LF or CR LF)"},
       }) {
    std::string def = good;
    def.replace(def.find(e.from), e.from.size(), e.to);
    harness::Scratch scratch;
    scratch.write("job.def", def);
    auto o = run_getdef(scratch, 2, {0, 0, 0, 0});
    const int line = e.message.starts_with("Carriage") ? 6 : 0;
    EXPECT_EQ(o.err, e.context + error_block(e.message, line)) << e.to;
    EXPECT_EQ(o.status, 1);
  }
}

TEST(OptionsFile, AFileWrittenForAnotherNumberOfCurvesStops) {
  harness::Scratch scratch;
  scratch.write("job.def", good);
  EXPECT_EQ(run_getdef(scratch, 3, {0, 0, 0, 0}).err,
            "\nReading licol\nCurve n.        3\n" + error_block("Wrong curve number"));
  EXPECT_EQ(run_getdef(scratch, 1, {0, 0, 0, 0}).err,
            "\nReading lstyl\nCurve n.        1\n" + error_block("Wrong curve number"));
}

TEST(OptionsFile, AnExistingFileThatCannotBeReadIsNeverReplaced) {
  if (!harness::permissions_apply()) GTEST_SKIP() << "cannot run as user 65534 here";
  harness::Scratch scratch;
  scratch.write("job.def", good);
  chmod(scratch.path("job.def").c_str(), 0200);
  // A directory its user may write in: replacing the file would be possible.
  chmod(scratch.dir().c_str(), 0777);
  auto o = run_getdef(scratch, 2, {0, 1, 0, 1}, 7, true);
  EXPECT_EQ(o.err, error_block("Unable to read file - jobname.def"));
  chmod(scratch.path("job.def").c_str(), 0600);
  EXPECT_EQ(scratch.read("job.def"), good);
}

TEST(OptionsFile, AFullDiskStopsTheWritingWithAnError) {
  harness::Scratch scratch;
  scratch.symlink("job.def", "/dev/full");
  auto o = expect::in_dir(scratch, [] {
    CurveStyle s;
    for (auto* v : {&s.licol, &s.lstyl, &s.marco, &s.marty}) toolkit::alloi1(*v, 1);
    write_defaults("job.def", "job", 1, 1, {0, 1, 0, 1}, s);
  });
  EXPECT_EQ(o.err, error_block("Error writing file - jobname.def"));
  EXPECT_EQ(o.status, 1);
}

}  // namespace
