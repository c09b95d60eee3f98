#include "rodmesh/placement.hpp"

#include <cmath>

#include "rodmesh/frame.hpp"
#include "toolkit/diagnostics.hpp"

namespace rodmesh {

void place_bar(int k, BarTemplate& tpl, toolkit::Mat1<double> frame, double length, toolkit::Vec1<double> first,
            Mesh& solid) {
  for (int i = 1; i <= solid_nodes; ++i) tpl.posit[i][1] = tpl.posit[i][1] * length;

  const int offset = solid_nodes * (k - 1);
  bool finite = true;
  for (int i = 1; i <= solid_nodes; ++i) {
    const toolkit::Vec1<double> local = tpl.posit[i];
    toolkit::Vec1<double> node = solid.coord[offset + i];
    for (int j = 1; j <= ncoor; ++j) {
      // The terms are summed from zero in this order, then the node A added:
      // the printed digits depend on it.
      double sum = 0.0;
      sum = sum + frame[j][1] * local[1];
      sum = sum + frame[j][2] * local[2];
      sum = sum + frame[j][3] * local[3];
      node[j] = sum + first[j];
      finite = finite && std::isfinite(node[j]);
    }
  }
  // Coordinates or sizes near the limit of a double can overflow here; an
  // infinity or NaN must not reach the mesh file.
  if (!finite) {
    bar_context(k);
    toolkit::errmsg("Coordinates of the solid out of range");
  }

  const int per_bar = tpl.per_bar;
  for (int m = 1; m <= per_bar; ++m) {
    const int n = per_bar * (k - 1) + m;
    const int count = tpl.nnode[m];
    solid.nnode[n] = count;
    for (int l = 1; l <= count; ++l) solid.lnods[n][l] = tpl.lnods[m][l] + offset;
  }
}

}  // namespace rodmesh
