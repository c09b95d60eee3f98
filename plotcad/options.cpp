#include "plotcad/options.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plotcad/lines.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

namespace {

// 10^p correctly rounded, as a correctly rounded pow gives it: some C
// libraries' pow is a unit of the last place off (pow(10, -2) gives
// 0.010000000000000002 in one), which moves a grid by a whole interval.
double power_of_ten(double p) {
  if (!std::isfinite(p)) return std::pow(10.0, p);
  char text[32];
  std::snprintf(text, sizeof text, "1e%d", static_cast<int>(p));
  return toolkit::toreal(text);
}

// The default interval is the smallest nice interval (1, 2, 2.5 or 5 times a
// power of ten) that the range divided into 10.001 parts does not exceed:
// the range then spans at most 10.001 intervals. The factor is the double
// nearest to 1/10.001.
constexpr double tenth = 0.09999000099990002;
constexpr double nice_intervals[] = {1.0, 2.0, 2.5, 5.0, 10.0};

}  // namespace

double default_interval(double range) {
  const double a = range * tenth;
  const double p = std::floor(std::log10(a));
  const double b = power_of_ten(p);
  const double m = a / b;
  double e = nice_intervals[std::size(nice_intervals) - 1];
  for (const double nice : nice_intervals) {
    if (m <= nice) {
      e = nice;
      break;
    }
  }
  return b * e;
}

