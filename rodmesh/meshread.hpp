#pragma once
// Reading the first drawing of a mesh file.

#include <cstdio>

#include "rodmesh/mesh.hpp"
#include "rodmesh/numreader.hpp"

namespace rodmesh {

// Reads the header line and the drawing line of the file (positioned at its
// start) and then, through the reader, the three counts into the mesh;
// prints the two title lines.
void rdhead(std::FILE* file, NumReader& reader, Titles& titles, Mesh& mesh);

// Reads the element, node and special node records into the mesh, whose
// arrays are allocated for its counts; prints the counts first.
void rdrecs(NumReader& reader, Mesh& mesh);

// Reads and checks the records as rdrecs does, for the counts of a mesh
// whose arrays are not allocated, and stores nothing.
void ckrecs(NumReader& reader, Mesh& mesh);

}  // namespace rodmesh
