#include "rodmesh/section.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"

namespace {

using rodmesh::Settings;

Settings settings(char type, rodmesh::Source source, double factor = 1.0) {
  Settings s;
  s.shape = type == 'c' ? rodmesh::Shape::cylinder : rodmesh::Shape::prism;
  s.source = source;
  s.factor = factor;
  s.radius = 0.75;
  s.halfw = 2.0;
  s.halfh = 3.0;
  return s;
}

TEST(SectionDimensions, ConstantDimensionsServeEveryBar) {
  const rodmesh::Section c = rodmesh::section_of(settings('c', rodmesh::Source::constant), 123.0);
  EXPECT_EQ(c.radius, 0.75);
  EXPECT_EQ(c.angle, 0.0);
  const rodmesh::Section p = rodmesh::section_of(settings('p', rodmesh::Source::constant), 123.0);
  EXPECT_EQ(p.halfw, 2.0);
  EXPECT_EQ(p.halfh, 3.0);
}

TEST(SectionDimensions, AnAreaGivesTheCircleOrTheSquareOfThatArea) {
  const rodmesh::Section square = rodmesh::section_of(settings('p', rodmesh::Source::areas), 4.0);
  EXPECT_EQ(square.halfw, 1.0);
  EXPECT_EQ(square.halfh, 1.0);
  EXPECT_EQ(square.angle, 0.0);

  const rodmesh::Section circle = rodmesh::section_of(settings('c', rodmesh::Source::areas, 2.0), 3.14159);
  EXPECT_NEAR(circle.radius, 1.41421, 1e-5);
  // The factor multiplies the value before the constant does.
  EXPECT_EQ(circle.radius, std::sqrt(2.0 * 3.14159 * 0.3183098861837907));

  const rodmesh::Section none = rodmesh::section_of(settings('p', rodmesh::Source::areas, 0.0), 5.0);
  EXPECT_EQ(none.halfw, 0.0);
}

TEST(SectionDimensions, AnAngleIsReadInDegrees) {
  const rodmesh::Section turned = rodmesh::section_of(settings('p', rodmesh::Source::angles), 90.0);
  EXPECT_EQ(turned.angle, 90.0 * 0.017453292519943295);
  EXPECT_EQ(turned.halfw, 2.0);
  EXPECT_EQ(turned.halfh, 3.0);
}

TEST(SectionDimensions, ANegativeAreaStopsTheRun) {
  const auto outcome = harness::capture([] { rodmesh::section_of(settings('c', rodmesh::Source::areas), -0.5); });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "\nERROR:\nNegative area in the .eva file\n\n");
}

}  // namespace
