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

// Builds every bar of a mesh of bars as a run does, with one section, and
// keeps the nodes of all of them (node g of the solid mesh is node(g)).
struct Solids {
  Solids(const BarMesh& bars, int per_bar, char type, double radius, double halfw, double halfh,
         double theta = 0.0) {
    const auto form = per_bar == 1 ? rodmesh::Output::brick : rodmesh::Output::faces;
    const auto shape = type == 'c' ? rodmesh::Shape::cylinder : rodmesh::Shape::prism;
    rodmesh::allocate_template(tpl, form);
    toolkit::allod2(nodes, 20, 3);
    for (int k = 1; k <= bars.mesh.ne; ++k) {
      const double length = rodmesh::section_frame(k, theta, bars.mesh, frame.m);
      rodmesh::cthick(form, radius, halfw, halfh, shape, tpl);
      rodmesh::place_bar(k, tpl, frame.m, length, bars.mesh.coord[bars.mesh.lnods[k][1]], nodes);
      for (int i = 1; i <= 20; ++i) xyz.push_back({nodes[i][1], nodes[i][2], nodes[i][3]});
    }
  }
  ~Solids() {
    rodmesh::free_template(tpl);
    toolkit::freed2(nodes);
  }
  Point node(int g) const { return xyz.at(g - 1); }
  rodmesh::BarTemplate tpl;
  toolkit::Mat1<double> nodes;
  std::vector<Point> xyz;
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

TEST(Placement, EveryBarHasNodesOfItsOwn) {
  BarMesh bars({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{1, 2}, {2, 3}, {3, 1}});
  Solids faces(bars, 6, 'c', 0.1, 0, 0);
  EXPECT_EQ(faces.xyz.size(), 60u);
  // Bars 1 and 2 share node 2: the far ring of one and the near ring of the
  // other are distinct nodes.
  EXPECT_EQ(faces.node(13)[0], 1.0);
  EXPECT_EQ(faces.node(21)[0], 1.0);
}

// The coordinate is summed from zero in the order xi, eta, zeta and the node
// A is added last; any other order changes the last bits here.
TEST(Placement, SumsInTheGivenOrder) {
  BarMesh bars({{-1, 0, 0}, {0, 0, 0}}, {{1, 2}});
  toolkit::Mat1<double> nodes;
  toolkit::allod2(nodes, 20, 3);
  rodmesh::BarTemplate tpl;
  rodmesh::allocate_template(tpl, rodmesh::Output::brick);
  rodmesh::cthick(rodmesh::Output::brick, 0.0, 1.0, 1.0, rodmesh::Shape::prism, tpl);  // node 17: xi 1, eta 1, zeta 1
  Frame frame;
  toolkit::zerod2(frame.m, 3, 3);
  frame.m[1][1] = 1.0;
  frame.m[1][2] = 1e-16;
  frame.m[1][3] = 1e-16;
  rodmesh::place_bar(1, tpl, frame.m, 1.0, bars.mesh.coord[1], nodes);
  EXPECT_EQ(nodes[17][1], 0.0);
  rodmesh::free_template(tpl);
  toolkit::freed2(nodes);
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
