// Fuzz target: a whole plotcad run, as the program's main makes it. The
// input is jobname.kvd and, after a line "@@def@@", jobname.def; without
// that line the run writes the options file with defaults, and the next
// run must then read that file and draw as well. Every drawing must hold
// finite numbers only.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plotcad/curvedata.hpp"
#include "plotcad/curves.hpp"
#include "plotcad/dxf.hpp"
#include "plotcad/frame.hpp"
#include "plotcad/mapping.hpp"
#include "plotcad/options.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/dialogue.hpp"
#include "toolkit/files.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

constexpr std::string_view separator = "@@def@@\n";

// Grids beyond this many axes are mapped and checked but not drawn: a
// drawing of 2 x 100000 axes is sound but takes long to write.
constexpr std::int64_t max_drawn_axes = 2000;

struct Arrays {
  plotcad::CurveStyle style;
  toolkit::Vec1<std::int32_t> npnt;
  toolkit::Mat1<double> rxdat, rydat;
};

bool maps(const plotcad::PlotOptions& o) {
  try {
    (void)plotcad::map_window(o);
    return true;
  } catch (const toolkit::Stopped&) {
    return false;
  }
}

// Whether both axes of the options snap to a grid of at most max_axes lines.
bool fits(const plotcad::PlotOptions& o) {
  auto axis = [](double lo, double hi, double del) {
    plotcad::widen(lo, hi);
    const double lines = std::ceil(hi / del) - std::floor(lo / del) + 1;
    return lines <= static_cast<double>(plotcad::max_axes);
  };
  return axis(o.rxwmi, o.rxwma, o.rxdel) && axis(o.rywmi, o.rywma, o.rydel);
}

// Group codes and values in pairs; every coordinate and height a finite
// number written whole.
void check_dxf(const std::string& dxf) {
  check(dxf.size() >= 15 && dxf.compare(dxf.size() - 15, 15, "ENDSEC\n  0\nEOF\n") == 0, "the drawing is closed");
  std::size_t p = 0;
  while (p < dxf.size()) {
    const std::size_t code_end = dxf.find('\n', p);
    check(code_end != std::string::npos, "a group code line");
    const std::size_t value_end = dxf.find('\n', code_end + 1);
    if (value_end == std::string::npos) break;
    const int code = std::atoi(dxf.c_str() + p);
    if (code >= 10 && code <= 40) {
      const std::string value = dxf.substr(code_end + 1, value_end - code_end - 1);
      char* end = nullptr;
      const double v = std::strtod(value.c_str(), &end);
      check(end == value.c_str() + value.size() && std::isfinite(v), "a finite number in the drawing");
    }
    p = value_end + 1;
  }
}

void draw(const plotcad::CurveScan& scan, Arrays& a) {
  const plotcad::DataRange range = plotcad::mmkurv(scan.ncurv, a.npnt, a.rxdat, a.rydat);
  const bool first_run = !fuzz::exists("job.def");
  const plotcad::PlotOptions options = plotcad::getdef("job", scan.ncurv, scan.mxpnt, range, a.style);
  if (first_run && maps(options)) {
    // The next run reads what this one wrote (its numbers rounded to five
    // digits) and draws when this one does. (A first run that stops names
    // the value to edit in the file it wrote.)
    plotcad::PlotOptions again;
    try {
      again = plotcad::getdef("job", scan.ncurv, scan.mxpnt, range, a.style);
    } catch (const toolkit::Stopped&) {
      check(false, "the options file written by a run that draws is read by the next");
    }
    // The file holds five digits: a window read back wider than the data
    // may need too many axes for the data's interval, which that run
    // refuses by name. Anything else must map.
    check(maps(again) || !fits(again), "the next run maps the options file written by a first run that draws");
  }
  const plotcad::PlotMapping map = plotcad::map_window(options);
  plotcad::check_points(scan.ncurv, map, a.style.licol, a.style.marco, a.npnt, a.rxdat, a.rydat);
  if (map.ixgma - map.ixgmi > max_drawn_axes || map.iygma - map.iygmi > max_drawn_axes) return;

  plotcad::Layer layer{};
  toolkit::Writer drawing = plotcad::dxopen("job", layer);
  plotcad::plfram(map, options.ixwma, options.iywma, options.rxdel, options.rydel, layer, drawing);
  plotcad::plcurv(scan.ncurv, map, a.style.licol, a.npnt, a.rxdat, a.rydat, layer, drawing);
  plotcad::plmark(scan.ncurv, map, a.style.marco, a.style.marty, a.npnt, a.rxdat, a.rydat, layer, drawing);
  const double height = toolkit::askrea("Text height of the title", 0.02 * options.iywma);
  plotcad::dxlayr(layer, "TITLE");
  plotcad::dxtext(0.1 * options.ixwma, 0.97 * options.iywma, 0, height, options.title, layer, drawing);
  plotcad::dxclos(drawing);
  check_dxf(fuzz::read_file("job.dxf"));
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  // Every question takes its default.
  fuzz::write_file("answers", "\n\n\n\n");
  fuzz::write_parts(input, separator, "job.kvd", "job.def");
  check(std::freopen("answers", "r", stdin) != nullptr, "answers on standard input");

  plotcad::CurveScan scan;
  try {
    scan = plotcad::sckurv("job");
  } catch (const toolkit::Stopped&) {
    return;
  }
  if (scan.ncurv == 0) return;

  Arrays a;
  const int n = scan.ncurv;
  toolkit::alloi1(a.style.licol, n);
  toolkit::alloi1(a.style.lstyl, n);
  toolkit::alloi1(a.style.marco, n);
  toolkit::alloi1(a.style.marty, n);
  toolkit::alloi1(a.npnt, n);
  plotcad::rdkurv(scan, "job", a.npnt, a.rxdat, a.rydat);
  try {
    draw(scan, a);
  } catch (const toolkit::Stopped&) {
  }
  toolkit::freed2(a.rydat);
  toolkit::freed2(a.rxdat);
  toolkit::freei1(a.npnt);
  toolkit::freei1(a.style.marty);
  toolkit::freei1(a.style.marco);
  toolkit::freei1(a.style.lstyl);
  toolkit::freei1(a.style.licol);
}
