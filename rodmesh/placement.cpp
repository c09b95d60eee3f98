#include "rodmesh/placement.hpp"

#include <cmath>

#include "rodmesh/frame.hpp"
#include "rodmesh/mesh.hpp"
#include "toolkit/diagnostics.hpp"

namespace rodmesh {

void place_bar(int k, const BarTemplate& tpl, toolkit::Mat1<double> frame, double length,
               toolkit::Vec1<double> first, toolkit::Mat1<double> nodes) {
  bool finite = true;
  for (int i = 1; i <= solid_nodes; ++i) {
    const toolkit::Vec1<double>& local = tpl.posit[i];
    // xi scaled by the length: the template itself stays as it is, for the
    // next bar of the same section.
    const double along = local[1] * length;
    toolkit::Vec1<double> node = nodes[i];
    for (int j = 1; j <= ncoor; ++j) {
      // The terms are summed from zero in this order, then the node A added:
      // the printed digits depend on it.
      double sum = 0.0;
      sum = sum + frame[j][1] * along;
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
}

}  // namespace rodmesh
