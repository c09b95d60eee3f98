#include "rodmesh/frame.hpp"

#include <cmath>
#include <cstdio>

#include "toolkit/diagnostics.hpp"
#include "toolkit/progress.hpp"

namespace rodmesh {

void bar_context(int k) {
  toolkit::Progress::clear();
  std::fprintf(stderr, "\nBuilding bar n. %8d\n", k);
}

double section_frame(int k, double theta, const Mesh& mesh, toolkit::Mat1<double> frame) {
  toolkit::zerod2(frame, 3, 3);
  const toolkit::Vec1<double> a = mesh.coord[mesh.lnods[k][1]];
  const toolkit::Vec1<double> b = mesh.coord[mesh.lnods[k][2]];
  const double dx = b[1] - a[1];
  const double dy = b[2] - a[2];
  const double dz = b[3] - a[3];
  const double lh = std::sqrt(dx * dx + dy * dy);
  const double l = std::sqrt(dx * dx + dy * dy + dz * dz);
  // Without a direction there is neither an axis nor a section plane.
  if (!(l > 0.0)) {
    bar_context(k);
    toolkit::errmsg("Bar of zero length (its end nodes coincide)");
  }

  double e1[3];
  double e2[3];
  double e3[3];
  if (lh > vertical_limit) {
    e1[0] = dx / l;
    e1[1] = dy / l;
    e1[2] = dz / l;
    e2[0] = -dy / lh;
    e2[1] = dx / lh;
    e2[2] = 0.0;
    e3[0] = -dx * dz / (l * lh);
    e3[1] = -dy * dz / (l * lh);
    e3[2] = lh / l;
  } else {
    // A vertical bar has no horizontal direction of its own to square the
    // section to: the model's y axis serves, and a tiny offset is dropped.
    e1[0] = 0.0;
    e1[1] = 0.0;
    e1[2] = dz / l;
    e2[0] = 0.0;
    e2[1] = 1.0;
    e2[2] = 0.0;
    e3[0] = -dz / l;
    e3[1] = 0.0;
    e3[2] = 0.0;
  }

  if (std::fabs(theta) > angle_limit) {
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    for (int j = 0; j < 3; ++j) {
      const double t2 = c * e2[j] + s * e3[j];
      const double t3 = -s * e2[j] + c * e3[j];
      e2[j] = t2;
      e3[j] = t3;
    }
  }

  for (int j = 1; j <= 3; ++j) {
    frame[j][1] = e1[j - 1];
    frame[j][2] = e2[j - 1];
    frame[j][3] = e3[j - 1];
  }
  return l;
}

}  // namespace rodmesh
