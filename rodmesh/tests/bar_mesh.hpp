#pragma once
// Small in-memory meshes of bars for the unit tests.

#include <array>
#include <utility>
#include <vector>

#include "rodmesh/mesh.hpp"

namespace rodmesh_test {

// A mesh of the given nodes and of one bar per pair of node numbers; frees
// its arrays when it goes.
struct BarMesh {
  BarMesh(const std::vector<std::array<double, 3>>& nodes, const std::vector<std::pair<int, int>>& bars) {
    mesh.ne = static_cast<int>(bars.size());
    mesh.nn = static_cast<int>(nodes.size());
    rodmesh::allocate_mesh(mesh);
    for (int i = 1; i <= mesh.nn; ++i)
      for (int j = 1; j <= 3; ++j) mesh.coord[i][j] = nodes[i - 1][j - 1];
    for (int k = 1; k <= mesh.ne; ++k) {
      mesh.nnode[k] = 2;
      mesh.lnods[k][1] = bars[k - 1].first;
      mesh.lnods[k][2] = bars[k - 1].second;
    }
  }
  ~BarMesh() { rodmesh::free_mesh(mesh); }
  BarMesh(const BarMesh&) = delete;
  BarMesh& operator=(const BarMesh&) = delete;

  rodmesh::Mesh mesh;
};

// A 3 x 3 matrix of the toolkit's kind that frees itself.
struct Frame {
  Frame() { toolkit::allod2(m, 3, 3); }
  ~Frame() { toolkit::freed2(m); }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  // Column c as a vector.
  std::array<double, 3> axis(int c) const { return {m[1][c], m[2][c], m[3][c]}; }
  toolkit::Mat1<double> m;
};

}  // namespace rodmesh_test
