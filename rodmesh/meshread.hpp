#pragma once
// Reading the first drawing of a mesh file, through the mesh file's one
// reader, with rodmesh's messages.

#include "meshfile/reader.hpp"
#include "rodmesh/mesh.hpp"
#include "toolkit/reader.hpp"

namespace rodmesh {

// The mesh file's reader over the toolkit's reader of jobname.zmf (which
// stops the program on a read error), read from its start as rodmesh reads
// it: elements of at most max_nodes nodes, titles as line reads of at most
// 999 bytes.
meshfile::Reader mesh_reader(toolkit::Reader& reader);

// Reads the header line, the drawing line and then the three counts into
// the mesh; prints the two title lines.
void read_head(meshfile::Reader& reader, Titles& titles, Mesh& mesh);

// Reads the element, node and special node records into the mesh, whose
// arrays are allocated for its counts; prints the counts first.
void read_records(meshfile::Reader& reader, Mesh& mesh);

// Reads and checks the records as read_records does, for the counts of a mesh
// whose arrays are not allocated, and stores nothing.
void check_records(meshfile::Reader& reader, Mesh& mesh);

// Allocates the mesh's arrays for its counts and reads the records into
// them. Counts that the rest of the file cannot hold would reserve up to
// tens of gigabytes before the reading finds the end of the file: such a
// file is read through without storing, and stops where its records run
// out, with the same messages.
void read_mesh(meshfile::Reader& reader, Mesh& mesh);

}  // namespace rodmesh
