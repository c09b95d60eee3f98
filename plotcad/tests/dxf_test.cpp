#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plotcad/dxf.hpp"
#include "plotcad/tests/expect.hpp"

namespace {

using namespace plotcad;

// Opens job.dxf in the scratch directory, lets body write, closes it, and
// gives back the file.
template <class Body>
std::string drawing(Body body) {
  harness::Scratch scratch;
  auto o = expect::in_dir(scratch, [&] {
    Layer layer{};
    toolkit::Writer drawing = dxopen("job", layer);
    if (std::string(layer.data()) != "0") std::_Exit(3);
    body(layer, drawing);
    dxclos(drawing);
  });
  EXPECT_EQ(o.status, 0) << o.err;
  return scratch.read("job.dxf");
}

TEST(DxfWriter, AnEmptyDrawingIsEightLines) {
  EXPECT_EQ(drawing([](Layer&, toolkit::Writer&) {}), "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n");
}

TEST(DxfWriter, LineAndTextWriteEveryGroupAsListed) {
  auto dxf = drawing([](Layer& layer, toolkit::Writer& out) {
    dxlayr(layer, "  AXES  ");
    dxline(0, 0, 0, 832, -8, 1e9, layer, out);
    dxtext(1003, 0.00390625, -0.0, -0.0, "", layer, out);
    dxtext(1, 2, 3, 4, "two\nlines\r", layer, out);
  });
  EXPECT_EQ(dxf, expect::opening + R"(LINE
  8
AXES
 10
      0.0000000
 20
      0.0000000
 30
      0.0000000
 11
    832.0000000
 21
     -8.0000000
 31
1000000000.0000000
  0
TEXT
  8
AXES
 10
   1003.0000000
 20
      0.0039062
 30
     -0.0000000
 40
     -0.0000000
  1

  0
TEXT
  8
AXES
 10
      1.0000000
 20
      2.0000000
 30
      3.0000000
 40
      4.0000000
  1
two lines 
  0
)" + expect::closing);
}

TEST(DxfWriter, PolylinesOfTwoEqualPointsNoPointsAndManyPoints) {
  std::vector<double> xs(5001), ys(5001);
  std::vector<std::pair<double, double>> points;
  for (int k = 1; k <= 5000; ++k) {
    xs[k] = k * 0.5 - 1000;
    ys[k] = -k;
    points.emplace_back(xs[k], ys[k]);
  }
  auto dxf = drawing([&](Layer& layer, toolkit::Writer& out) {
    dxlayr(layer, "MARKS1");
    toolkit::Vec1<double> x{xs.data() + 1}, y{ys.data() + 1};
    double same[] = {416, 416};
    toolkit::Vec1<double> s{same};
    dxpoly(2, s, s, layer, out);
    dxpoly(0, s, s, layer, out);
    dxpoly(5000, x, y, layer, out);
  });
  EXPECT_EQ(dxf, expect::opening + R"(POLYLINE
  8
MARKS1
 66
     1
 10
0.0
 20
0.0
 30
0.0
 70
     8
  0
VERTEX
  8
MARKS1
 10
    416.0000000
 20
    416.0000000
 30
      0.0000000
 70
    32
  0
VERTEX
  8
MARKS1
 10
    416.0000000
 20
    416.0000000
 30
      0.0000000
 70
    32
  0
SEQEND
  8
MARKS1
  0
)" + expect::poly("MARKS1", {}) + expect::poly("MARKS1", points) + expect::closing);
}

TEST(DxfWriter, LayerNamesAreTrimmedAndCutToEightCharacters) {
  Layer layer{};
  for (auto [name, kept] : {std::pair{"MARKS12", "MARKS12"}, {"MARKS1234", "MARKS123"}, {"LINES1000", "LINES100"},
                            {"   TITLE ", "TITLE"}, {"", ""}}) {
    dxlayr(layer, name);
    EXPECT_STREQ(layer.data(), kept);
  }
}

TEST(DxfWriter, StopsWhenTheDrawingCannotBeCreated) {
  harness::Scratch scratch;
  mkdir(scratch.path("job.dxf").c_str(), 0755);
  auto o = expect::in_dir(scratch, [] {
    Layer layer{};
    dxopen("job", layer);
  });
  EXPECT_EQ(o.err, harness::error_block("Unable to open output file - jobname.dxf"));
  EXPECT_EQ(o.status, 1);
}

TEST(DxfWriter, AFullDiskStopsTheProgram) {
  for (int vertices : {1, 100000}) {
    harness::Scratch scratch;
    scratch.symlink("job.dxf", "/dev/full");
    auto o = expect::in_dir(scratch, [=] {
      Layer layer{};
      toolkit::Writer drawing = dxopen("job", layer);
      PolyStream poly(layer, drawing);
      for (int k = 0; k < vertices; ++k) poly.vertex(k, k);
      poly.end();
      std::fputs("not reached after a failed write\n", stdout);
      dxclos(drawing);
    });
    EXPECT_EQ(o.err, harness::error_block("Error writing file - jobname.dxf"));
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out.empty(), vertices > 1);  // a large drawing stops at once
  }
}

}  // namespace
