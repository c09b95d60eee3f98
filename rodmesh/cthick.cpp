#include "rodmesh/cthick.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "meshfile/cells.hpp"

namespace rodmesh {

namespace {

// The six faces of the 20-node brick (the end at A, the four sides, the end
// at B), as the table of cell kinds gives them, each listed as the file
// lists an 8-node face (a corner, then mid-side and corner nodes in turn
// round its boundary) by the brick's nodes in the file's order. The end at
// A runs the other way round from its first node, into the solid: the
// suite has always written it so.
struct Faces {
  std::int32_t node[6][face_nodes];
  Faces() {
    const meshfile::CellKind& brick = *meshfile::kind_named("hexahedron20");
    const meshfile::CellKind& face = *meshfile::kind_named("quad8");
    for (std::size_t f = 0; f < 6; ++f) {
      const std::span<const int> corners = brick.faces[f].nodes;
      std::int32_t listed[face_nodes];
      for (std::size_t k = 0; k < face_nodes; ++k)
        listed[face.file[k]] = brick.file[static_cast<std::size_t>(corners[k])] + 1;
      for (int k = 0; k < face_nodes; ++k) node[f][k] = f == 0 && k > 0 ? listed[face_nodes - k] : listed[k];
    }
  }
};

}  // namespace

void allocate_template(BarTemplate& tpl, Output form) {
  const int per_bar = perbar(form);
  tpl.per_bar = per_bar;
  toolkit::alloi2(tpl.lnods, per_bar, solid_nodes);
  toolkit::alloi1(tpl.nnode, per_bar);
  toolkit::allod2(tpl.posit, solid_nodes, 3);
}

void free_template(BarTemplate& tpl) {
  toolkit::freei2(tpl.lnods);
  toolkit::freei1(tpl.nnode);
  toolkit::freed2(tpl.posit);
}

void cthick(Output form, double radius, double halfw, double halfh, Shape shape, BarTemplate& tpl) {
  if (form == Output::brick) {
    tpl.nnode[1] = solid_nodes;
    for (int i = 1; i <= solid_nodes; ++i) tpl.lnods[1][i] = i;
  } else {
    static const Faces faces;
    for (int m = 1; m <= 6; ++m) {
      tpl.nnode[m] = face_nodes;
      for (int i = 1; i <= face_nodes; ++i) tpl.lnods[m][i] = faces.node[m - 1][i - 1];
    }
  }

  // The section position of each end ring node, 1 to 8; the middle nodes 9
  // to 12 lie between the corners 1, 3, 5, 7 of the two rings.
  double eta[8];
  double zeta[8];
  if (shape == Shape::cylinder) {
    // A point of the circle at 45 degrees.
    const double q = std::numbers::sqrt2 * radius * 0.5;
    const double r = radius;
    const double ce[8] = {0.0, q, r, q, 0.0, -q, -r, -q};
    const double cz[8] = {-r, -q, 0.0, q, r, q, 0.0, -q};
    std::copy(ce, ce + 8, eta);
    std::copy(cz, cz + 8, zeta);
  } else {
    const double b = halfw;
    const double h = halfh;
    const double pe[8] = {-b, 0.0, b, b, b, 0.0, -b, -b};
    const double pz[8] = {-h, -h, -h, 0.0, h, h, h, 0.0};
    std::copy(pe, pe + 8, eta);
    std::copy(pz, pz + 8, zeta);
  }

  for (int n = 0; n < 8; ++n) {
    toolkit::Vec1<double> near = tpl.posit[1 + n];
    toolkit::Vec1<double> far = tpl.posit[13 + n];
    near[1] = 0.0;
    near[2] = eta[n];
    near[3] = zeta[n];
    far[1] = 1.0;
    far[2] = eta[n];
    far[3] = zeta[n];
  }
  for (int m = 0; m < 4; ++m) {
    toolkit::Vec1<double> middle = tpl.posit[9 + m];
    middle[1] = 0.5;
    middle[2] = eta[2 * m];
    middle[3] = zeta[2 * m];
  }
}

}  // namespace rodmesh
