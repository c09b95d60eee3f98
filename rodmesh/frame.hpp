#pragma once
// The section frame of a bar: the unit vector along it and the two section
// axes, as the columns of a 3 x 3 matrix.

#include "rodmesh/mesh.hpp"
#include "toolkit/arrays.hpp"

namespace rodmesh {

// Below these the horizontal projection of a bar counts as none (the bar is
// vertical) and a section angle as no turn.
inline constexpr double vertical_limit = 1e-8;
inline constexpr double angle_limit = 1e-8;

// Fills frame (3 x 3, one-based) for bar k of the mesh, running from its
// element's first node to its second, with the section turned by theta
// radians; returns the bar length. A bar of zero length stops the run.
double section_frame(int k, double theta, const Mesh& mesh, toolkit::Mat1<double> frame);

// The locating line written before an error found while bar k is built.
void bar_context(int k);

}  // namespace rodmesh
