#pragma once
// The bar template: the 20 nodes of the solid around one bar, in the bar's
// own frame, and its elements (one 20-node brick or six 8-node faces).

#include <cstdint>

#include "toolkit/arrays.hpp"

namespace rodmesh {

inline constexpr int solid_nodes = 20;
inline constexpr int face_nodes = 8;

struct BarTemplate {
  int per_bar = 0;                    // elements per bar, 1 or 6
  toolkit::Mat1<std::int32_t> lnods;  // per_bar rows of 20 local node numbers
  toolkit::Vec1<std::int32_t> nnode;  // node count of each element
  // 20 rows of (xi, eta, zeta): xi the fraction of the bar length, eta and
  // zeta the position in the section.
  toolkit::Mat1<double> posit;
};

void alltpl(BarTemplate& tpl, int per_bar);
void frtpl(BarTemplate& tpl);

// Fills the template for per_bar elements (1 brick or 6 faces) and the
// section: a cylinder of the radius (type 'c') or a prism of the half width
// and half height (type 'p').
void cthick(int per_bar, double radius, double halfw, double halfh, char type, BarTemplate& tpl);

}  // namespace rodmesh
