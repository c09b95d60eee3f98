#include "rodmesh/cthick.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rodmesh {

namespace {

// Each face lists a corner, then mid-side and corner nodes in turn around
// its boundary: the end at A, the four sides, the end at B.
constexpr std::int32_t faces[6][8] = {
    {1, 2, 3, 4, 5, 6, 7, 8},      {1, 2, 3, 10, 15, 14, 13, 9},     {3, 4, 5, 11, 17, 16, 15, 10},
    {5, 6, 7, 12, 19, 18, 17, 11}, {7, 8, 1, 9, 13, 20, 19, 12}, {13, 14, 15, 16, 17, 18, 19, 20},
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
    for (int m = 1; m <= 6; ++m) {
      tpl.nnode[m] = 8;
      for (int i = 1; i <= 8; ++i) tpl.lnods[m][i] = faces[m - 1][i - 1];
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
