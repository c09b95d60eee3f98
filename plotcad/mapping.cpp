#include "plotcad/mapping.hpp"

#include <cstdio>
#include <string>

#include "toolkit/diagnostics.hpp"

namespace plotcad {

namespace {

using toolkit::errmsg;

// Grid indices are held in 64 bits. A constant axis far from zero gets the
// data range 2e-10 and an interval of 2e-11, so indices beyond 2^53 (where
// neighbouring lines may share a value) arise from ordinary data and must
// still draw; 2^62 keeps every index and count clear of overflow.
constexpr double max_index = 4611686018427387904.0;

void finite(double value, const char* name) {
  if (!std::isfinite(value)) errmsg(std::string("Number out of range - ") + name);
}

struct Axis {
  std::int64_t first, last;
};

// Snaps one axis of the window outward to whole intervals.
Axis snap(double wmi, double wma, double del, const char* del_name, const char* wmi_name, const char* wma_name) {
  const double first = std::floor(wmi / del);
  const double last = std::ceil(wma / del);
  if (!(std::fabs(first) <= max_index && std::fabs(last) <= max_index) || last - first + 1 > max_axes)
    errmsg(std::string(del_name) + " too small for the window (at most 100000 axes)");
  if (first == last) errmsg(std::string(wmi_name) + " and " + wma_name + " snap to a single axis");
  return {static_cast<std::int64_t>(first), static_cast<std::int64_t>(last)};
}

}  // namespace

PlotMapping map_window(const PlotOptions& options) {
  PlotOptions o = options;
  finite(o.rxwmi, "rxwmi");
  finite(o.rxwma, "rxwma");
  finite(o.rywmi, "rywmi");
  finite(o.rywma, "rywma");
  finite(o.rxdel, "rxdel");
  finite(o.rydel, "rydel");
  if (!(o.rxdel > 0)) errmsg("rxdel must be greater than 0");
  if (!(o.rydel > 0)) errmsg("rydel must be greater than 0");
  if (o.rxwma < o.rxwmi) errmsg("rxwma must not be less than rxwmi");
  if (o.rywma < o.rywmi) errmsg("rywma must not be less than rywmi");
  spread(o.rxwmi, o.rxwma);
  spread(o.rywmi, o.rywma);
  finite(o.rxwmi, "rxwmi");
  finite(o.rxwma, "rxwma");
  finite(o.rywmi, "rywmi");
  finite(o.rywma, "rywma");

  PlotMapping m;
  const Axis x = snap(o.rxwmi, o.rxwma, o.rxdel, "rxdel", "rxwmi", "rxwma");
  const Axis y = snap(o.rywmi, o.rywma, o.rydel, "rydel", "rywmi", "rywma");
  m.ixgmi = x.first;
  m.ixgma = x.last;
  m.iygmi = y.first;
  m.iygma = y.last;

  double xa = static_cast<double>(m.ixgmi) * o.rxdel;
  double xb = static_cast<double>(m.ixgma) * o.rxdel;
  double ya = static_cast<double>(m.iygmi) * o.rydel;
  double yb = static_cast<double>(m.iygma) * o.rydel;
  double dx = 0.05 * (xb - xa);
  dx = dx + dx;
  xa = xa - dx;
  xb = xb + dx;
  const double dy = 0.05 * (yb - ya);
  ya = ya - dy;
  yb = yb + dy;
  m.rxsca = o.ixwma / (xb - xa);
  m.rxoff = -(m.rxsca * xa);
  m.rysca = o.iywma / (yb - ya);
  m.ryoff = -(m.rysca * ya);

  // A window near the ends of the range of a double (or one only a few
  // subnormals wide) has no finite scale.
  if (!(std::isfinite(xb - xa) && std::isfinite(m.rxsca) && std::isfinite(m.rxoff)))
    errmsg("Window out of range for the drawing - rxwmi, rxwma, rxdel");
  if (!(std::isfinite(yb - ya) && std::isfinite(m.rysca) && std::isfinite(m.ryoff)))
    errmsg("Window out of range for the drawing - rywmi, rywma, rydel");
  return m;
}

void check_points(int ncurv, const PlotMapping& m, toolkit::Vec1<std::int32_t> licol, toolkit::Vec1<std::int32_t> marco,
            toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat) {
  for (int i = 1; i <= ncurv; ++i) {
    if (licol[i] <= 0 && marco[i] <= 0) continue;
    for (int k = 1; k <= npnt[i]; ++k) {
      const double x = place(m.rxsca * rxdat[i][k] + m.rxoff);
      const double y = place(m.rysca * rydat[i][k] + m.ryoff);
      if (!std::isfinite(x) || !std::isfinite(y)) {
        std::fprintf(stderr, "\nCurve n. %8d\nPoint n. %8d\n", i, k);
        errmsg("Point out of range of the drawing");
      }
    }
  }
}

}  // namespace plotcad
