// The frame, the curves and the markers, written to a drawing of their own.

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plotcad/curves.hpp"
#include "plotcad/frame.hpp"
#include "plotcad/tests/expect.hpp"

namespace {

using namespace plotcad;
using expect::line;
using expect::poly;
using expect::text;
using Points = std::vector<std::pair<double, double>>;

struct Drawn {
  harness::Outcome outcome;
  std::string entities;  // the drawing between the opening and closing lines
};

template <class Body>
Drawn draw(Body body, std::string_view answers = {}) {
  harness::Scratch scratch;
  Drawn d{expect::in_dir(
              scratch,
              [&] {
                Layer layer{};
                toolkit::Writer drawing = dxopen("job", layer);
                body(layer, drawing);
                dxclos(drawing);
              },
              answers),
          ""};
  const std::string dxf = scratch.read("job.dxf");
  d.entities = dxf.substr(expect::opening.size(), dxf.size() - expect::opening.size() - expect::closing.size());
  return d;
}

TEST(PlotFrame, BorderGridLinesAndNumbersOfTheWorkedExample) {
  PlotMapping m;
  m.ixgmi = m.iygmi = 0;
  m.ixgma = m.iygma = 5;
  m.rxsca = m.rxoff = 832.0 / 12;
  m.rysca = 720.0 / 110;
  m.ryoff = 720.0 / 110 * 5;
  auto d = draw([&](Layer& layer, toolkit::Writer& out) { plfram(m, 832, 720, 2, 20, layer, out); }, "\n");
  EXPECT_EQ(d.outcome.out, "\nText height of the axes' labels [10.8] ? You answered: 10.8\n");
  std::string expected = expect::border(832, 720);
  const int ys[] = {33, 164, 295, 425, 556, 687};
  const int xs[] = {69, 208, 347, 485, 624, 763};
  for (int k = 0; k < 6; ++k)
    expected += line("AXES", 69, ys[k], 763, ys[k]) + text("NUMBERS", 10.76, ys[k] + 2.88, 10.8, std::to_string(20 * k));
  for (int k = 0; k < 6; ++k)
    expected += line("AXES", xs[k], 33, xs[k], 687) + text("NUMBERS", xs[k] - 8.32, 8.52, 10.8, std::to_string(2 * k));
  EXPECT_EQ(d.entities, expected);
}

TEST(PlotFrame, NumbersAreTheGridValuesAsPrintfShowsThem) {
  PlotMapping m;
  m.ixgmi = -1;
  m.ixgma = 3;
  m.iygmi = 249999999999;  // an axis of one value, y = 5
  m.iygma = 250000000001;
  m.rxsca = m.rysca = 1;
  auto d = draw([&](Layer& layer, toolkit::Writer& out) { plfram(m, 8, 8, 0.1, 2e-11, layer, out); }, "-0\n");
  for (const char* number : {"\n-0.1\n", "\n0\n", "\n0.3\n", "\n5\n"}) EXPECT_NE(d.entities.find(number), std::string::npos);
  EXPECT_EQ(d.entities.find("0.30000"), std::string::npos);
  EXPECT_NE(d.entities.find(" 40\n     -0.0000000\n"), std::string::npos);  // the height as answered
}

// Curves of a mapping that puts data point (x, y) at floor(x + .5), floor(y + .5).
struct Curves {
  std::vector<std::vector<std::pair<double, double>>> points;
  std::vector<int32_t> licol, marco, marty, npnt;
  toolkit::Mat1<double> rx, ry;
  PlotMapping map{0, 0, 0, 0, 1, 0, 1, 0};

