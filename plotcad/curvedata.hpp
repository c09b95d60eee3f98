#pragma once
// The curve data file jobname.kvd: numbered curves of x/y points, either
// counted (a point-count line before each curve's points) or one curve of
// bare point lines.

#include <cstdint>
#include <string_view>

#include "toolkit/arrays.hpp"

namespace plotcad {

// What the first pass learns: the sizes of the arrays and the layout.
struct CurveScan {
  int ncurv = 0;        // number of curves; 0 for a file without words
  int mxpnt = 0;        // largest number of points of a curve
  bool ionecv = false;  // one-curve layout
};

// Smallest and largest x and y over all points of all curves.
struct DataRange {
  double rxfmi, rxfma, ryfmi, ryfma;
};

// The least half width of a range: an axis of one value gets this much on
// each side.
inline constexpr double min_range = 1e-10;

// Where the search for the smallest and largest values starts: data that
// lie all above 1e30 (or all below -1e30) keep it as their minimum (maximum).
inline constexpr double no_data = 1e30;

// Makes an empty range around one value non-empty, as the data ranges are:
// 1e-10 on each side. Beyond 2^20 in magnitude that is lost in the last bit
// of the value, and the range stays empty.
void widen(double& lo, double& hi);

// As widen, and where the range stays empty, 1e-10 of the value on each
// side: for the window and the grid, which need a range.
void spread(double& lo, double& hi);

// First pass: checks every line and counts. Stops on any error in the file,
// with a context line on standard error.
CurveScan sckurv(std::string_view job);

// Second pass: fills npnt (ncurv entries) and the ncurv x mxpnt matrices,
// allocated by the caller at the sizes sckurv gave. A file that changed
// since the first pass stops with an internal error; no count is ever
// trusted beyond the matrices.
void rdkurv(int mxpnt, int ncurv, bool ionecv, std::string_view job, toolkit::Vec1<std::int32_t> npnt,
            toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat);

// The data ranges, widened by 1e-10 on each side where an axis holds a
// single value.
DataRange mmkurv(int ncurv, toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat,
                 toolkit::Mat1<double> rydat);

}  // namespace plotcad
