#include "rodmesh/mesh.hpp"

namespace rodmesh {

void allocate_mesh(Mesh& mesh) {
  toolkit::alloi2(mesh.lnods, mesh.ne, mesh.width);
  toolkit::alloi1(mesh.nnode, mesh.ne);
  toolkit::allod2(mesh.coord, mesh.nn, ncoor);
  toolkit::alloi1(mesh.spnod, mesh.ns);
}

void free_mesh(Mesh& mesh) {
  toolkit::freei2(mesh.lnods);
  toolkit::freei1(mesh.nnode);
  toolkit::freed2(mesh.coord);
  toolkit::freei1(mesh.spnod);
}

}  // namespace rodmesh