  void arrays() {
    const int n = static_cast<int>(points.size());
    int most = 0;
    for (auto& c : points) most = std::max(most, static_cast<int>(c.size()));
    toolkit::allod2(rx, n, most);
    toolkit::allod2(ry, n, most);
    npnt.clear();
    for (int i = 0; i < n; ++i) {
      npnt.push_back(static_cast<int32_t>(points[i].size()));
      for (std::size_t k = 0; k < points[i].size(); ++k) {
        rx[i + 1][k + 1] = points[i][k].first;
        ry[i + 1][k + 1] = points[i][k].second;
      }
    }
  }
  toolkit::Vec1<int32_t> v(std::vector<int32_t>& values) { return {values.data()}; }
  ~Curves() {
    if (rx) toolkit::freed2(rx);
    if (ry) toolkit::freed2(ry);
  }
};

TEST(Curves, OnePolylinePerCurveWithLinesSwitchedOn) {
  Curves c;
  c.points = {{{0.5, 1.49}, {-0.5, -1.5}}, {{9, 9}}, {{8, 8}}, {{1e12, 7.2}}};
  c.licol = {1, 0, -1, 7};
  c.arrays();
  auto d = draw([&](Layer& layer, toolkit::Writer& out) {
    plcurv(4, c.map, c.v(c.licol), c.v(c.npnt), c.rx, c.ry, layer, out);
  });
  EXPECT_EQ(d.entities, poly("LINES1", {{1, 1}, {0, -1}}) + poly("LINES4", {{1e12, 7}}));
}

TEST(Curves, LayerNamesOfCurvesBeyondNineNinetyNineAreCut) {
  Curves c;
  c.points.assign(1000, {{1, 1}});
  c.licol.assign(1000, 0);
  c.licol[999] = 1;
  c.marco = c.licol;
  c.marty.assign(1000, 0);
  c.arrays();
  auto d = draw([&](Layer& layer, toolkit::Writer& out) {
    plcurv(1000, c.map, c.v(c.licol), c.v(c.npnt), c.rx, c.ry, layer, out);
    plmark(1000, c.map, c.v(c.marco), c.v(c.marty), c.v(c.npnt), c.rx, c.ry, layer, out);
  });
  EXPECT_EQ(d.entities, poly("LINES100", {{1, 1}}) + poly("MARKS100", {{1, 1}, {1, 1}}));
}

TEST(Curves, MarkersAtEveryPointOfCurvesWithMarkersSwitchedOn) {
  Curves c;
  c.points = {{{0, 0}}, {{1, 1}}, {{10, 20}, {30, 40}, {50, 60}, {70, 80}}};
  c.licol = {0, 0, 0};
  c.marco = {0, -1, 2};
  c.marty = {6, 6, 1};
  c.arrays();
  auto d = draw([&](Layer& layer, toolkit::Writer& out) {
    plcurv(3, c.map, c.v(c.licol), c.v(c.npnt), c.rx, c.ry, layer, out);
    plmark(3, c.map, c.v(c.marco), c.v(c.marty), c.v(c.npnt), c.rx, c.ry, layer, out);
  });
  std::string expected;
  for (auto [x, y] : c.points[2])
    expected += poly("MARKS3", {{x - 2, y}, {x + 2, y}}) + poly("MARKS3", {{x, y - 2}, {x, y + 2}});
  EXPECT_EQ(d.entities, expected);
}

TEST(Curves, TheElevenMarkerSymbolsAndTheCircleForAnyOtherType) {
  const Points dot = {{416, 360}, {416, 360}};
  const Points circle = {{417, 363}, {419, 361}, {419, 359}, {417, 357}, {415, 357},
                         {413, 359}, {413, 361}, {415, 363}, {417, 363}};
  const Points square = {{413, 357}, {419, 357}, {419, 363}, {413, 363}, {413, 357}};
  const Points diamond = {{416, 356}, {420, 360}, {416, 364}, {412, 360}, {416, 356}};
  const Points rising = {{413, 357}, {419, 363}}, falling = {{413, 363}, {419, 357}};
  const Points big_v = {{416, 356}, {416, 364}};
  std::string filled;
  for (int k = -3; k <= 3; ++k) filled += poly("M", {{413, 360 + k}, {419, 360 + k}});
  const std::string expected[] = {
      poly("M", dot),
      poly("M", {{414, 360}, {418, 360}}) + poly("M", {{416, 358}, {416, 362}}),
      poly("M", {{412, 360}, {420, 360}}) + poly("M", big_v),
      poly("M", rising) + poly("M", falling) + poly("M", big_v),
      poly("M", circle),
      poly("M", rising) + poly("M", falling),
      poly("M", square),
      poly("M", diamond),
      poly("M", square) + poly("M", dot),
      poly("M", diamond) + poly("M", dot),
      filled,
      poly("M", circle),
      poly("M", circle)};
  const int types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1};
  for (int k = 0; k < 13; ++k) {
    auto d = draw([&](Layer& layer, toolkit::Writer& out) {
      dxlayr(layer, "M");
      dxmark(416, 360, types[k], layer, out);
    });
    EXPECT_EQ(d.entities, expected[k]) << "marker type " << types[k];
  }
}

}  // namespace
