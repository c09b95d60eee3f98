#pragma once
// The kinds of cells that the elements of a mesh file become: the one table
// of them. An element carries no type; it is known by its node count, and
// each count is read as one kind by default (any count without one as a
// polygon); a reader may choose another kind of that many nodes.
//
// For each kind: meshio's name, VTK's type number, the order of its nodes
// in the file against meshio's and VTK's, and, for a solid, its faces (each
// turning outward by the right hand) and for a face its triangles.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace meshfile {

struct CellKind {
  std::string_view name;  // meshio's
  int nodes;              // its node count; 0 for the polygon (any count from 3)
  int corners;            // the nodes of its linear kind, which come first
  int vtk;                // VTK's type number; 0 where VTK has none
  int dimension;          // 0 a point, 1 a line, 2 a face, 3 a solid
  bool read_by_default;   // the kind that elements of its node count are read as
  // Entry k: the place in the file's node list of meshio's node k; empty
  // when the file lists the nodes in meshio's order.
  std::span<const int> file;
  // Entry k: meshio's node that is VTK's node k; empty when the two agree.
  std::span<const int> vtk_order;
  // A face: its triangles, by its nodes in meshio's order, turning as the
  // face does.
  std::span<const int> triangles;  // three a triangle
  // A solid: its faces, each a kind of face and its nodes in that kind's
  // order, by the solid's nodes in meshio's order.
  struct Face {
    std::string_view kind;
    std::span<const int> nodes;
  };
  std::span<const Face> faces;
};

// Every kind of the table.
std::span<const CellKind> cell_kinds();

// The kind of that name, or null.
const CellKind* kind_named(std::string_view name);

// The kind that elements of `count` nodes are read as: the polygon where no
// other is.
const CellKind& default_kind(std::int64_t count);

// For each of VTK's nodes of the kind, its place in the file's node list;
// empty where the file lists them as VTK does.
std::vector<int> vtk_places(const CellKind& kind);

}  // namespace meshfile
