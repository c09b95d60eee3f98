#include "rodmesh/placement.hpp"

#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "rodmesh/cthick.hpp"
#include "rodmesh/frame.hpp"
#include "rodmesh/tests/bar_mesh.hpp"
#include "tests/harness/capture.hpp"

namespace {

using rodmesh_test::BarMesh;
using rodmesh_test::Frame;
using Point = std::array<double, 3>;

// Builds every bar of a mesh of bars as the driver does, with one section.
struct Solids {
  Solids(const BarMesh& bars, int per_bar, char type, double radius, double halfw, double halfh,
         double theta = 0.0) {
    solid.ne = per_bar * bars.mesh.ne;
    solid.nn = 20 * bars.mesh.ne;
    rodmesh::allocate_mesh(solid);
    const auto form = per_bar == 1 ? rodmesh::Output::brick : rodmesh::Output::faces;
    const auto shape = type == 'c' ? rodmesh::Shape::cylinder : rodmesh::Shape::prism;
    rodmesh::allocate_template(tpl, form);
    for (int k = 1; k <= bars.mesh.ne; ++k) {
      const double length = rodmesh::section_frame(k, theta, bars.mesh, frame.m);
      rodmesh::cthick(form, radius, halfw, halfh, shape, tpl);
      rodmesh::place_bar(k, tpl, frame.m, length, bars.mesh.coord[bars.mesh.lnods[k][1]], solid);
    }
  }
  ~Solids() {
    rodmesh::free_template(tpl);
    rodmesh::free_mesh(solid);
  }
  Point node(int g) const { return {solid.coord[g][1], solid.coord[g][2], solid.coord[g][3]}; }
  std::vector<int> element(int n) const {
    std::vector<int> nodes;
    for (int i = 1; i <= solid.nnode[n]; ++i) nodes.push_back(solid.lnods[n][i]);
    return nodes;
  }
  rodmesh::Mesh solid;
  rodmesh::BarTemplate tpl;
  Frame frame;
};

TEST(Placement, PrismAlongX) {
  BarMesh bars({{0, 0, 0}, {2, 0, 0}}, {{1, 2}});
  Solids s(bars, 1, 'p', 9.0, 0.5, 0.25);
  EXPECT_EQ(s.node(1), (Point{0, -0.5, -0.25}));
  EXPECT_EQ(s.node(3), (Point{0, 0.5, -0.25}));
  EXPECT_EQ(s.node(9), (Point{1, -0.5, -0.25}));
  EXPECT_EQ(s.node(20), (Point{2, -0.5, 0}));
}

TEST(Placement, VerticalCylinder) {
  BarMesh bars({{0, 0, 0}, {0, 0, 3}}, {{1, 2}});
  Solids s(bars, 6, 'c', 1.0, 9.0, 9.0);
  EXPECT_EQ(s.node(1), (Point{1, 0, 0}));
  EXPECT_EQ(s.node(3), (Point{0, 1, 0}));
  EXPECT_EQ(s.node(5), (Point{-1, 0, 0}));
  EXPECT_EQ(s.node(13), (Point{1, 0, 3}));
  EXPECT_EQ(s.node(11), (Point{-1, 0, 1.5}));
}

TEST(Placement, AQuarterTurnedPrismStandsOnItsNarrowSide) {
  BarMesh bars({{0, 0, 0}, {2, 0, 0}}, {{1, 2}});
  Solids s(bars, 1, 'p', 9.0, 0.5, 0.25, 90 * 0.017453292519943295);
  // Node 3 is at eta = b, zeta = -h: up by b and sideways by +h.
  EXPECT_NEAR(s.node(3)[1], 0.25, 1e-15);
  EXPECT_NEAR(s.node(3)[2], 0.5, 1e-15);
}

TEST(Placement, EveryBarHasNodesAndElementsOfItsOwn) {
  BarMesh bars({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{1, 2}, {2, 3}, {3, 1}});
  Solids faces(bars, 6, 'c', 0.1, 0, 0);
  EXPECT_EQ(faces.solid.ne, 18);
  EXPECT_EQ(faces.solid.nn, 60);
  EXPECT_EQ(faces.element(7), (std::vector<int>{21, 22, 23, 24, 25, 26, 27, 28}));
  EXPECT_EQ(faces.element(17), (std::vector<int>{47, 48, 41, 49, 53, 60, 59, 52}));
  // Bars 1 and 2 share node 2: the far ring of one and the near ring of the
  // other are distinct nodes.
  EXPECT_EQ(faces.node(13)[0], 1.0);
  EXPECT_EQ(faces.node(21)[0], 1.0);

  Solids brick(bars, 1, 'c', 0.1, 0, 0);
  EXPECT_EQ(brick.solid.ne, 3);
  std::vector<int> third;
  for (int i = 41; i <= 60; ++i) third.push_back(i);
  EXPECT_EQ(brick.element(3), third);
}

// The coordinate is summed from zero in the order xi, eta, zeta and the node
// A is added last; any other order changes the last bits here.
TEST(Placement, SumsInTheGivenOrder) {
  BarMesh bars({{-1, 0, 0}, {0, 0, 0}}, {{1, 2}});
  rodmesh::Mesh solid;
  solid.ne = 1;
  solid.nn = 20;
  rodmesh::allocate_mesh(solid);
  rodmesh::BarTemplate tpl;
  rodmesh::allocate_template(tpl, rodmesh::Output::brick);
  rodmesh::cthick(rodmesh::Output::brick, 0.0, 1.0, 1.0, rodmesh::Shape::prism, tpl);  // node 17: xi 1, eta 1, zeta 1
  Frame frame;
  toolkit::zerod2(frame.m, 3, 3);
  frame.m[1][1] = 1.0;
  frame.m[1][2] = 1e-16;
  frame.m[1][3] = 1e-16;
  rodmesh::place_bar(1, tpl, frame.m, 1.0, bars.mesh.coord[1], solid);
  EXPECT_EQ(solid.coord[17][1], 0.0);
  rodmesh::free_template(tpl);
  rodmesh::free_mesh(solid);
}

TEST(Placement, ACoordinateBeyondTheRangeOfADoubleStopsTheRun) {
  const auto outcome = harness::capture([] {
    BarMesh bars({{0, 1e308, 0}, {1, 1e308, 0}}, {{1, 2}});
    Solids s(bars, 6, 'p', 0, 1e308, 1.0);
  });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "\nBuilding bar n.        1\n\nERROR:\nCoordinates of the solid out of range\n\n");
}

}  // namespace
