#pragma once
// The plot options file jobname.def: written with defaults on the first run
// of a job, then edited by the user and read back strictly by position.

#include <cstdint>
#include <string>
#include <string_view>

#include "plotcad/curvedata.hpp"
#include "toolkit/arrays.hpp"

namespace plotcad {

// The scalar options; the four per-curve ones live in the caller's vectors.
struct PlotOptions {
  std::string title;  // 1 to 80 characters
  std::string font;   // 1 to 80 characters; kept, never drawn
  int ixwma = 0;      // window width in pixels, a multiple of 8
  int iywma = 0;      // window height in pixels, a multiple of 8
  double rxwmi = 0, rxwma = 0, rywmi = 0, rywma = 0;  // window in data units
  double rxdel = 0, rydel = 0;                        // interval between axes
};

// The per-curve vectors, ncurv entries each, filled by getdef.
struct CurveStyle {
  toolkit::Vec1<std::int32_t> licol, lstyl, marco, marty;
};

// Reads jobname.def when it exists; otherwise writes it with defaults from
// the data ranges and returns those defaults (exact, not as rounded in the
// file). Stops the program on any error.
PlotOptions getdef(std::string_view job, int ncurv, int mxpnt, const DataRange& range, CurveStyle style);

// The default interval between axes for a data range R > 0: the smallest
// value of 1, 2, 2.5, 5 times a power of ten that is at least R / 10.001.
double default_interval(double range);

// The branch of a first run: writes the options file at path with the
// defaults from the data ranges, and returns those defaults.
PlotOptions write_defaults(const std::string& path, std::string_view job, int ncurv, int mxpnt, const DataRange& range,
                   CurveStyle style);

}  // namespace plotcad
