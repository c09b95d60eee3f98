// Fuzz target: the plot options reader of plotcad on an existing
// jobname.def. The first byte of the input gives the number of curves, the
// rest is the file; the data range is fixed.

#include <cmath>
#include <string>
#include <string_view>

#include "plotcad/options.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

// The line end routine takes one CR before the LF; the readers accept a line
// ending in more (CR CR LF), whose other CRs stay at the end of the text.
bool one_line_text(const std::string& text) {
  const std::size_t end = text.find_last_not_of('\r') + 1;
  return !text.empty() && text.size() <= 80 && text.find_first_of(std::string("\n\r\0", 3)) >= end &&
         text.front() != ' ' && text.front() != '#' && (end < text.size() || text.back() != ' ');
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  if (input.empty()) return;
  const int ncurv = 1 + static_cast<unsigned char>(input[0]) % 12;
  fuzz::write_file("job.def", input.substr(1));

  const plotcad::DataRange range{-1.5, 20.0, 0.0, 3.25};
  plotcad::CurveStyle style;
  toolkit::alloi1(style.licol, ncurv);
  toolkit::alloi1(style.lstyl, ncurv);
  toolkit::alloi1(style.marco, ncurv);
  toolkit::alloi1(style.marty, ncurv);
  try {
    const plotcad::PlotOptions o = plotcad::getdef("job", ncurv, 10, range, style);
    check(one_line_text(o.title), "title: one line of 1 to 80 characters, trimmed");
    check(one_line_text(o.font), "font: one line of 1 to 80 characters, trimmed");
    check(o.ixwma % 8 == 0 && o.iywma % 8 == 0, "window size in multiples of 8");
    check(std::isfinite(o.rxwmi) && std::isfinite(o.rxwma) && std::isfinite(o.rywmi) && std::isfinite(o.rywma) &&
              std::isfinite(o.rxdel) && std::isfinite(o.rydel),
          "finite window and intervals");
  } catch (const toolkit::Stopped&) {
  }
  toolkit::freei1(style.marty);
  toolkit::freei1(style.marco);
  toolkit::freei1(style.lstyl);
  toolkit::freei1(style.licol);
}
