#pragma once
// Writing a mesh as jobname_th.zmf: one drawing in the written layout of the
// mesh file format.

#include <string_view>

#include "rodmesh/mesh.hpp"

namespace rodmesh {

// Writes the titles and every record of the mesh, numbered by position.
void write_mesh(std::string_view job, const Titles& titles, const Mesh& mesh);

}  // namespace rodmesh
