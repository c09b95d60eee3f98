#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "plotcad/curvedata.hpp"
#include "plotcad/tests/expect.hpp"

namespace {

using namespace plotcad;
using harness::error_block;

struct Loaded {
  CurveScan scan;
  DataRange range;
  std::vector<std::vector<std::pair<double, double>>> curves;
};

// Both passes and the ranges, as the driver runs them; the child prints the
// result on standard output after the routines' own lines.
harness::Outcome load(const std::string& kvd) {
  harness::Scratch scratch;
  if (!kvd.empty()) scratch.write("job.kvd", kvd);
  return expect::in_dir(scratch, [] {
    CurveScan s = sckurv("job");
    if (s.ncurv == 0) return;
    toolkit::Vec1<std::int32_t> npnt;
    toolkit::Mat1<double> x, y;
    toolkit::alloi1(npnt, s.ncurv);
    rdkurv(s, "job", npnt, x, y);
    const DataRange r = mmkurv(s.ncurv, npnt, x, y);
    std::printf("@%d %d %d |", s.ncurv, s.mxpnt, s.ionecv);
    for (int i = 1; i <= s.ncurv; ++i) {
      for (int j = 1; j <= npnt[i]; ++j) std::printf(" %.15g,%.15g", x[i][j], y[i][j]);
      std::printf(" |");
    }
    std::printf(" %.15g %.15g %.15g %.15g\n", r.rxfmi, r.rxfma, r.ryfmi, r.ryfma);
    toolkit::freed2(y);
    toolkit::freed2(x);
    toolkit::freei1(npnt);
  });
}

std::string result_of(const harness::Outcome& o) { return o.out.substr(o.out.find('@')); }

TEST(CurveData, CountedLayoutWithCommentsTabsAndCrLf) {
  auto o = load("# a comment line\n\n3\n0.0 1.5\n1.0\t2.5 # the comment is cut off\r\n\n2.0 1.0\n2\n0.0 -1e-3\n2.0 4\n\n");
  EXPECT_EQ(o.out.substr(0, o.out.find('@')),
            "\nScanning file: job.kvd\n\n"
            "       1 - number of points =        3\n"
            "       2 - number of points =        2\n"
            "\nReading file: job.kvd\n");
  EXPECT_EQ(result_of(o), "@2 3 0 | 0,1.5 1,2.5 2,1 | 0,-0.001 2,4 | 0 2 -0.001 4\n");
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.status, 0);
}

TEST(CurveData, OneCurveLayoutAndTheWidenedRanges) {
  auto o = load("\n# x y\n2.0 7\n2.0 7 # all equal\n+2e0\t7.\n");
  EXPECT_EQ(result_of(o), "@1 3 1 | 2,7 2,7 2,7 | 1.9999999999 2.0000000001 6.9999999999 7.0000000001\n");
  EXPECT_EQ(o.out.find(" - number of points"), std::string::npos);
  // A last line without line feed, in both layouts.
  EXPECT_EQ(result_of(load("0 0\n1 1")), "@1 2 1 | 0,0 1,1 | 0 1 0 1\n");
  EXPECT_EQ(result_of(load("2\n0 0\n1 1")), "@1 2 0 | 0,0 1,1 | 0 1 0 1\n");
  // All x above 1e30: the minimum stays where it started. One value beyond
  // 2^20 keeps an empty range.
  EXPECT_EQ(result_of(load("2e30 5e6\n3e30 5e6\n")), "@1 2 1 | 2e+30,5000000 3e+30,5000000 | 1e+30 3e+30 5000000 5000000\n");
  // Underflow is a plain zero, not an error.
  EXPECT_EQ(result_of(load("1e-999 -0\n")), "@1 1 1 | 0,-0 | -1e-10 1e-10 -1e-10 1e-10\n");
}

TEST(CurveData, CurvesOfThreeSevenAndTwoPoints) {
  std::string kvd = "3\n";
  for (int j = 0; j < 3; ++j) kvd += "1 1\n";
  kvd += "7\n";
  for (int j = 0; j < 7; ++j) kvd += std::to_string(j) + " 2\n";
  kvd += "2\n-1 3\n-2 3\n";
  auto o = load(kvd);
  EXPECT_NE(o.out.find("       3 - number of points =        2\n"), std::string::npos);
  EXPECT_EQ(result_of(o).substr(0, 7), "@3 7 0 ");
}

