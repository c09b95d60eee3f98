#pragma once
// The bar template: the 20 nodes of the solid around one bar, in the bar's
// own frame, and its elements (one 20-node brick or six 8-node faces).

#include <cstdint>

#include "rodmesh/settings.hpp"
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

void allocate_template(BarTemplate& tpl, Output form);
void free_template(BarTemplate& tpl);

// Fills the template for the output form (1 brick or 6 faces) and the
// section: a cylinder of the radius or a prism of the half width and half
// height.
void cthick(Output form, double radius, double halfw, double halfh, Shape shape, BarTemplate& tpl);

}  // namespace rodmesh
