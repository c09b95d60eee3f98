#include "rodmesh/frame.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "rodmesh/tests/bar_mesh.hpp"
#include "tests/harness/capture.hpp"

namespace {

using rodmesh_test::BarMesh;
using rodmesh_test::Frame;
using Axis = std::array<double, 3>;

// The frame of the one bar from a to b, turned by theta.
struct OneBar {
  OneBar(Axis a, Axis b, double theta = 0.0) : bars({a, b}, {{1, 2}}) {
    length = rodmesh::section_frame(1, theta, bars.mesh, frame.m);
  }
  BarMesh bars;
  Frame frame;
  double length = 0.0;
};

void expect_axis(const Axis& got, const Axis& want, double tolerance = 0.0) {
  for (int j = 0; j < 3; ++j) {
    if (tolerance == 0.0)
      EXPECT_EQ(got[j], want[j]) << "component " << j + 1;
    else
      EXPECT_NEAR(got[j], want[j], tolerance) << "component " << j + 1;
  }
}

TEST(SectionFrame, HorizontalBarsSquareTheWidthToTheBar) {
  OneBar x({0, 0, 0}, {2, 0, 0});
  EXPECT_EQ(x.length, 2.0);
  expect_axis(x.frame.axis(1), {1, 0, 0});
  expect_axis(x.frame.axis(2), {0, 1, 0});
  expect_axis(x.frame.axis(3), {0, 0, 1});

  OneBar y({0, 0, 0}, {0, 2, 0});
  expect_axis(y.frame.axis(1), {0, 1, 0});
  expect_axis(y.frame.axis(2), {-1, 0, 0});
  expect_axis(y.frame.axis(3), {0, 0, 1});
}

TEST(SectionFrame, InclinedBarHasItsHeightInTheVerticalPlane) {
  OneBar bar({0, 0, 0}, {1, 0, 1});
  EXPECT_EQ(bar.length, std::sqrt(2.0));
  expect_axis(bar.frame.axis(1), {1 / std::sqrt(2.0), 0, 1 / std::sqrt(2.0)});
  expect_axis(bar.frame.axis(2), {0, 1, 0});
  expect_axis(bar.frame.axis(3), {-0.70710678, 0, 0.70710678}, 5e-9);
  // The products and quotients in the given order, to the last bit.
  const double l = std::sqrt(2.0);
  EXPECT_EQ(bar.frame.m[1][3], -1.0 * 1.0 / (l * 1.0));
  EXPECT_EQ(bar.frame.m[3][3], 1.0 / l);

  // Here -dx dz / (L Lh), with the product of L and Lh divided into the
  // product -dx dz, differs in the last bit from the other groupings.
  OneBar skew({0, 0, 0}, {3, 1, 0.4});
  const double ls = std::sqrt(3.0 * 3.0 + 1.0 * 1.0 + 0.4 * 0.4);
  const double lhs = std::sqrt(3.0 * 3.0 + 1.0 * 1.0);
  EXPECT_EQ(skew.frame.m[1][3], -3.0 * 0.4 / (ls * lhs));
  EXPECT_NE(skew.frame.m[1][3], -3.0 * (0.4 / (ls * lhs)));

  // A bar in general position: the three axes are orthonormal and e3 never
  // points downward.
  OneBar general({1, 2, 3}, {4, -2, 1});
  const Axis e1 = general.frame.axis(1), e2 = general.frame.axis(2), e3 = general.frame.axis(3);
  EXPECT_DOUBLE_EQ(general.length, std::sqrt(9.0 + 16.0 + 4.0));
  EXPECT_NEAR(e1[0] * e2[0] + e1[1] * e2[1] + e1[2] * e2[2], 0.0, 1e-15);
  EXPECT_NEAR(e1[0] * e3[0] + e1[1] * e3[1] + e1[2] * e3[2], 0.0, 1e-15);
  EXPECT_EQ(e2[2], 0.0);
  EXPECT_GT(e3[2], 0.0);
  // e3 = e1 x e2
  EXPECT_NEAR(e3[0], e1[1] * e2[2] - e1[2] * e2[1], 1e-15);
  EXPECT_NEAR(e3[1], e1[2] * e2[0] - e1[0] * e2[2], 1e-15);
}

TEST(SectionFrame, VerticalBarsTakeTheModelYAxis) {
  OneBar up({0, 0, 0}, {0, 0, 3});
  EXPECT_EQ(up.length, 3.0);
  expect_axis(up.frame.axis(1), {0, 0, 1});
  expect_axis(up.frame.axis(2), {0, 1, 0});
  expect_axis(up.frame.axis(3), {-1, 0, 0});

  OneBar down({0, 0, 3}, {0, 0, 0});
  expect_axis(down.frame.axis(1), {0, 0, -1});
  expect_axis(down.frame.axis(2), {0, 1, 0});
  expect_axis(down.frame.axis(3), {1, 0, 0});
}

TEST(SectionFrame, AHorizontalProjectionUpTo1e8CountsAsVertical) {
  OneBar tiny({0, 0, 0}, {1e-9, 0, 2});
  expect_axis(tiny.frame.axis(1), {0, 0, 1});  // the offset is dropped exactly
  expect_axis(tiny.frame.axis(2), {0, 1, 0});
  expect_axis(tiny.frame.axis(3), {-1, 0, 0});

  OneBar at_limit({0, 0, 0}, {0, 1e-8, 2});
  expect_axis(at_limit.frame.axis(2), {0, 1, 0});

  OneBar above({0, 0, 0}, {0, 2e-8, 2});
  expect_axis(above.frame.axis(2), {-1, 0, 0});
}

TEST(SectionFrame, AQuarterTurnStandsTheWidthUp) {
  OneBar turned({0, 0, 0}, {2, 0, 0}, 90 * 0.017453292519943295);
  expect_axis(turned.frame.axis(1), {1, 0, 0});
  expect_axis(turned.frame.axis(2), {0, 0, 1}, 1e-15);
  expect_axis(turned.frame.axis(3), {0, -1, 0}, 1e-15);
  // e2' = c e2 + s e3 and e3' = -s e2 + c e3, in this order of terms.
  const double c = std::cos(90 * 0.017453292519943295), s = std::sin(90 * 0.017453292519943295);
  EXPECT_EQ(turned.frame.m[2][2], c * 1.0 + s * 0.0);
  EXPECT_EQ(turned.frame.m[3][3], -s * 0.0 + c * 1.0);
}

TEST(SectionFrame, AnglesUpTo1e8RadiansLeaveTheSectionUnturned) {
  for (double theta : {1e-9, 1e-8, -1e-8}) {
    OneBar bar({0, 0, 0}, {1, 0, 1}, theta);
    OneBar plain({0, 0, 0}, {1, 0, 1});
    for (int c = 1; c <= 3; ++c) expect_axis(bar.frame.axis(c), plain.frame.axis(c));
  }
  OneBar turned({0, 0, 0}, {2, 0, 0}, 2e-8);
  EXPECT_NE(turned.frame.m[3][2], 0.0);
}

TEST(SectionFrame, ABarOfZeroLengthStopsTheRun) {
  const auto outcome = harness::capture([] {
    BarMesh bars({{1, 2, 3}, {5, 5, 5}, {1, 2, 3}}, {{1, 2}, {3, 1}});
    Frame frame;
    rodmesh::section_frame(1, 0.0, bars.mesh, frame.m);
    rodmesh::section_frame(2, 0.0, bars.mesh, frame.m);
  });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "\nBuilding bar n.        2\n\nERROR:\nBar of zero length (its end nodes coincide)\n\n");
}

}  // namespace
