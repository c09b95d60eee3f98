// Whole runs of rodmesh: dialogue, progress lines and the solid mesh file.

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "rodmesh/tests/expected.hpp"
#include "tests/harness/e2e.hpp"

namespace {

using namespace rodmesh_test;

// A beam along x from node 1 to node 2 and a column from node 2 up to node 3.
const std::string portal =
    "  Portal frame: one beam and one column  \n"
    " F1 \n"
    "    2       3       1\n"
    "    1     2        1     2\n"
    "    2     2        2     3\n"
    "    1      0.00000000      0.00000000      0.00000000\n"
    "    2      2.00000000      0.00000000      0.00000000\n"
    "    3      2.00000000      0.00000000      3.00000000\n"
    "    1     3\n";

const std::string portal_read = reading("portal.zmf") + titles("Portal frame: one beam and one column", "F1") + counts(2, 3, 1);

// The nodes of a prism of half width b and half height h around the beam
// (section axes y and z) and the column (section axes y and -x).
std::string prism_nodes(double b, double h) {
  const double eta[8] = {-b, 0, b, b, b, 0, -b, -b};
  const double zeta[8] = {-h, -h, -h, 0, h, h, h, 0};
  std::string lines;
  for (int n = 0; n < 8; ++n) lines += node_line(1 + n, 0, eta[n], zeta[n]);
  for (int n = 0; n < 4; ++n) lines += node_line(9 + n, 1, eta[2 * n], zeta[2 * n]);
  for (int n = 0; n < 8; ++n) lines += node_line(13 + n, 2, eta[n], zeta[n]);
  for (int n = 0; n < 8; ++n) lines += node_line(21 + n, 2 - zeta[n], eta[n], 0);
  for (int n = 0; n < 4; ++n) lines += node_line(29 + n, 2 - zeta[2 * n], eta[2 * n], 1.5);
  for (int n = 0; n < 8; ++n) lines += node_line(33 + n, 2 - zeta[n], eta[n], 3);
  return lines;
}

TEST(RodmeshRun, PrismBricksFromTheCommandLine) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "p\nb\n\n1\n0.5\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("portal") + mesh_type("p") + form("b") + menu("0") +
                         width("1") + height("0.5") + portal_read + writing("portal_th.zmf") + success());
  EXPECT_EQ(dir.read("portal_th.zmf"), "Portal frame: one beam and one column\nF1\n" + count_line(2, 40, 0) +
                                           brick_line(1) + brick_line(2) + prism_nodes(0.5, 0.25));
}

TEST(RodmeshRun, CylinderFacesWithTheJobNameAsked) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  const auto run = harness::run(dir, "rodmesh", {}, "no-dash\nportal\n\n\n\n2\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, harness::banner("rodmesh") + "\nJob name ? You answered: no-dash\n" + repeat() +
                         "\nJob name ? You answered: portal\n" + job_line("portal") + mesh_type("c") + form("f") +
                         menu("0") + diameter("2") + portal_read + writing("portal_th.zmf") + success());
  const double q = std::sqrt(2.0) * 1.0 * 0.5;
  const double eta[8] = {0, q, 1, q, 0, -q, -1, -q};
  const double zeta[8] = {-1, -q, 0, q, 1, q, 0, -q};
  std::string nodes;
  for (int n = 0; n < 8; ++n) nodes += node_line(1 + n, 0, eta[n], zeta[n]);
  for (int n = 0; n < 4; ++n) nodes += node_line(9 + n, 1, eta[2 * n], zeta[2 * n]);
  for (int n = 0; n < 8; ++n) nodes += node_line(13 + n, 2, eta[n], zeta[n]);
  for (int n = 0; n < 8; ++n) nodes += node_line(21 + n, 2 - zeta[n], eta[n], 0);
  for (int n = 0; n < 4; ++n) nodes += node_line(29 + n, 2 - zeta[2 * n], eta[2 * n], 1.5);
  for (int n = 0; n < 8; ++n) nodes += node_line(33 + n, 2 - zeta[n], eta[n], 3);
  const std::string file = dir.read("portal_th.zmf");
  EXPECT_EQ(file, "Portal frame: one beam and one column\nF1\n" + count_line(12, 40, 0) + face_lines(1, 1) +
                      face_lines(7, 2) + nodes);
  // The 45-degree points as the C library prints them.
  EXPECT_NE(file.find("\n   34      2.70710678      0.70710678      3.00000000\n"), std::string::npos);
  EXPECT_NE(file.find("\n   36      1.29289322      0.70710678      3.00000000\n"), std::string::npos);
}

