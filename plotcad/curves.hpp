#pragma once
// The curves: one polyline per curve whose lines are switched on, then the
// marker symbols of every curve whose markers are switched on.

#include <cstdint>
#include "plotcad/dxf.hpp"
#include "plotcad/mapping.hpp"
#include "toolkit/arrays.hpp"

namespace plotcad {

// One POLYLINE on layer LINESi for each curve i with licol[i] > 0.
void plcurv(int ncurv, const PlotMapping& map, toolkit::Vec1<std::int32_t> licol, toolkit::Vec1<std::int32_t> npnt,
            toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat, Layer& layer, toolkit::Writer& out);

// A marker of type marty[i] at every point of each curve i with
// marco[i] > 0, on layer MARKSi.
void plmark(int ncurv, const PlotMapping& map, toolkit::Vec1<std::int32_t> marco, toolkit::Vec1<std::int32_t> marty,
            toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat,
            Layer& layer, toolkit::Writer& out);

// One marker symbol centred on (x, y), each stroke a polyline of its own;
// types 0 to 10, any other type draws the circle of type 4.
void dxmark(double x, double y, int type, const Layer& layer, toolkit::Writer& out);

}  // namespace plotcad
