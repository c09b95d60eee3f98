// The table of cell kinds against cells built by hand from the node
// numbering that meshio and VTK document: the faces of each solid close it,
// turn outward and give its volume; the file's orders and VTK's give
// well-formed cells; the triangles of a face cover it.

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "meshfile/cells.hpp"

namespace {

using Point = std::array<double, 3>;

Point operator-(Point a, Point b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Point operator+(Point a, Point b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Point times(double s, Point a) { return {s * a[0], s * a[1], s * a[2]}; }
double dot(Point a, Point b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(Point a, Point b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Point mid(Point a, Point b) { return times(0.5, a + b); }
Point centroid(const std::vector<Point>& points) {
  Point sum{0, 0, 0};
  for (const Point& p : points) sum = sum + p;
  return times(1.0 / static_cast<double>(points.size()), sum);
}
// Twice the area vector of a polygon, by the right hand (Newell).
Point area(const std::vector<Point>& polygon) {
  Point sum{0, 0, 0};
  for (std::size_t k = 0; k < polygon.size(); ++k) sum = sum + cross(polygon[k], polygon[(k + 1) % polygon.size()]);
  return sum;
}

// Cells in meshio's numbering, as its documentation (VTK's, but for the
// wedge, whose first triangle turns into the solid) sets it out.
std::map<std::string, std::pair<std::vector<Point>, double>> solids() {
  const Point o{0, 0, 0}, x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, xy{1, 1, 0}, xz{1, 0, 1}, yz{0, 1, 1}, xyz{1, 1, 1};
  std::map<std::string, std::pair<std::vector<Point>, double>> cells;
  cells["tetra"] = {{o, x, y, z}, 1.0 / 6};
  cells["pyramid"] = {{o, x, xy, y, {0.5, 0.5, 1}}, 1.0 / 3};
  cells["wedge"] = {{o, x, y, z, xz, yz}, 0.5};
  cells["hexahedron"] = {{o, x, xy, y, z, xz, xyz, yz}, 1.0};
  std::vector<Point> t = cells["tetra"].first;
  for (auto [a, b] : {std::pair{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}}) t.push_back(mid(t[a], t[b]));
  cells["tetra10"] = {t, 1.0 / 6};
  std::vector<Point> h = cells["hexahedron"].first;
  for (auto [a, b] : {std::pair{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6},
                      {3, 7}})
    h.push_back(mid(h[a], h[b]));
  cells["hexahedron20"] = {h, 1.0};
  // The triquadratic brick: the centres of the faces x = 0, x = 1, y = 0,
  // y = 1, z = 0, z = 1, then of the brick.
  for (const Point c : {Point{0, .5, .5}, Point{1, .5, .5}, Point{.5, 0, .5}, Point{.5, 1, .5}, Point{.5, .5, 0},
                        Point{.5, .5, 1}, Point{.5, .5, .5}})
    h.push_back(c);
  cells["hexahedron27"] = {h, 1.0};
  // VTK's quadratic wedge, whose first triangle turns outward, and pyramid.
  std::vector<Point> w = {o, y, x, z, yz, xz};
  for (auto [a, b] : {std::pair{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}})
    w.push_back(mid(w[a], w[b]));
  cells["wedge15"] = {w, 0.5};
  std::vector<Point> p = cells["pyramid"].first;
  for (auto [a, b] : {std::pair{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4}, {2, 4}, {3, 4}}) p.push_back(mid(p[a], p[b]));
  cells["pyramid13"] = {p, 1.0 / 3};
  return cells;
}

TEST(CellKinds, FacesOfTheSolidsCloseThemOutwardWithTheirVolume) {
  const std::map<std::string, std::size_t> face_counts = {
      {"tetra", 4},        {"pyramid", 5},   {"wedge", 5},     {"hexahedron", 6},     {"tetra10", 4},
      {"hexahedron20", 6}, {"hexahedron27", 6}, {"wedge15", 5}, {"pyramid13", 5}};
  for (const auto& [name, cell] : solids()) {
    SCOPED_TRACE(name);
    const meshfile::CellKind* kind = meshfile::kind_named(name);
    ASSERT_NE(kind, nullptr);
    const auto& [points, volume] = cell;
    EXPECT_EQ(kind->faces.size(), face_counts.at(name));
    EXPECT_EQ(static_cast<std::size_t>(kind->nodes), points.size());
    const Point middle = centroid(points);
    Point closed{0, 0, 0};
    double v = 0;
    std::set<std::set<int>> seen;
    std::set<int> used;
    for (const auto& face : kind->faces) {
      const meshfile::CellKind* face_kind = meshfile::kind_named(face.kind);
      ASSERT_NE(face_kind, nullptr);
      const int n = face_kind->corners;
      ASSERT_EQ(face.nodes.size(), static_cast<std::size_t>(face_kind->nodes));
      std::vector<Point> polygon;
      for (int k = 0; k < n; ++k) polygon.push_back(points[static_cast<std::size_t>(face.nodes[k])]);
      // Mid-side nodes, edge by edge; a centre last.
      const std::size_t sides = std::min(face.nodes.size(), 2 * polygon.size());
      if (sides < face.nodes.size()) {
        EXPECT_EQ(points[static_cast<std::size_t>(face.nodes[sides])], centroid(polygon));
      }
      for (std::size_t k = static_cast<std::size_t>(n); k < sides; ++k)
        EXPECT_EQ(points[static_cast<std::size_t>(face.nodes[k])],
                  mid(polygon[k - static_cast<std::size_t>(n)], polygon[(k - static_cast<std::size_t>(n) + 1) % polygon.size()]));
      const Point a = area(polygon);
      EXPECT_GT(dot(a, centroid(polygon) - middle), 0.0) << "a face turns inward";
      closed = closed + a;
      v += dot(centroid(polygon), a) / 6;
      seen.insert(std::set<int>(face.nodes.begin(), face.nodes.end()));
      used.insert(face.nodes.begin(), face.nodes.end());
    }
    EXPECT_EQ(seen.size(), kind->faces.size()) << "a face twice";
    EXPECT_EQ(used.size(), points.size() - (name == "hexahedron27")) << "a node on no face but the centre";
    EXPECT_NEAR(std::sqrt(dot(closed, closed)), 0.0, 1e-12) << "the faces leave a hole";
    EXPECT_NEAR(v, volume, 1e-12);
  }
}

// The suite's 20-node brick as rodmesh builds it round a bar along x, and
// its 8-node face, in the file's order: read in meshio's, well-formed cells.
TEST(CellKinds, TheFilesOrdersGiveMeshiosCells) {
  const double ring[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};
  std::vector<Point> brick;
  for (const auto& p : ring) brick.push_back({0, p[0], p[1]});
  for (int k = 0; k < 8; k += 2) brick.push_back({1, ring[k][0], ring[k][1]});
  for (const auto& p : ring) brick.push_back({2, p[0], p[1]});
  std::vector<Point> face;
  for (const auto& p : ring) face.push_back({0, p[0], p[1]});
  const std::pair<const char*, const std::vector<Point>*> cases[] = {{"hexahedron20", &brick}, {"quad8", &face}};
  for (const auto& [name, listed] : cases) {
    SCOPED_TRACE(name);
    const meshfile::CellKind& kind = *meshfile::kind_named(name);
    ASSERT_EQ(kind.file.size(), listed->size());
    std::vector<Point> cell;
    for (const int place : kind.file) cell.push_back((*listed)[static_cast<std::size_t>(place)]);
    const std::vector<std::pair<int, int>> edges =
        kind.nodes == 8 ? std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}, {3, 0}}
                        : std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                                           {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    const std::size_t first = kind.nodes == 8 ? 4 : 8;
    for (std::size_t k = 0; k < edges.size(); ++k)
      EXPECT_EQ(cell[first + k], mid(cell[static_cast<std::size_t>(edges[k].first)],
                                     cell[static_cast<std::size_t>(edges[k].second)]))
          << "node " << first + k;
    // The corners: the end at the start first, turning about the bar's
    // direction (meshio's bottom face, whose normal points into the solid).
    const Point normal = area({cell[0], cell[1], cell[2], cell[3]});
    EXPECT_GT(normal[0], 0.0);
    if (kind.nodes == 20) {
      EXPECT_EQ(cell[4][0], 2.0);
    }
  }
}

TEST(CellKinds, TheWedgeInVtksOrderTurnsItsFirstTriangleOutward) {
  const std::vector<Point> wedge = solids()["wedge"].first;
  const meshfile::CellKind& kind = *meshfile::kind_named("wedge");
  ASSERT_EQ(kind.vtk_order.size(), 6u);
  std::vector<Point> vtk;
  for (const int k : kind.vtk_order) vtk.push_back(wedge[static_cast<std::size_t>(k)]);
  EXPECT_LT(dot(area({vtk[0], vtk[1], vtk[2]}), vtk[3] - vtk[0]), 0.0);
  EXPECT_EQ(std::set<Point>(vtk.begin(), vtk.end()).size(), 6u);
}

TEST(CellKinds, TrianglesCoverTheirFaceTurningAsItDoes) {
  const Point o{0, 0, 0}, x{2, 0, 0}, y{0, 2, 0}, xy{2, 2, 0};
  std::map<std::string, std::vector<Point>> faces = {{"triangle", {o, x, y}}, {"quad", {o, x, xy, y}}};
  faces["triangle6"] = {o, x, y, mid(o, x), mid(x, y), mid(y, o)};
  faces["quad8"] = {o, x, xy, y, mid(o, x), mid(x, xy), mid(xy, y), mid(y, o)};
  faces["quad9"] = faces["quad8"];
  faces["quad9"].push_back({1, 1, 0});
  for (const auto& [name, points] : faces) {
    SCOPED_TRACE(name);
    const meshfile::CellKind& kind = *meshfile::kind_named(name);
    const std::vector<Point> outline(points.begin(), points.begin() + kind.corners);
    double covered = 0;
    for (std::size_t t = 0; t < kind.triangles.size(); t += 3) {
      const Point a = area({points[static_cast<std::size_t>(kind.triangles[t])],
                            points[static_cast<std::size_t>(kind.triangles[t + 1])],
                            points[static_cast<std::size_t>(kind.triangles[t + 2])]});
      EXPECT_GT(a[2], 0.0) << "triangle " << t / 3 << " turns the other way";
      covered += a[2];
    }
    EXPECT_DOUBLE_EQ(covered, area(outline)[2]);
  }
}

TEST(CellKinds, EachNodeCountIsReadAsOneKindOfThatCount) {
  for (int count = 1; count <= 40; ++count) {
    const meshfile::CellKind& kind = meshfile::default_kind(count);
    EXPECT_TRUE(kind.read_by_default);
    EXPECT_TRUE(kind.nodes == count || (kind.nodes == 0 && count >= 3)) << count;
  }
  std::set<std::string_view> names;
  for (const meshfile::CellKind& kind : meshfile::cell_kinds()) EXPECT_TRUE(names.insert(kind.name).second);
}

}  // namespace
