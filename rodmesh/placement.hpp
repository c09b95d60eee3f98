#pragma once
// Placing the bar template in the model: the 20 nodes of the solid around
// one bar.

#include "rodmesh/cthick.hpp"
#include "toolkit/arrays.hpp"

namespace rodmesh {

// The 20 nodes of bar k's solid (rows of x, y, z) from the template, the
// section frame, the bar length and the coordinates of the bar's first
// node; the template's xi is scaled by the length. A coordinate beyond the
// range of a double stops the run, naming the bar.
void place_bar(int k, const BarTemplate& tpl, toolkit::Mat1<double> frame, double length,
               toolkit::Vec1<double> first, toolkit::Mat1<double> nodes);

}  // namespace rodmesh
