#pragma once
// The mesh held in memory: the three counts of a drawing and its records in
// one-based arrays, numbered by position as in the mesh file.

#include <cstdint>
#include <string>

#include "toolkit/arrays.hpp"

namespace rodmesh {

// Nodes an element of the input may have.
inline constexpr int max_nodes = 20;
// Coordinates per node.
inline constexpr int ncoor = 3;

// The two title lines, without line end and outer blanks, cut to length.
struct Titles {
  std::string header;   // at most 60 characters
  std::string drawing;  // at most 6 characters
};

inline constexpr std::size_t header_length = 60;
inline constexpr std::size_t drawing_length = 6;

struct Mesh {
  int ne = 0;  // elements
  int nn = 0;  // nodes
  int ns = 0;  // special nodes
  // Node slots per element row. The reader checks every node of an element
  // and keeps the first width of them: rodmesh keeps a bar's two ends.
  int width = max_nodes;
  toolkit::Mat1<std::int32_t> lnods;  // ne rows of width node numbers
  toolkit::Vec1<std::int32_t> nnode;  // node count of each element
  toolkit::Mat1<double> coord;        // nn rows of ncoor coordinates
  toolkit::Vec1<std::int32_t> spnod;  // node of each special node
};

// Allocates the arrays for counts already set in the mesh.
void allocate_mesh(Mesh& mesh);
void free_mesh(Mesh& mesh);

}  // namespace rodmesh
