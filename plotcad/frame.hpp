#pragma once
// The plot frame: the border of the window, the grid lines ("axes") at every
// multiple of the intervals, and the number of each grid line.

#include "plotcad/dxf.hpp"
#include "plotcad/mapping.hpp"

namespace plotcad {

// Asks for the height of the numbers, then writes the border on layer
// BORDER, each horizontal grid line (AXES) with its number (NUMBERS) from
// the first index to the last, then each vertical one likewise.
void plfram(const PlotMapping& map, int ixwma, int iywma, double rxdel, double rydel, Layer& layer,
            toolkit::Writer& out);

}  // namespace plotcad