namespace {

using toolkit::errmsg;

constexpr std::size_t max_text = 80;
// The window of a first run, in pixels, and the step that window sizes keep.
constexpr int default_width = 832;
constexpr int default_height = 720;
constexpr int pixel_step = 8;
constexpr const char* default_font = "courB12";

// The next significant text line, its line end and outer blanks removed;
// false at the end of the file.
bool next_text(Lines& lines) {
  while (lines.next()) {
    char* text = lines.line.data();
    toolkit::elimnl(text);
    toolkit::trimst(text);
    if (text[0] != '\0' && text[0] != '#') return true;
  }
  return false;
}

// A word line of exactly two words.
void pair_line(Lines& lines) {
  const int count = lines.words();
  if (count == 0) errmsg("Unexpected end of file");
  if (count != 2) errmsg("Invalid number of words in the line");
}

void real_pair(Lines& lines, const char* first_name, double& first, const char* second_name, double& second) {
  pair_line(lines);
  const toolkit::Words& words = lines.word;
  if (!toolkit::chkrea(words[0]).ok || !toolkit::chkrea(words[1]).ok) errmsg("Invalid real number");
  first = toolkit::toreal(words[0]);
  if (!std::isfinite(first)) errmsg(std::string("Number out of range - ") + first_name);
  second = toolkit::toreal(words[1]);
  if (!std::isfinite(second)) errmsg(std::string("Number out of range - ") + second_name);
}

[[noreturn]] void stop_curve(const char* section, int k, const char* message) {
  std::fprintf(stderr, "\nReading %s\nCurve n. %8d\n", section, k);
  errmsg(message);
}

// An integer word that chkint passed, within 32 bits.
bool int32(const char* word, std::int32_t& value) {
  std::int64_t v = 0;
  if (!toolkit::toint(word, v) || !toolkit::fits32(v)) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

void curve_section(Lines& lines, int ncurv, const char* section, toolkit::Vec1<std::int32_t> values) {
  const toolkit::Words& words = lines.word;
  for (int k = 1; k <= ncurv; ++k) {
    const int count = lines.words();
    if (count == 0) errmsg("Unexpected end of file");
    if (count != 2) stop_curve(section, k, "Invalid number of words in the line");
    if (!toolkit::chkint(words[0]).ok || !toolkit::chkint(words[1]).ok) stop_curve(section, k, "Syntax error");
    std::int64_t number = 0;
    if (!toolkit::toint(words[0], number) || number != k) stop_curve(section, k, "Wrong curve number");
    std::int32_t value = 0;
    if (!int32(words[1], value)) stop_curve(section, k, "Number out of range");
    values[k] = value;
  }
}

// A title made from a job name must stay one line in both files.
std::string one_line(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

PlotOptions default_options(std::string_view job, int ncurv, const DataRange& range, CurveStyle style) {
  PlotOptions o;
  o.title = one_line(job);
  o.font = default_font;
  o.ixwma = default_width;
  o.iywma = default_height;
  o.rxwmi = range.rxfmi;
  o.rxwma = range.rxfma;
  o.rywmi = range.ryfmi;
  o.rywma = range.ryfma;
  // An axis of one value beyond 2^20 in magnitude keeps an empty data range
  // (1e-10 is lost in its last bit); the interval rule needs a range, and the
  // first run must still draw the line with a grid around it.
  spread(o.rxwmi, o.rxwma);
  spread(o.rywmi, o.rywma);
  o.rxdel = default_interval(o.rxwma - o.rxwmi);
  o.rydel = default_interval(o.rywma - o.rywmi);
  for (int i = 1; i <= ncurv; ++i) {
    style.licol[i] = 1;
    style.lstyl[i] = 0;
    style.marco[i] = 0;
    style.marty[i] = 0;
  }
  return o;
}

void write_options(std::FILE* f, int ncurv, int mxpnt, const DataRange& r, const PlotOptions& o) {
  std::fputs(
      "\n# KURVO OPTIONS\n\n# Colors\n\n"
      "#  0 - not displayed\n#  1 - foreground\n#  2 - red\n#  3 - green\n"
      "#  4 - blue\n#  5 - cyan\n#  6 - orange\n#  7 - yellow\n"
      "\n# Markers\n\n"
      "#  0 - dot (.)\n#  1 - small cross (+)\n#  2 - big cross (+)\n#  3 - star (*)\n"
      "#  4 - circle (O)\n#  5 - rotated cross (x)\n#  6 - square\n#  7 - rotated square\n"
      "#  8 - square with central dot\n#  9 - rotated square with central dot\n# 10 - filled square\n"
      "\n# Line styles\n\n"
      "#  0 - ----------------- solid\n#  1 - ................. dotted\n"
      "\n### Data file statistics\n\n",
      f);
  std::fprintf(f, "#   Number of curves = %8d\n", ncurv);
  std::fprintf(f, "#   Maximum number of points per curve = %8d\n", mxpnt);
  std::fputs("#\n#\n#                       y ^\n#                         |\n", f);
  std::fprintf(f, "#   ryfma = %12.5lg  +----------------------------------+\n", r.ryfma);
  std::fputs(
      "#                         |                                  |\n"
      "#                         |    Minimum and maximum values    |\n"
      "#                         |    in the data file              |\n"
      "#                         |                                  |\n"
      "#                         |    (all curves)                  |\n"
      "#                         |                                  |\n",
      f);
  std::fprintf(f, "#   ryfmi = %12.5lg  +----------------------------------+ --> x\n", r.ryfmi);
  std::fprintf(f, "#\n#              rxfmi = %12.5lg                 rxfma = %12.5lg\n", r.rxfmi, r.rxfma);
  std::fprintf(f, "\n### Main title\n%s\n", o.title.c_str());
  std::fprintf(f, "\n### Font name\n%s\n", o.font.c_str());
  std::fputs("\n### Window size in pixels (multiple of 8)\n#         ixwma             iywma\n", f);
  std::fprintf(f, "       %8d          %8d   #   max. for the PaintJet = 832x720\n", o.ixwma, o.iywma);
  std::fputs(
      "\n### Minimum and maximum values visible in the window (all curves)\n"
      "#         rxwmi             rxwma\n",
      f);
  std::fprintf(f, "   %12.5lg      %12.5lg\n", o.rxwmi, o.rxwma);
  std::fputs("#         rywmi             rywma\n", f);
  std::fprintf(f, "   %12.5lg      %12.5lg\n", o.rywmi, o.rywma);
  std::fputs("\n### Interval between axes\n#         rxdel             rydel\n", f);
  std::fprintf(f, "   %12.5lg      %12.5lg\n", o.rxdel, o.rydel);
  std::fputs("\n### Line color\n# idraw   licol (0 => no lines)\n", f);
  for (int i = 1; i <= ncurv; ++i) std::fprintf(f, "%8d    1\n", i);
  std::fputs("\n### Line style\n# idraw   lstyl\n", f);
  for (int i = 1; i <= ncurv; ++i) std::fprintf(f, "%8d    0  #  solid\n", i);
  std::fputs("\n### Marker color\n# idraw   marco (0 => no markers)\n", f);
  for (int i = 1; i <= ncurv; ++i) std::fprintf(f, "%8d    0\n", i);
  std::fputs("\n### Marker type\n# idraw   marty\n", f);
  for (int i = 1; i <= ncurv; ++i) std::fprintf(f, "%8d    0\n", i);
  std::fputs("\nEND_OF_FILE\n", f);
}

PlotOptions read_options(std::FILE* file, int ncurv, CurveStyle style) {
  PlotOptions o;
  Lines lines(file, "jobname.def");
  const toolkit::Words& words = lines.word;
  const char* text = lines.line.data();

  if (!next_text(lines)) errmsg("Unexpected end of file");
  if (std::strlen(text) > max_text) errmsg("Title has more than 80 characters");
  o.title = text;
  std::printf("\n%s\n", o.title.c_str());

  if (!next_text(lines)) errmsg("Unexpected end of file");
  if (std::strlen(text) > max_text) errmsg("Font name has more than 80 characters");
  o.font = text;

  pair_line(lines);
  if (!toolkit::chkint(words[0]).ok || !toolkit::chkint(words[1]).ok) errmsg("Invalid integer number");
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!int32(words[0], width)) errmsg("Number out of range - ixwma");
  if (!int32(words[1], height)) errmsg("Number out of range - iywma");
  if (width % pixel_step != 0 || height % pixel_step != 0) errmsg("ixwma and iywma must be multiples of 8");
  o.ixwma = width;
  o.iywma = height;

  real_pair(lines, "rxwmi", o.rxwmi, "rxwma", o.rxwma);
  real_pair(lines, "rywmi", o.rywmi, "rywma", o.rywma);
  real_pair(lines, "rxdel", o.rxdel, "rydel", o.rydel);

  curve_section(lines, ncurv, "licol", style.licol);
  curve_section(lines, ncurv, "lstyl", style.lstyl);
  curve_section(lines, ncurv, "marco", style.marco);
  curve_section(lines, ncurv, "marty", style.marty);

  if (!next_text(lines)) errmsg("Unexpected end of file");
  if (std::strcmp(text, "END_OF_FILE") != 0) errmsg("Missing END_OF_FILE");
  return o;
}

}  // namespace

PlotOptions write_defaults(const std::string& path, std::string_view job, int ncurv, int mxpnt, const DataRange& range,
                   CurveStyle style) {
  PlotOptions o = default_options(job, ncurv, range, style);
  std::printf("\nWriting file: %s\n", path.c_str());
  toolkit::FileOwner out = toolkit::openout(path, "jobname.def", toolkit::Form::text);
  write_options(out.get(), ncurv, mxpnt, range, o);
  toolkit::closeout(std::move(out), "jobname.def");
  return o;
}

PlotOptions getdef(std::string_view job, int ncurv, int mxpnt, const DataRange& range, CurveStyle style) {
  const std::string path = toolkit::mkname(job, ".def");
  if (const toolkit::FileOwner in = toolkit::openin(path)) {
    std::printf("\nReading file: %s\n", path.c_str());
    return read_options(in.get(), ncurv, style);
  }
  // The program never changes an existing options file: one that exists but
  // cannot be read (no permission) must not be replaced by defaults.
  if (toolkit::platform::isfile(path)) {
    std::printf("\nReading file: %s\n", path.c_str());
    errmsg("Unable to read file - jobname.def");
  }
  return write_defaults(path, job, ncurv, mxpnt, range, style);
}

}  // namespace plotcad
