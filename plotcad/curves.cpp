#include "plotcad/curves.hpp"

#include <span>

namespace plotcad {

namespace {

struct Offset {
  int dx, dy;
};

// The strokes of the symbols, as offsets from the centre in drawing units.
constexpr Offset dot[] = {{0, 0}, {0, 0}};
constexpr Offset small_h[] = {{-2, 0}, {2, 0}};
constexpr Offset small_v[] = {{0, -2}, {0, 2}};
constexpr Offset big_h[] = {{-4, 0}, {4, 0}};
constexpr Offset big_v[] = {{0, -4}, {0, 4}};
constexpr Offset rising[] = {{-3, -3}, {3, 3}};
constexpr Offset falling[] = {{-3, 3}, {3, -3}};
constexpr Offset octagon[] = {{1, 3}, {3, 1}, {3, -1}, {1, -3}, {-1, -3}, {-3, -1}, {-3, 1}, {-1, 3}, {1, 3}};
constexpr Offset square[] = {{-3, -3}, {3, -3}, {3, 3}, {-3, 3}, {-3, -3}};
constexpr Offset diamond[] = {{0, -4}, {4, 0}, {0, 4}, {-4, 0}, {0, -4}};

void stroke(double x, double y, std::span<const Offset> offsets, const Layer& layer, toolkit::Writer& out) {
  PolyStream poly(layer, out);
  for (const Offset& o : offsets) poly.vertex(x + o.dx, y + o.dy);
  poly.end();
}

void fill_row(double x, double y, int row, const Layer& layer, toolkit::Writer& out) {
  const Offset offsets[] = {{-3, row}, {3, row}};
  stroke(x, y, offsets, layer, out);
}

void name_layer(Layer& layer, const char* prefix, int curve) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%d", prefix, curve);
  dxlayr(layer, name);
}

}  // namespace

void plcurv(int ncurv, const PlotMapping& m, toolkit::Vec1<std::int32_t> licol, toolkit::Vec1<std::int32_t> npnt,
            toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat, Layer& layer, toolkit::Writer& out) {
  for (int i = 1; i <= ncurv; ++i) {
    if (licol[i] <= 0) continue;
    name_layer(layer, "LINES", i);
    // The vertices go out as they are placed: no copy of the curve is held
    // beside the matrices.
    PolyStream poly(layer, out);
    const double* xs = &rxdat[i][1];
    const double* ys = &rydat[i][1];
    for (int k = 0; k < npnt[i]; ++k)
      poly.vertex(place(m.rxsca * xs[k] + m.rxoff), place(m.rysca * ys[k] + m.ryoff));
    poly.end();
  }
}

void plmark(int ncurv, const PlotMapping& m, toolkit::Vec1<std::int32_t> marco, toolkit::Vec1<std::int32_t> marty,
            toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat,
            Layer& layer, toolkit::Writer& out) {
  for (int i = 1; i <= ncurv; ++i) {
    if (marco[i] <= 0) continue;
    name_layer(layer, "MARKS", i);
    for (int k = 1; k <= npnt[i]; ++k)
      dxmark(place(m.rxsca * rxdat[i][k] + m.rxoff), place(m.rysca * rydat[i][k] + m.ryoff), marty[i], layer, out);
  }
}

void dxmark(double x, double y, int type, const Layer& layer, toolkit::Writer& out) {
  switch (type) {
    case 0:
      stroke(x, y, dot, layer, out);
      break;
    case 1:
      stroke(x, y, small_h, layer, out);
      stroke(x, y, small_v, layer, out);
      break;
    case 2:
      stroke(x, y, big_h, layer, out);
      stroke(x, y, big_v, layer, out);
      break;
    case 3:
      stroke(x, y, rising, layer, out);
      stroke(x, y, falling, layer, out);
      stroke(x, y, big_v, layer, out);
      break;
    case 5:
      stroke(x, y, rising, layer, out);
      stroke(x, y, falling, layer, out);
      break;
    case 6:
      stroke(x, y, square, layer, out);
      break;
    case 7:
      stroke(x, y, diamond, layer, out);
      break;
    case 8:
      stroke(x, y, square, layer, out);
      stroke(x, y, dot, layer, out);
      break;
    case 9:
      stroke(x, y, diamond, layer, out);
      stroke(x, y, dot, layer, out);
      break;
    case 10:
      for (int row = -3; row <= 3; ++row) fill_row(x, y, row, layer, out);
      break;
    default:  // 4, and every type without a symbol of its own
      stroke(x, y, octagon, layer, out);
      break;
  }
}

}  // namespace plotcad
