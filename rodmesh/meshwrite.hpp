#pragma once
// Writing the solids as jobname_th.zmf, one drawing in the written layout
// of the mesh file format, in a single pass: the element lines depend only
// on the bar numbers, and each bar's node lines are written as soon as its
// solid is placed.

#include <string>

#include "rodmesh/cthick.hpp"
#include "rodmesh/mesh.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/writer.hpp"

namespace rodmesh {

// Prints the progress line, creates (or replaces) the file of that name and
// writes the two title lines and the count line.
toolkit::Writer write_head(const std::string& name, const Titles& titles, int ne, int nn, int ns);

// The element lines of bar k: the template's elements, numbered on from
// E(k-1)+1 (E the elements per bar), with their node numbers moved on by
// 20(k-1).
void write_elements(toolkit::Writer& out, int k, const BarTemplate& tpl);

// The node lines of bar k: its 20 nodes (rows of x, y, z), numbered on from
// 20(k-1)+1.
void write_nodes(toolkit::Writer& out, int k, toolkit::Mat1<double> nodes);

}  // namespace rodmesh