// Areas 4 and 2.25 with factor 1 give squares of side 2 and 1.5.
TEST(RodmeshRun, PrismSquaresFromAreas) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  dir.write("portal_A.eva", "1 4.0 beam\n\n2 2.25 column\n3 99 not read\n");
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "p\nb\n1\nA\n1\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("portal") + mesh_type("p") + form("b") + menu("1") +
                         extension("A") + factor("1") + portal_read + reading("portal_A.eva") +
                         writing("portal_th.zmf") + success());
  const std::string beam = prism_nodes(1, 1).substr(0, 20 * 54);
  const std::string column = prism_nodes(0.75, 0.75).substr(20 * 54);
  EXPECT_EQ(dir.read("portal_th.zmf"), "Portal frame: one beam and one column\nF1\n" + count_line(2, 40, 0) +
                                           brick_line(1) + brick_line(2) + beam + column);
}

// A quarter turn stands the prism of the beam on its narrow side: what was
// 0 becomes a rounding residue, and the negative ones print as -0.00000000.
TEST(RodmeshRun, AnglesTurnTheSectionAndNegativeZeroIsPrinted) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  dir.write("portal_.eva", "1 90\n2 0");
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "p\nb\n2\n\n1\n0.5\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("portal") + mesh_type("p") + form("b") + menu("2") +
                         extension("") + width("1") + height("0.5") + portal_read + reading("portal_.eva") +
                         writing("portal_th.zmf") + success());
  const std::string file = dir.read("portal_th.zmf");
  // Beam, b = 0.5 and h = 0.25 turned by 90 degrees: y = -zeta, z = eta.
  EXPECT_NE(file.find("\n    1      0.00000000      0.25000000     -0.50000000\n"), std::string::npos);
  EXPECT_NE(file.find("\n    2      0.00000000      0.25000000     -0.00000000\n"), std::string::npos);
  EXPECT_NE(file.find("\n    4      0.00000000      0.00000000      0.50000000\n"), std::string::npos);
  EXPECT_NE(file.find("\n    8      0.00000000     -0.00000000     -0.50000000\n"), std::string::npos);
  // The column keeps its section unturned.
  EXPECT_EQ(file.substr(file.size() - 20 * 54), prism_nodes(0.5, 0.25).substr(20 * 54));
}

