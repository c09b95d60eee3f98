#include "rodmesh/cthick.hpp"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>


namespace {

using rodmesh::BarTemplate;
constexpr auto brick = rodmesh::Output::brick;
constexpr auto faces = rodmesh::Output::faces;
constexpr auto cylinder = rodmesh::Shape::cylinder;
constexpr auto prism = rodmesh::Shape::prism;

struct Template {
  explicit Template(rodmesh::Output form) { rodmesh::allocate_template(tpl, form); }
  ~Template() { rodmesh::free_template(tpl); }
  Template(const Template&) = delete;
  Template& operator=(const Template&) = delete;
  std::vector<int> element(int m) const {
    std::vector<int> nodes;
    for (int i = 1; i <= tpl.nnode[m]; ++i) nodes.push_back(tpl.lnods[m][i]);
    return nodes;
  }
  std::vector<double> node(int i) const { return {tpl.posit[i][1], tpl.posit[i][2], tpl.posit[i][3]}; }
  BarTemplate tpl;
};

TEST(Cthick, BrickIsOneElementOfTheTwentyNodesInOrder) {
  Template t(brick);
  rodmesh::cthick(brick, 1.0, 1.0, 1.0, cylinder, t.tpl);
  std::vector<int> all;
  for (int i = 1; i <= 20; ++i) all.push_back(i);
  EXPECT_EQ(t.element(1), all);
}

TEST(Cthick, CylinderNodesLieOnTheCircleEvery45Degrees) {
  Template t(brick);
  const double r = 0.3;
  rodmesh::cthick(brick, r, 9.0, 9.0, cylinder, t.tpl);
  const double q = std::sqrt(2.0) * r * 0.5;
  const std::vector<std::vector<double>> ring = {{0, -r}, {q, -q}, {r, 0}, {q, q},
                                                 {0, r},  {-q, q}, {-r, 0}, {-q, -q}};
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(t.node(1 + n), (std::vector<double>{0, ring[n][0], ring[n][1]})) << "node " << 1 + n;
    EXPECT_EQ(t.node(13 + n), (std::vector<double>{1, ring[n][0], ring[n][1]})) << "node " << 13 + n;
  }
  EXPECT_EQ(t.node(9), (std::vector<double>{0.5, 0, -r}));
  EXPECT_EQ(t.node(10), (std::vector<double>{0.5, r, 0}));
  EXPECT_EQ(t.node(11), (std::vector<double>{0.5, 0, r}));
  EXPECT_EQ(t.node(12), (std::vector<double>{0.5, -r, 0}));
}

TEST(Cthick, PrismNodesLieOnTheRectangleOfTheHalfSizes) {
  Template t(faces);
  const double b = 0.5, h = 0.25;
  rodmesh::cthick(faces, 9.0, b, h, prism, t.tpl);
  const std::vector<std::vector<double>> ring = {{-b, -h}, {0, -h}, {b, -h}, {b, 0},
                                                 {b, h},   {0, h},  {-b, h}, {-b, 0}};
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(t.node(1 + n), (std::vector<double>{0, ring[n][0], ring[n][1]})) << "node " << 1 + n;
    EXPECT_EQ(t.node(13 + n), (std::vector<double>{1, ring[n][0], ring[n][1]})) << "node " << 13 + n;
  }
  EXPECT_EQ(t.node(9), (std::vector<double>{0.5, -b, -h}));
  EXPECT_EQ(t.node(10), (std::vector<double>{0.5, b, -h}));
  EXPECT_EQ(t.node(11), (std::vector<double>{0.5, b, h}));
  EXPECT_EQ(t.node(12), (std::vector<double>{0.5, -b, h}));
}

TEST(Cthick, ATemplateIsRebuiltWhole) {
  Template t(faces);
  rodmesh::cthick(faces, 2.0, 1.0, 1.0, cylinder, t.tpl);
  t.tpl.posit[13][1] = 7.0;  // whatever a template held before
  rodmesh::cthick(faces, 2.0, 1.0, 1.0, cylinder, t.tpl);
  EXPECT_EQ(t.node(13)[0], 1.0);
}

}  // namespace
