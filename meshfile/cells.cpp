#include "meshfile/cells.hpp"

#include <array>

namespace meshfile {

namespace {

using Face = CellKind::Face;

// The suite's own elements list their nodes otherwise than meshio. The
// 8-node face: corner, mid-side, corner, ... round its boundary; meshio: the
// four corners, then the mid-side nodes edge by edge. The 20-node brick: the
// ring of 8 at the bar's start (corners first, third, ...), the 4 nodes at
// mid-length under those corners, the ring of 8 at its end; meshio: the
// corners of both ends, the mid-side nodes of each end, those between them.
constexpr int quad8_file[] = {0, 2, 4, 6, 1, 3, 5, 7};
constexpr int hexahedron20_file[] = {0, 2, 4, 6, 12, 14, 16, 18, 1, 3, 5, 7, 13, 15, 17, 19, 8, 9, 10, 11};

// meshio lists the wedge's first triangle turning into the solid (as most
// codes do), VTK out of it.
constexpr int wedge_vtk[] = {0, 2, 1, 3, 5, 4};

constexpr int triangle_triangles[] = {0, 1, 2};
constexpr int quad_triangles[] = {0, 1, 2, 0, 2, 3};
// A triangle cuts each corner, one fills the middle: no new points.
constexpr int triangle6_triangles[] = {0, 3, 5, 3, 1, 4, 5, 4, 2, 3, 4, 5};
// A triangle cuts each corner, two fill the quad of the mid-side nodes (on
// a cylinder they lie on the circle).
constexpr int quad8_triangles[] = {7, 0, 4, 4, 1, 5, 5, 2, 6, 6, 3, 7, 4, 5, 6, 4, 6, 7};
// A fan round the centre.
constexpr int quad9_triangles[] = {8, 0, 4, 8, 4, 1, 8, 1, 5, 8, 5, 2, 8, 2, 6, 8, 6, 3, 8, 3, 7, 8, 7, 0};

// The faces of the solids, outward: corners first, then for quadratic faces
// the mid-side nodes edge by edge. The faces of the bricks run: the end at
// nodes 0 to 3, the sides from the edges 0-1, 1-2, 2-3 and 3-0, the other end.
constexpr int tetra_f[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
constexpr Face tetra_faces[] = {{"triangle", tetra_f[0]}, {"triangle", tetra_f[1]}, {"triangle", tetra_f[2]},
                                {"triangle", tetra_f[3]}};
constexpr int pyramid_base[] = {0, 3, 2, 1};
constexpr int pyramid_f[4][3] = {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}};
constexpr Face pyramid_faces[] = {{"quad", pyramid_base},
                                  {"triangle", pyramid_f[0]},
                                  {"triangle", pyramid_f[1]},
                                  {"triangle", pyramid_f[2]},
                                  {"triangle", pyramid_f[3]}};
constexpr int wedge_ends[2][3] = {{0, 2, 1}, {3, 4, 5}};
constexpr int wedge_sides[3][4] = {{0, 1, 4, 3}, {1, 2, 5, 4}, {2, 0, 3, 5}};
constexpr Face wedge_faces[] = {{"triangle", wedge_ends[0]},
                                {"quad", wedge_sides[0]},
                                {"quad", wedge_sides[1]},
                                {"quad", wedge_sides[2]},
                                {"triangle", wedge_ends[1]}};
constexpr int hexahedron_f[6][4] = {{0, 3, 2, 1}, {0, 1, 5, 4}, {1, 2, 6, 5},
                                    {2, 3, 7, 6}, {3, 0, 4, 7}, {4, 5, 6, 7}};
constexpr Face hexahedron_faces[] = {{"quad", hexahedron_f[0]}, {"quad", hexahedron_f[1]}, {"quad", hexahedron_f[2]},
                                     {"quad", hexahedron_f[3]}, {"quad", hexahedron_f[4]}, {"quad", hexahedron_f[5]}};
constexpr int tetra10_f[4][6] = {{0, 2, 1, 6, 5, 4}, {0, 1, 3, 4, 8, 7}, {1, 2, 3, 5, 9, 8}, {2, 0, 3, 6, 7, 9}};
constexpr Face tetra10_faces[] = {{"triangle6", tetra10_f[0]},
                                  {"triangle6", tetra10_f[1]},
                                  {"triangle6", tetra10_f[2]},
                                  {"triangle6", tetra10_f[3]}};
constexpr int hexahedron20_f[6][8] = {{0, 3, 2, 1, 11, 10, 9, 8},  {0, 1, 5, 4, 8, 17, 12, 16},
                                      {1, 2, 6, 5, 9, 18, 13, 17}, {2, 3, 7, 6, 10, 19, 14, 18},
                                      {3, 0, 4, 7, 11, 16, 15, 19}, {4, 5, 6, 7, 12, 13, 14, 15}};
constexpr Face hexahedron20_faces[] = {{"quad8", hexahedron20_f[0]}, {"quad8", hexahedron20_f[1]},
                                       {"quad8", hexahedron20_f[2]}, {"quad8", hexahedron20_f[3]},
                                       {"quad8", hexahedron20_f[4]}, {"quad8", hexahedron20_f[5]}};
// The triquadratic brick: its faces with their centres, nodes 20 to 25.
constexpr int hexahedron27_f[6][9] = {{0, 3, 2, 1, 11, 10, 9, 8, 24},  {0, 1, 5, 4, 8, 17, 12, 16, 22},
                                      {1, 2, 6, 5, 9, 18, 13, 17, 21}, {2, 3, 7, 6, 10, 19, 14, 18, 23},
                                      {3, 0, 4, 7, 11, 16, 15, 19, 20}, {4, 5, 6, 7, 12, 13, 14, 15, 25}};
constexpr Face hexahedron27_faces[] = {{"quad9", hexahedron27_f[0]}, {"quad9", hexahedron27_f[1]},
                                       {"quad9", hexahedron27_f[2]}, {"quad9", hexahedron27_f[3]},
                                       {"quad9", hexahedron27_f[4]}, {"quad9", hexahedron27_f[5]}};
// The quadratic wedge and pyramid list their nodes as VTK does: the wedge's
// first triangle turns outward.
constexpr int wedge15_ends[2][6] = {{0, 1, 2, 6, 7, 8}, {3, 5, 4, 11, 10, 9}};
constexpr int wedge15_sides[3][8] = {{0, 3, 4, 1, 12, 9, 13, 6}, {1, 4, 5, 2, 13, 10, 14, 7}, {2, 5, 3, 0, 14, 11, 12, 8}};
constexpr Face wedge15_faces[] = {{"triangle6", wedge15_ends[0]},
                                  {"quad8", wedge15_sides[0]},
                                  {"quad8", wedge15_sides[1]},
                                  {"quad8", wedge15_sides[2]},
                                  {"triangle6", wedge15_ends[1]}};
constexpr int pyramid13_base[] = {0, 3, 2, 1, 8, 7, 6, 5};
constexpr int pyramid13_f[4][6] = {{0, 1, 4, 5, 10, 9}, {1, 2, 4, 6, 11, 10}, {2, 3, 4, 7, 12, 11}, {3, 0, 4, 8, 9, 12}};
constexpr Face pyramid13_faces[] = {{"quad8", pyramid13_base},
                                    {"triangle6", pyramid13_f[0]},
                                    {"triangle6", pyramid13_f[1]},
                                    {"triangle6", pyramid13_f[2]},
                                    {"triangle6", pyramid13_f[3]}};

// The kinds that each node count is read as come first.
constexpr CellKind kinds[] = {
    {"vertex", 1, 1, 1, 0, true, {}, {}, {}, {}},
    {"line", 2, 2, 3, 1, true, {}, {}, {}, {}},
    {"triangle", 3, 3, 5, 2, true, {}, {}, triangle_triangles, {}},
    {"quad", 4, 4, 9, 2, true, {}, {}, quad_triangles, {}},
    {"pyramid", 5, 5, 14, 3, true, {}, {}, {}, pyramid_faces},
    {"wedge", 6, 6, 13, 3, true, {}, wedge_vtk, {}, wedge_faces},
    {"quad8", 8, 4, 23, 2, true, quad8_file, {}, quad8_triangles, {}},
    {"quad9", 9, 4, 28, 2, true, {}, {}, quad9_triangles, {}},
    {"tetra10", 10, 4, 24, 3, true, {}, {}, {}, tetra10_faces},
    {"hexahedron20", 20, 8, 25, 3, true, hexahedron20_file, {}, {}, hexahedron20_faces},
    {"hexahedron27", 27, 8, 29, 3, true, {}, {}, {}, hexahedron27_faces},
    {"polygon", 0, 0, 7, 2, true, {}, {}, {}, {}},
    {"line3", 3, 2, 21, 1, false, {}, {}, {}, {}},
    {"tetra", 4, 4, 10, 3, false, {}, {}, {}, tetra_faces},
    {"triangle6", 6, 3, 22, 2, false, {}, {}, triangle6_triangles, {}},
    {"hexahedron", 8, 8, 12, 3, false, {}, {}, {}, hexahedron_faces},
    {"triangle10", 10, 3, 0, 2, false, {}, {}, {}, {}},
    {"wedge12", 12, 6, 31, 3, false, {}, {}, {}, {}},
    {"pyramid13", 13, 5, 27, 3, false, {}, {}, {}, pyramid13_faces},
    {"wedge15", 15, 6, 26, 3, false, {}, {}, {}, wedge15_faces},
    {"hexahedron24", 24, 8, 33, 3, false, {}, {}, {}, {}},
};

}  // namespace

std::span<const CellKind> cell_kinds() { return kinds; }

const CellKind* kind_named(std::string_view name) {
  for (const CellKind& kind : kinds)
    if (kind.name == name) return &kind;
  return nullptr;
}

const CellKind& default_kind(std::int64_t count) {
  for (const CellKind& kind : kinds)
    if (kind.read_by_default && kind.nodes == count) return kind;
  return *kind_named("polygon");
}

std::vector<int> vtk_places(const CellKind& kind) {
  // VTK's node k is meshio's node vtk_order[k], which stands at place
  // file[...] of the file's list.
  std::vector<int> places;
  if (kind.file.empty() && kind.vtk_order.empty()) return places;
  for (int k = 0; k < kind.nodes; ++k) {
    const int m = kind.vtk_order.empty() ? k : kind.vtk_order[static_cast<std::size_t>(k)];
    places.push_back(kind.file.empty() ? m : kind.file[static_cast<std::size_t>(m)]);
  }
  return places;
}

}  // namespace meshfile
