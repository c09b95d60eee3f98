#include "plotcad/frame.hpp"

#include "toolkit/dialogue.hpp"

namespace plotcad {

void plfram(const PlotMapping& m, int ixwma, int iywma, double rxdel, double rydel, Layer& layer,
            toolkit::Writer& out) {
  const double w = ixwma;
  const double h = iywma;
  const double height = toolkit::askrea("Text height of the axes' labels", 0.015 * h);

  dxlayr(layer, "BORDER");
  dxline(0, 0, 0, w, 0, 0, layer, out);
  dxline(w, 0, 0, w, h, 0, layer, out);
  dxline(w, h, 0, 0, h, 0, layer, out);
  dxline(0, h, 0, 0, 0, 0, layer, out);

  char number[64];
  const double xmin = place(static_cast<double>(m.ixgmi) * rxdel * m.rxsca + m.rxoff);
  const double xmax = place(static_cast<double>(m.ixgma) * rxdel * m.rxsca + m.rxoff);
  for (std::int64_t j = m.iygmi; j <= m.iygma; ++j) {
    const double yv = static_cast<double>(j) * rydel;
    const double y = place(yv * m.rysca + m.ryoff);
    dxlayr(layer, "AXES");
    dxline(xmin, y, 0, xmax, y, 0, layer, out);
    std::snprintf(number, sizeof number, "%lg", yv);
    dxlayr(layer, "NUMBERS");
    dxtext(xmin - 0.07 * w, y + 0.004 * h, 0, height, number, layer, out);
  }

  const double ymin = place(static_cast<double>(m.iygmi) * rydel * m.rysca + m.ryoff);
  const double ymax = place(static_cast<double>(m.iygma) * rydel * m.rysca + m.ryoff);
  for (std::int64_t i = m.ixgmi; i <= m.ixgma; ++i) {
    const double xv = static_cast<double>(i) * rxdel;
    const double x = place(xv * m.rxsca + m.rxoff);
    dxlayr(layer, "AXES");
    dxline(x, ymin, 0, x, ymax, 0, layer, out);
    std::snprintf(number, sizeof number, "%lg", xv);
    dxlayr(layer, "NUMBERS");
    dxtext(x - 0.01 * w, ymin - 0.034 * h, 0, height, number, layer, out);
  }
}

}  // namespace plotcad
