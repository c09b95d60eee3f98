#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "plotcad/mapping.hpp"
#include "plotcad/tests/expect.hpp"

namespace {

using namespace plotcad;

PlotOptions window(double xmi, double xma, double xdel, double ymi, double yma, double ydel) {
  PlotOptions o;
  o.ixwma = 832;
  o.iywma = 720;
  o.rxwmi = xmi;
  o.rxwma = xma;
  o.rxdel = xdel;
  o.rywmi = ymi;
  o.rywma = yma;
  o.rydel = ydel;
  return o;
}

TEST(PlotMapping, SnapsOutwardAddsMarginsAndMapsTheWindowOntoTheBorder) {
  const PlotMapping m = map_window(window(0, 10, 2, 0, 100, 20));
  EXPECT_EQ(m.ixgmi, 0);
  EXPECT_EQ(m.ixgma, 5);
  EXPECT_EQ(m.iygmi, 0);
  EXPECT_EQ(m.iygma, 5);
  EXPECT_EQ(m.rxsca, 832.0 / 12);  // x range -1 .. 11
  EXPECT_EQ(m.rxoff, 832.0 / 12);
  EXPECT_EQ(m.rysca, 720.0 / 110);  // y range -5 .. 105
  EXPECT_EQ(m.ryoff, -(720.0 / 110 * -5));
  EXPECT_EQ(place(m.rxsca * 5 + m.rxoff), 416);
  EXPECT_EQ(place(m.rysca * 50 + m.ryoff), 360);

  const PlotMapping half = map_window(window(0.5, 9.5, 2, -3, 3, 2));
  EXPECT_EQ(half.ixgmi, 0);
  EXPECT_EQ(half.ixgma, 5);
  EXPECT_EQ(half.iygmi, -2);
  EXPECT_EQ(half.iygma, 2);
}

TEST(PlotMapping, GridIndicesOfASingleValuedAxisNeedSixtyFourBits) {
  // y = 5 widened by 1e-10 with its default interval of 2e-11.
  const PlotMapping m = map_window(window(0, 10, 1, 5 - 1e-10, 5 + 1e-10, 2e-11));
  EXPECT_EQ(m.iygmi, 249999999995);
  EXPECT_EQ(m.iygma, 250000000006);
  EXPECT_TRUE(std::isfinite(m.rysca) && std::isfinite(m.ryoff));

  // A constant axis at 500000 needs indices beyond 2^53; it still draws.
  const PlotMapping far = map_window(window(0, 10, 1, 500000 - 1e-10, 500000 + 1e-10, 2e-11));
  EXPECT_GT(far.iygmi, std::int64_t{1} << 53);
  EXPECT_LE(far.iygma - far.iygmi, 20);
  EXPECT_TRUE(std::isfinite(far.rysca) && std::isfinite(far.ryoff));
}

TEST(PlotMapping, AWindowOfOneValueIsWidenedLikeTheDataRanges) {
  auto same = [](const PlotMapping& a, const PlotMapping& b) {
    return a.iygmi == b.iygmi && a.iygma == b.iygma && a.rysca == b.rysca && a.ryoff == b.ryoff;
  };
  EXPECT_TRUE(same(map_window(window(0, 1, 1, 5, 5, 2e-11)), map_window(window(0, 1, 1, 5 - 1e-10, 5 + 1e-10, 2e-11))));
  EXPECT_TRUE(same(map_window(window(0, 1, 1, 5e6, 5e6, 1e-4)), map_window(window(0, 1, 1, 4999999.9995, 5000000.0005, 1e-4))));
}

TEST(PlotMapping, RefusesOptionsThatCannotBeDrawnAndNamesTheValue) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    PlotOptions options;
    const char* message;
  };
  for (const Case& c : {
           Case{window(0, 10, 0, 0, 1, 1), "rxdel must be greater than 0"},
           Case{window(0, 10, 1, 0, 1, -1), "rydel must be greater than 0"},
           Case{window(0, 10, inf, 0, 1, 1), "Number out of range - rxdel"},
           Case{window(10, 0, 1, 0, 1, 1), "rxwma must not be less than rxwmi"},
           Case{window(0, 10, 1, 1, 0, 1), "rywma must not be less than rywmi"},
           Case{window(0, 1, 1e-6, 0, 1, 1), "rxdel too small for the window (at most 100000 axes)"},
           Case{window(0, 1, 1, 1e19, 1e19 + 4096, 1), "rydel too small for the window (at most 100000 axes)"},
           Case{window(3.4999999999999996, 3.5, 0.7, 0, 1, 1), "rxwmi and rxwma snap to a single axis"},
           Case{window(-1e308, 1e308, 1e308, 0, 1, 1), "Window out of range for the drawing - rxwmi, rxwma, rxdel"},
           Case{window(0, 1, 1, 0, 1e-322, 1e-323), "Window out of range for the drawing - rywmi, rywma, rydel"},
       }) {
    auto o = harness::capture([&] { map_window(c.options); });
    EXPECT_EQ(o.err, harness::error_block(c.message));
    EXPECT_EQ(o.status, 1);
  }
  // 100000 axes are still drawn.
  EXPECT_EQ(map_window(window(0, 99999, 1, 0, 1, 1)).ixgma, 99999);
}

TEST(PlotMapping, APointBeyondTheRangeOfADoubleIsRefusedOnlyWhereItIsDrawn) {
  int32_t on[] = {1, 0}, off[] = {0, 0}, two[] = {2, 2};
  double x[] = {0, 1, 0, 1e308}, y[] = {0, 1, 0, 1};
  toolkit::Mat1<double> rx, ry;
  toolkit::allod2(rx, 2, 2);
  toolkit::allod2(ry, 2, 2);
  for (int k = 0; k < 4; ++k) rx[1 + k / 2][1 + k % 2] = x[k], ry[1 + k / 2][1 + k % 2] = y[k];
  const PlotMapping m = map_window(window(0, 10, 1, 0, 1, 1));
  auto check = [&](int32_t* licol, int32_t* marco) {
    return harness::capture([&] { check_points(2, m, {licol}, {marco}, {two}, rx, ry); });
  };
  EXPECT_EQ(check(on, off).status, 0);
  int32_t second[] = {0, 1};
  auto o = check(off, second);
  EXPECT_EQ(o.err, "\nCurve n.        2\nPoint n.        2\n" + harness::error_block("Point out of range of the drawing"));
  toolkit::freed2(ry);
  toolkit::freed2(rx);
}

}  // namespace