struct Bad {  // a faulty file and what it gives
  const char* kvd;
  const char* out_tail;  // what standard output ends with
  const char* context;   // standard error before the ERROR block
  const char* message;
  int line;
  std::size_t size = 0;  // for a text with a NUL byte
};

void PrintTo(const Bad& b, std::ostream* os) { *os << b.message; }

class CurveDataErrors : public testing::TestWithParam<Bad> {};

// Beyond the range of a double with an exponent of two digits.
const std::string long_mantissa = "0 0\n1 " + std::string(290, '9') + "e99\n";

TEST_P(CurveDataErrors, StopWithContextAndMessage) {
  const Bad& b = GetParam();
  auto o = load(std::string(b.kvd, b.size ? b.size : std::strlen(b.kvd)));
  EXPECT_EQ(o.err, std::string(b.context) + error_block(b.message, b.line));
  EXPECT_TRUE(o.out.ends_with(b.out_tail)) << o.out;
  EXPECT_EQ(o.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CurveDataErrors,
    testing::Values(
        Bad{"0\n", "       1 - number of points =        0\n", "", "N. of points must be greater than 0", 0},
        Bad{"1\n0 0\n2 2\n", "       1 - number of points =        1\n", "\nReading number of points\n",
            "Invalid number of words in the line", 0},
        Bad{"1 2 3\n", "\n\n", "\nReading number of points\n", "Invalid number of words in the line", 0},
        Bad{"3.5\n", "\n\n", "\nReading number of points\n", "Syntax error", 0},
        Bad{"99999999999\n", "\n\n", "\nReading number of points\n", "Number out of range", 0},
        Bad{"1\n0 0\n4\n0 0\n# not a point\n\n1 1\n1 1 1\n", "points =        4\n",
            "\nReading point n.        3\n", "Invalid number of words in the line", 0},
        Bad{"2\n0 1.5.2\n", "points =        2\n", "\nReading point n.        1\n", "Syntax error", 0},
        Bad{"2\n0 0\n1e999 1\n", "points =        2\n", "\nReading point n.        2\n", "Number out of range", 0},
        Bad{"4\n0 0\n1 1\n", "points =        4\n", "", "Unexpected end of file", 0},
        Bad{"0 0\n1 1\n2 2\n3 3\n4 4\n5\n", "\n\n", "\nReading point n.        6\n",
            "Invalid number of words in the line", 0},
        Bad{"0 0\n1 -2e400\n", "\n\n", "\nReading point n.        2\n", "Number out of range", 0},
        // The syntax of both words comes before the range of either.
        Bad{"0 0\n1e400 x\n", "\n\n", "\nReading point n.        2\n", "Syntax error", 0},
        Bad{long_mantissa.c_str(), "\n\n", "\nReading point n.        2\n", "Number out of range", 0},
        // Old CR-only line ends: one read holds every line.
        Bad{"0 0\r1 1\r2 2\r", "\n\n", "", "Carriage return inside a line (line ends must be LF or CR LF)", 1},
        Bad{"2\n0 0\n1 1\r\n3\r0 0\r", "points =        2\n", "",
            "Carriage return inside a line (line ends must be LF or CR LF)", 4},
        Bad{"0 0\n1 1\n\0 2 2\n", "\n\n", "", "NUL byte in the line", 3, 14},
        // Lines that begin as plain points and hold a NUL byte or a carriage
        // return after them.
        Bad{"1\n0 0 # c\0x\n", "points =        1\n", "", "NUL byte in the line", 2, 12},
        Bad{"0 0\n1 1\0\n", "\n\n", "", "NUL byte in the line", 2, 9},
        Bad{"2\n0 0\n1 1 # x\ry\n", "points =        2\n", "",
            "Carriage return inside a line (line ends must be LF or CR LF)", 3},
        Bad{"", "Scanning file: job.kvd\n", "", "File not found - jobname.kvd", 0}),
    [](const testing::TestParamInfo<Bad>& info) { return "case" + std::to_string(info.index); });

}  // namespace
