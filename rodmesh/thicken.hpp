#pragma once
// The solids of a run: the bars of the mesh read, checked, given their
// sections and written to jobname_th.zmf.

#include <string>

#include "rodmesh/mesh.hpp"
#include "rodmesh/settings.hpp"

namespace rodmesh {

// Checks that every element is a bar (a WARNING for each of more than two
// nodes), reads the element values from the file of that name where the
// settings ask for them (jobname_ext.eva), builds
// every bar's solid once to find any bar that cannot be built, and only then
// creates the output (the file of that name, jobname_th.zmf) and writes it
// in one pass, building each solid again. Nothing of the solid mesh is held
// in memory beyond one bar.
void thicken(const Settings& settings, const std::string& values_name, const std::string& output_name,
             const Titles& titles, const Mesh& mesh);

}  // namespace rodmesh
