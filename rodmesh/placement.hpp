#pragma once
// Placing the bar template in the model: the nodes and elements of bar k of
// the solid mesh.

#include "rodmesh/cthick.hpp"
#include "rodmesh/mesh.hpp"
#include "toolkit/arrays.hpp"

namespace rodmesh {

// Writes nodes 20(k-1)+1 to 20k and elements E(k-1)+1 to Ek of the solid
// mesh, E being the template's elements per bar, from the template, the
// section frame, the bar length and the coordinates of the bar's first node.
// Scales the template's xi by the length on the way.
void place_bar(int k, BarTemplate& tpl, toolkit::Mat1<double> frame, double length, toolkit::Vec1<double> first,
            Mesh& solid);

}  // namespace rodmesh
