#pragma once
// The plot mapping: the window snapped outward to whole intervals, margins
// of 10 % (x) and 5 % (y) of the grid on each side, and the linear map from
// data to drawing coordinates.

#include <cmath>
#include <cstdint>

#include "plotcad/options.hpp"
#include "toolkit/arrays.hpp"

namespace plotcad {

struct PlotMapping {
  // Grid lines stand at i * rxdel for i = ixgmi .. ixgma (likewise y). The
  // indices are held in 64 bits: a single-valued axis widened by 1e-10 has a
  // default interval of 2e-11, which puts the indices near 2.5e11.
  std::int64_t ixgmi = 0, ixgma = 0, iygmi = 0, iygma = 0;
  double rxsca = 0, rxoff = 0;  // drawing x = rxsca * x + rxoff
  double rysca = 0, ryoff = 0;  // drawing y = rysca * y + ryoff
};

// Most grid lines drawn in one direction. A grid denser than this is no
// picture any more, and the file would grow without a useful bound.
inline constexpr std::int64_t max_axes = 100000;

// Checks that the options can be mapped (finite values, positive intervals,
// a window that spans more than one grid line, a bounded grid), stopping
// with a message that names the value to edit, and computes the mapping. A
// window whose minimum equals its maximum is widened first: an axis of one
// value gets such a window in the options file (its widened ends mostly
// print alike), and the run after the first must draw what the first run
// drew. Where the five digits of the file round the ends apart, the window
// read back is far wider than the data and the interval of the data range
// may need more axes than max_axes: that run stops, naming the interval.
PlotMapping map_window(const PlotOptions& options);

// Stops the program when a point of a curve that is drawn would land
// outside the range of a double, before any of the drawing is written.
void check_points(int ncurv, const PlotMapping& map, toolkit::Vec1<std::int32_t> licol, toolkit::Vec1<std::int32_t> marco,
            toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat);

// The drawing position of a coordinate: the nearest integer, halves upward.
// It stays a double: a point far outside the window may lie beyond the
// range of any integer type, and is still drawn where the mapping puts it.
inline double place(double v) { return std::floor(v + 0.5); }

}  // namespace plotcad