TEST(RodmeshRun, ElementsOfMoreNodesWarnAndGiveABarFromTheFirstTwo) {
  harness::Scratch dir;
  dir.write("tri.zmf",
            "Three\nT\n1 3 0\n1 3 1 2 3\n1 0 0 0\n2 2 0 0\n3 2 0 3\n");
  const auto run = harness::run(dir, "rodmesh", {"tri"}, "p\nb\n0\n1\n0.5\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, warning("Number of nodes per element should be 2 in all elements"));
  EXPECT_EQ(dir.read("tri_th.zmf"),
            "Three\nT\n" + count_line(1, 20, 0) + brick_line(1) + prism_nodes(0.5, 0.25).substr(0, 20 * 54));
}

TEST(RodmeshRun, NoElementsGiveAnEmptyDrawing) {
  harness::Scratch dir;
  dir.write("none.zmf", "Nothing\nN\n0 2 1\n1 0 0 0\n2 1 1 1\n1 2\n");
  const auto run = harness::run(dir, "rodmesh", {"none"}, "c\nf\n0\n1\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.read("none_th.zmf"), "Nothing\nN\n" + count_line(0, 0, 0));
}

TEST(RodmeshRun, TitlesAreTrimmedAndCutAndOnlyTheFirstDrawingIsRead) {
  harness::Scratch dir;
  const std::string seventy = "123456789 123456789 123456789 123456789 123456789 123456789 123456789 ";
  dir.write("two.zmf", "   " + seventy + "\r\n  Drawing10 \r\n1 2 0\n1 2 1 2\n1 0 0 0\n2 2 0 0\n"
                       "Second\n1 2 0\n1 2 2 1\n1 0 0 0\n2 0 0 9\n");
  const auto run = harness::run(dir, "rodmesh", {"two"}, "p\nb\n0\n1\n0.5\n");
  EXPECT_EQ(run.status, 0);
  const std::string header = seventy.substr(0, 60);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("two") + mesh_type("p") + form("b") + menu("0") +
                         width("1") + height("0.5") + reading("two.zmf") + titles(header, "Drawin") + counts(1, 2, 0) +
                         writing("two_th.zmf") + success());
  EXPECT_EQ(dir.read("two_th.zmf"),
            header + "\nDrawin\n" + count_line(1, 20, 0) + brick_line(1) + prism_nodes(0.5, 0.25).substr(0, 20 * 54));
}

TEST(RodmeshRun, ASecondRunReplacesTheSolidMesh) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  dir.write("portal_th.zmf", std::string(100000, 'x'));
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "p\nb\n\n1\n0.5\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.read("portal_th.zmf").substr(0, 40), "Portal frame: one beam and one column\nF1");
  EXPECT_EQ(dir.read("portal_th.zmf").size(), 38u + 3 + 22 + 2 * 135 + 40 * 54);
}

TEST(RodmeshRun, AFullDiskIsAnErrorNotASuccess) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  dir.symlink("portal_th.zmf", "/dev/full");
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "p\nb\n\n1\n0.5\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, harness::banner("rodmesh") + job_line("portal") + mesh_type("p") + form("b") + menu("0") +
                         width("1") + height("0.5") + portal_read + writing("portal_th.zmf"));
  EXPECT_EQ(run.err, harness::error_block("Error writing file - jobname_th.zmf"));
}

TEST(RodmeshRun, AnOutputThatCannotBeOpened) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  dir.symlink("portal_th.zmf", "no/such/directory");
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "p\nb\n\n1\n0.5\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, harness::error_block("Unable to open output file - jobname_th.zmf"));
}

TEST(RodmeshRun, AnErrorBeforeWritingLeavesAnEarlierSolidMeshAlone) {
  harness::Scratch dir;
  dir.write("portal.zmf", portal);
  dir.write("portal_th.zmf", "earlier\n");
  dir.write("portal_A.eva", "1 4\n2 -1\n");
  const auto run = harness::run(dir, "rodmesh", {"portal"}, "c\nf\n1\nA\n\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, harness::error_block("Negative area in the .eva file"));
  EXPECT_EQ(dir.read("portal_th.zmf"), "earlier\n");
}

TEST(RodmeshRun, ABarOfZeroLengthStopsBeforeAnythingIsWritten) {
  harness::Scratch dir;
  dir.write("dot.zmf", "Dot\nD\n2 3 0\n1 2 1 2\n2 2 2 3\n1 0 0 0\n2 1 1 1\n3 1 1 1\n");
  const auto run = harness::run(dir, "rodmesh", {"dot"}, "c\nf\n0\n1\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "\nBuilding bar n.        2\n" + harness::error_block("Bar of zero length (its end nodes coincide)"));
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"dot.zmf"}));
}

}  // namespace

