#include "rodmesh/section.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"

namespace {

using rodmesh::Settings;

Settings settings(char type, int source, double factor = 1.0) {
  Settings s;
  s.type = type;
  s.source = source;
  s.factor = factor;
  s.radius = 0.75;
  s.halfw = 2.0;
  s.halfh = 3.0;
  return s;
}

TEST(SectionDimensions, ConstantDimensionsServeEveryBar) {
  const rodmesh::Section c = rodmesh::secdim(settings('c', rodmesh::constant), 123.0);
  EXPECT_EQ(c.radius, 0.75);
  EXPECT_EQ(c.angle, 0.0);
  const rodmesh::Section p = rodmesh::secdim(settings('p', rodmesh::constant), 123.0);
  EXPECT_EQ(p.halfw, 2.0);
  EXPECT_EQ(p.halfh, 3.0);
}

TEST(SectionDimensions, AnAreaGivesTheCircleOrTheSquareOfThatArea) {
  const rodmesh::Section square = rodmesh::secdim(settings('p', rodmesh::areas), 4.0);
  EXPECT_EQ(square.halfw, 1.0);
  EXPECT_EQ(square.halfh, 1.0);
  EXPECT_EQ(square.angle, 0.0);

  const rodmesh::Section circle = rodmesh::secdim(settings('c', rodmesh::areas, 2.0), 3.14159);
  EXPECT_NEAR(circle.radius, 1.41421, 1e-5);
  // The factor multiplies the value before the constant does.
  EXPECT_EQ(circle.radius, std::sqrt(2.0 * 3.14159 * 0.3183098861837907));

  const rodmesh::Section none = rodmesh::secdim(settings('p', rodmesh::areas, 0.0), 5.0);
  EXPECT_EQ(none.halfw, 0.0);
}

TEST(SectionDimensions, AnAngleIsReadInDegrees) {
  const rodmesh::Section turned = rodmesh::secdim(settings('p', rodmesh::angles), 90.0);
  EXPECT_EQ(turned.angle, 90.0 * 0.017453292519943295);
  EXPECT_EQ(turned.halfw, 2.0);
  EXPECT_EQ(turned.halfh, 3.0);
}

TEST(SectionDimensions, ANegativeAreaStopsTheRun) {
  const auto outcome = harness::capture([] { rodmesh::secdim(settings('c', rodmesh::areas), -0.5); });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "\nERROR:\nNegative area in the .eva file\n\n");
}

}  // namespace
