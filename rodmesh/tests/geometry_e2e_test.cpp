// Geometry of the solids that rodmesh writes, checked from the output file
// alone on meshes of bars in random directions: whatever the frame code
// does, every solid must sit on its bar with the asked section.

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/e2e.hpp"

namespace {

using Vec = std::array<double, 3>;

Vec operator-(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec operator+(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec operator*(double s, const Vec& a) { return {s * a[0], s * a[1], s * a[2]}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const Vec& a) { return std::sqrt(dot(a, a)); }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Coordinates are printed with eight decimals.
constexpr double tol = 2e-7;

struct Bar {
  Vec a, b;
};

// Bars in random directions, with vertical ones (up and down), nearly
// vertical ones and axis-parallel ones mixed in.
std::vector<Bar> random_bars(std::mt19937& rng, int count) {
  std::uniform_real_distribution<double> coord(-50.0, 50.0);
  std::uniform_int_distribution<int> kind(0, 5);
  std::vector<Bar> bars;
  for (int k = 0; k < count; ++k) {
    Vec a{coord(rng), coord(rng), coord(rng)};
    Vec b{coord(rng), coord(rng), coord(rng)};
    switch (kind(rng)) {
      case 0: b = {a[0], a[1], b[2]}; break;                // vertical
      case 1: b = {a[0] + 1e-9, a[1], a[2] + 3.0}; break;   // projection below the threshold
      case 2: b = {b[0], a[1], a[2]}; break;                // along x
      case 3: b = {a[0], a[1], a[2] - 7.25}; break;         // vertical, downward
      default: break;
    }
    if (norm(b - a) < 1e-3) b[2] += 1.0;
    bars.push_back({a, b});
  }
  return bars;
}

std::string mesh_file(const std::vector<Bar>& bars) {
  std::ostringstream out;
  out << "Random bars\nRAND\n" << bars.size() << " " << 2 * bars.size() << " 0\n";
  for (std::size_t k = 0; k < bars.size(); ++k) out << k + 1 << " 2 " << 2 * k + 1 << " " << 2 * k + 2 << "\n";
  char line[128];
  for (std::size_t k = 0; k < bars.size(); ++k) {
    for (int end = 0; end < 2; ++end) {
      const Vec& p = end == 0 ? bars[k].a : bars[k].b;
      std::snprintf(line, sizeof line, "%zu %.17g %.17g %.17g\n", 2 * k + 1 + end, p[0], p[1], p[2]);
      out << line;
    }
  }
  return out.str();
}

struct Solids {
  std::vector<std::vector<int>> elements;
  std::vector<Vec> nodes;
};

Solids read_solids(const std::string& text) {
  std::istringstream in(text);
  std::string header, label;
  std::getline(in, header);
  std::getline(in, label);
  int ne = 0, nn = 0, ns = 0;
  in >> ne >> nn >> ns;
  Solids s;
  for (int i = 1; i <= ne; ++i) {
    int number = 0, count = 0;
    in >> number >> count;
    EXPECT_EQ(number, i);
    std::vector<int> list(static_cast<std::size_t>(count));
    for (int& n : list) in >> n;
    s.elements.push_back(list);
  }
  for (int i = 1; i <= nn; ++i) {
    int number = 0;
    Vec p{};
    in >> number >> p[0] >> p[1] >> p[2];
    EXPECT_EQ(number, i);
    s.nodes.push_back(p);
  }
  EXPECT_TRUE(static_cast<bool>(in));
  EXPECT_EQ(ns, 0);
  return s;
}

// The unturned section axes of a bar: e2 horizontal and square to it, e3
// completing the right-handed frame; for a vertical bar e2 is y.
std::pair<Vec, Vec> section_axes(const Bar& bar) {
  const Vec d = bar.b - bar.a;
  const double lh = std::hypot(d[0], d[1]);
  const Vec e1 = (1.0 / norm(d)) * d;
  if (lh <= 1e-8) {
    const Vec e2{0, 1, 0};
    const Vec e1v{0, 0, d[2] / std::fabs(d[2])};
    return {e2, cross(e1v, e2)};
  }
  const Vec e2{-d[1] / lh, d[0] / lh, 0};
  return {e2, cross(e1, e2)};
}

struct Section {
  char shape;        // 'c' or 'p'
  double r, b, h;    // radius, half width, half height
  double theta;      // turn of the section, radians
};

// Checks the 20 nodes of one solid against its bar and section.
void check_solid(const Solids& s, int k, const Bar& bar, const Section& sec) {
  SCOPED_TRACE("bar " + std::to_string(k));
  auto node = [&](int i) { return s.nodes[static_cast<std::size_t>(20 * (k - 1) + i - 1)]; };
  const Vec d = bar.b - bar.a;
  const double length = norm(d);
  const Vec e1 = (1.0 / length) * d;
  const auto [e2, e3] = section_axes(bar);
  const Vec w = std::cos(sec.theta) * e2 + std::sin(sec.theta) * e3;   // width direction
  const Vec v = (-std::sin(sec.theta)) * e2 + std::cos(sec.theta) * e3; // height direction

  // End rings on the end nodes, middle nodes at mid-length, far ring on B.
  const std::array<std::pair<std::vector<int>, Vec>, 3> rings{{
      {{1, 2, 3, 4, 5, 6, 7, 8}, bar.a},
      {{9, 10, 11, 12}, 0.5 * (bar.a + bar.b)},
      {{13, 14, 15, 16, 17, 18, 19, 20}, bar.b},
  }};
  for (const auto& [members, centre] : rings) {
    Vec sum{0, 0, 0};
    for (int i : members) {
      const Vec off = node(i) - centre;
      EXPECT_NEAR(dot(off, e1), 0.0, tol) << "node " << i << " off its section plane";
      sum = sum + node(i);
    }
    const Vec mean = (1.0 / static_cast<double>(members.size())) * sum;
    EXPECT_NEAR(norm(mean - centre), 0.0, tol) << "ring of node " << members[0] << " not centred";
  }

  // The section: every node at its place in the turned cross-section.
  for (int i = 1; i <= 20; ++i) {
    const Vec centre = i <= 8 ? bar.a : (i <= 12 ? 0.5 * (bar.a + bar.b) : bar.b);
    const Vec off = node(i) - centre;
    const double eta = dot(off, w), zeta = dot(off, v);
    if (sec.shape == 'c') {
      EXPECT_NEAR(std::hypot(eta, zeta), std::fabs(sec.r), tol) << "node " << i << " off the circle";
    } else {
      const int corner_or_side = i <= 8 ? i : (i <= 12 ? 2 * (i - 9) + 1 : i - 12);
      const bool corner = corner_or_side % 2 == 1;
      if (corner) {
        EXPECT_NEAR(std::fabs(eta), std::fabs(sec.b), tol) << "node " << i;
        EXPECT_NEAR(std::fabs(zeta), std::fabs(sec.h), tol) << "node " << i;
      } else {
        EXPECT_NEAR(std::fabs(eta) + std::fabs(zeta), corner_or_side % 4 == 2 ? std::fabs(sec.h) : std::fabs(sec.b),
                    tol)
            << "node " << i << " not on the middle of its side";
      }
    }
  }
  // Node 3 lies at +eta, node 5 at +zeta: the turn of the section is the
  // asked angle, in the asked sense.
  if (sec.shape == 'p' && sec.b > 0 && sec.h > 0) {
    const Vec width = node(3) - node(1);
    EXPECT_NEAR(dot(width, w), 2 * sec.b, tol);
    EXPECT_NEAR(dot(node(5) - node(3), v), 2 * sec.h, tol);
  }
  // Middle nodes halfway between the rings.
  const std::array<std::pair<int, int>, 4> middles{{{1, 13}, {3, 15}, {5, 17}, {7, 19}}};
  for (int m = 0; m < 4; ++m) {
    const auto [near, far] = middles[static_cast<std::size_t>(m)];
    EXPECT_NEAR(norm(node(9 + m) - 0.5 * (node(near) + node(far))), 0.0, tol) << "node " << 9 + m;
  }
}

// Six faces listed so that each runs once around its boundary: every edge
// between neighbours in a face's list is an edge of exactly one other face,
// and the faces close the solid.
void check_faces_close(const Solids& s, int k) {
  SCOPED_TRACE("bar " + std::to_string(k));
  std::map<std::pair<int, int>, int> edges;
  for (int m = 0; m < 6; ++m) {
    const auto& face = s.elements[static_cast<std::size_t>(6 * (k - 1) + m)];
    ASSERT_EQ(face.size(), 8u);
    for (int i = 0; i < 8; ++i) {
      int p = face[static_cast<std::size_t>(i)], q = face[static_cast<std::size_t>((i + 1) % 8)];
      EXPECT_GT(p, 20 * (k - 1));
      EXPECT_LE(p, 20 * k);
      ++edges[{std::min(p, q), std::max(p, q)}];
    }
  }
  EXPECT_EQ(edges.size(), 24u);
  for (const auto& [edge, uses] : edges) EXPECT_EQ(uses, 2) << edge.first << "-" << edge.second;
}

struct Case {
  char shape, form;
  int source;
};

class SolidGeometry : public ::testing::TestWithParam<Case> {};

TEST_P(SolidGeometry, EverySolidSitsOnItsBarWithItsSection) {
  const Case c = GetParam();
  std::mt19937 rng(20261207u + static_cast<unsigned>(c.shape * 7 + c.form * 3 + c.source));
  const int count = 60;
  const auto bars = random_bars(rng, count);
  harness::Scratch s;
  s.write("bars.zmf", mesh_file(bars));

  std::vector<Section> sections;
  std::string answers(1, c.shape);
  answers += "\n";
  answers += c.form;
  answers += "\n" + std::to_string(c.source) + "\n";
  std::uniform_real_distribution<double> size(0.05, 5.0);
  std::uniform_real_distribution<double> degrees(-360.0, 360.0);
  std::ostringstream eva;
  char line[96];
  if (c.source == 0) {
    const double d1 = size(rng), d2 = size(rng);
    std::snprintf(line, sizeof line, "%.17g\n", d1);
    answers += line;
    if (c.shape == 'p') {
      std::snprintf(line, sizeof line, "%.17g\n", d2);
      answers += line;
    }
    for (int k = 0; k < count; ++k) sections.push_back({c.shape, d1 / 2, d1 / 2, d2 / 2, 0.0});
  } else if (c.source == 1) {
    const double factor = 1.5;
    answers += "areas\n1.5\n";
    for (int k = 1; k <= count; ++k) {
      const double area = size(rng);
      std::snprintf(line, sizeof line, "%d %.17g  remark\n", k, area);
      eva << line;
      const double side = std::sqrt(factor * area * 0.25);
      sections.push_back({c.shape, std::sqrt(factor * area / M_PI), side, side, 0.0});
    }
    s.write("bars_areas.eva", eva.str());
  } else {
    const double width = size(rng), height = size(rng);
    std::snprintf(line, sizeof line, "angles\n%.17g\n%.17g\n", width, height);
    answers += line;
    for (int k = 1; k <= count; ++k) {
      const double angle = k % 5 == 0 ? 90.0 : degrees(rng);
      std::snprintf(line, sizeof line, "%d %.17g\n", k, angle);
      eva << line;
      sections.push_back({c.shape, 0, width / 2, height / 2, angle * M_PI / 180.0});
    }
    s.write("bars_angles.eva", eva.str());
  }

  auto r = harness::run(s, "rodmesh", {"bars"}, answers);
  ASSERT_EQ(r.status, 0) << r.err;
  const Solids solids = read_solids(s.read("bars_th.zmf"));
  const int per_bar = c.form == 'b' ? 1 : 6;
  ASSERT_EQ(solids.elements.size(), static_cast<std::size_t>(per_bar * count));
  ASSERT_EQ(solids.nodes.size(), static_cast<std::size_t>(20 * count));
  for (int k = 1; k <= count; ++k) {
    check_solid(solids, k, bars[static_cast<std::size_t>(k - 1)], sections[static_cast<std::size_t>(k - 1)]);
    if (per_bar == 6) {
      check_faces_close(solids, k);
    } else {
      std::vector<int> expected(20);
      for (int i = 0; i < 20; ++i) expected[static_cast<std::size_t>(i)] = 20 * (k - 1) + i + 1;
      EXPECT_EQ(solids.elements[static_cast<std::size_t>(k - 1)], expected);
    }
  }
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  std::string name(1, info.param.shape);
  name += info.param.form;
  return name + std::to_string(info.param.source);
}

INSTANTIATE_TEST_SUITE_P(Shapes, SolidGeometry,
                         ::testing::Values(Case{'c', 'f', 0}, Case{'c', 'b', 0}, Case{'p', 'f', 0}, Case{'p', 'b', 0},
                                           Case{'c', 'f', 1}, Case{'p', 'b', 1}, Case{'p', 'f', 2},
                                           Case{'p', 'b', 2}),
                         case_name);

}  // namespace
