#pragma once
// Writing a mesh as jobname_th.zmf: one drawing in the written layout of the
// mesh file format.

#include <string_view>

#include "rodmesh/mesh.hpp"

namespace rodmesh {

// Writes the titles and every record of the mesh, numbered by position, to
// the file of that name (jobname_th.zmf).
void write_mesh(const std::string& name, const Titles& titles, const Mesh& mesh);

}  // namespace rodmesh
