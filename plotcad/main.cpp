// plotcad [jobname]: draws the curves of jobname.kvd, with the options of
// jobname.def (written with defaults on the first run), as the DXF drawing
// jobname.dxf.

#include <cstdio>
#include <string>

#include "plotcad/curvedata.hpp"
#include "plotcad/curves.hpp"
#include "plotcad/dxf.hpp"
#include "plotcad/frame.hpp"
#include "plotcad/mapping.hpp"
#include "plotcad/options.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/banner.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/dialogue.hpp"
#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"

int main(int argc, char** argv) {
  using namespace plotcad;
  using toolkit::errmsg;

  toolkit::platform::holdstd();
  toolkit::prtban();
  if (argc > 2) errmsg("Usage: plotcad jobname");
  std::string job;
  if (argc == 2) {
    job = argv[1];
  } else {
    toolkit::Answer answer;
    toolkit::askjob(answer);
    job = answer.data();
  }
  std::printf("\nJob name = %s\n", job.c_str());

  CurveScan scan = sckurv(job);
  const int ncurv = scan.ncurv;
  const int mxpnt = scan.mxpnt;
  std::printf("\nNumber of curves = %8d\n", ncurv);
  std::printf("\nMaximum number of points per curve = %8d\n", mxpnt);
  if (ncurv == 0) errmsg("Zero curves");

  CurveStyle style;
  toolkit::Vec1<std::int32_t> npnt;
  toolkit::Mat1<double> rxdat;
  toolkit::Mat1<double> rydat;
  toolkit::alloi1(style.licol, ncurv);
  toolkit::alloi1(style.lstyl, ncurv);
  toolkit::alloi1(style.marco, ncurv);
  toolkit::alloi1(style.marty, ncurv);
  toolkit::alloi1(npnt, ncurv);
  rdkurv(scan, job, npnt, rxdat, rydat);
  const DataRange range = mmkurv(ncurv, npnt, rxdat, rydat);
  const PlotOptions options = getdef(job, ncurv, mxpnt, range, style);
  // Everything that could make the drawing unsound is refused here, before
  // the drawing file is created.
  const PlotMapping map = map_window(options);
  check_points(ncurv, map, style.licol, style.marco, npnt, rxdat, rydat);

  // Opening the drawing writes nothing to the console: the progress line may
  // come first, and a drawing that cannot be created stops after it.
  std::printf("\nWriting file: %s.dxf\n", job.c_str());
  Layer layer{};
  toolkit::Writer drawing = dxopen(job, layer);

  plfram(map, options.ixwma, options.iywma, options.rxdel, options.rydel, layer, drawing);
  plcurv(ncurv, map, style.licol, npnt, rxdat, rydat, layer, drawing);
  plmark(ncurv, map, style.marco, style.marty, npnt, rxdat, rydat, layer, drawing);

  const double height = toolkit::askrea("Text height of the title", 0.02 * options.iywma);
  dxlayr(layer, "TITLE");
  dxtext(0.1 * options.ixwma, 0.97 * options.iywma, 0, height, options.title, layer, drawing);
  dxclos(drawing);

  toolkit::freed2(rydat);
  toolkit::freed2(rxdat);
  toolkit::freei1(npnt);
  toolkit::freei1(style.marty);
  toolkit::freei1(style.marco);
  toolkit::freei1(style.lstyl);
  toolkit::freei1(style.licol);

  std::printf("\n### Success ###\n\n");
  toolkit::endout();
  return 0;
}