namespace {

// The bundled example runs as its README section shows.
// The example's two runs (cylinders from areas as faces, prisms turned by
// angles as bricks), each against its whole stored output.
TEST(RodmeshRun, TheFootbridgeExample) {
  harness::Scratch dir;
  for (const char* name : {"footbridge.zmf", "footbridge_areas.eva", "footbridge_angles.eva"})
    dir.write(name, harness::source(std::string("examples/rodmesh/") + name));
  for (const std::string run : {"cylinders", "prisms"}) {
    const auto outcome = harness::run(dir, "rodmesh", {"footbridge"}, harness::source("examples/rodmesh/" + run + ".answers"));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(dir.read("footbridge_th.zmf"), harness::source("rodmesh/tests/data/footbridge_" + run + "_th.zmf")) << run;
  }
}

}  // namespace

namespace {

// A lattice of nx x ny x nz nodes, slightly out of square, with a bar along
// every edge of its cells (vertical bars among them) and one diagonal per
// cell face in x-z, and a values file of one varying value per bar.
struct Lattice {
  std::string mesh;
  std::string values;
  std::string zeros;  // areas of 0, -0 and 0.02 in turn
};

Lattice lattice(int nx, int ny, int nz) {
  auto id = [&](int i, int j, int k) { return 1 + i + nx * (j + ny * k); };
  std::vector<std::pair<int, int>> bars;
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        if (i + 1 < nx) bars.emplace_back(id(i, j, k), id(i + 1, j, k));
        if (j + 1 < ny) bars.emplace_back(id(i, j, k), id(i, j + 1, k));
        if (k + 1 < nz) bars.emplace_back(id(i, j, k + 1), id(i, j, k));  // pointing down
        if (i + 1 < nx && k + 1 < nz) bars.emplace_back(id(i, j, k), id(i + 1, j, k + 1));
      }
  Lattice l;
  l.mesh = "  Generated lattice  \nLATTICE\n" + count_line(static_cast<int>(bars.size()), nx * ny * nz, 1);
  for (std::size_t b = 0; b < bars.size(); ++b)
    l.mesh += format("%5zu %5d    %5d %5d\n", b + 1, 2, bars[b].first, bars[b].second);
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i)
        l.mesh += format("%5d %.10g %.10g %.10g\n", id(i, j, k), 1.25 * i + 0.001 * (j % 3), 0.8 * j - 1e-9 * k,
                         1.5 * k + 0.0003 * (i * j % 5));
  l.mesh += "    1     1\n";
  for (std::size_t b = 0; b < bars.size(); ++b) {
    l.values += format("%zu %.6g\n", b + 1, 0.01 * (1 + b % 17));
    l.zeros += format("%zu %s\n", b + 1, b % 3 == 0 ? "-0" : b % 3 == 1 ? "0" : "0.02");
  }
  return l;
}

std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t h = 14695981039346656037ULL;
  for (const unsigned char c : bytes) h = (h ^ c) * 1099511628211ULL;
  return h;
}

// Solids of a few thousand bars in every form and from every source, held
// against the checksums of the outputs that rodmesh wrote before the solids
// were streamed to the file.
TEST(RodmeshRun, GeneratedLatticesKeepTheirOutputs) {
  struct Case {
    const char* answers;
    std::uint64_t checksum;
  };
  const Lattice small = lattice(10, 9, 8);
  const Case cases[] = {
      {"c\nf\n0\n0.3\n", 0xbba341c68c51421c},
      {"p\nb\n0\n0.2\n0.1\n", 0x0bc418f0aad16b62},
      {"c\nb\n1\nv\n2\n", 0x1785ef8a9fa40ce6},
      {"p\nf\n1\nv\n0.5\n", 0x2480cec5494e1da7},
      {"p\nf\n2\nv\n0.2\n0.1\n", 0xc36dbc256871daab},
      {"c\nf\n1\nz\n1\n", 0xeb0b0816806fede6},
  };
  harness::Scratch dir;
  dir.write("lattice.zmf", small.mesh);
  dir.write("lattice_v.eva", small.values);
  dir.write("lattice_z.eva", small.zeros);
  for (const Case& c : cases) {
    const auto run = harness::run(dir, "rodmesh", {"lattice"}, c.answers);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string out = dir.read("lattice_th.zmf");
    EXPECT_EQ(fnv1a(out), c.checksum) << c.answers;
  }
}

}  // namespace
