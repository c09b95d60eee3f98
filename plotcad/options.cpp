#include "plotcad/options.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plotcad/linereader.hpp"
#include "plotcad/mapping.hpp"
#include "plotcad/numbers.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/fileowner.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/linein.hpp"
#include "toolkit/numcheck.hpp"
#include "toolkit/output.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

namespace {

// 10^p rounded to the nearest double, as a correctly rounded pow gives it:
// some C libraries' pow and log10 are a unit of the last place off.
double power_of_ten(int p) {
  char text[16];
  std::snprintf(text, sizeof text, "1e%d", p);
  double value = 0.0;
  if (std::from_chars(text, text + std::strlen(text), value).ec != std::errc()) return p > 0 ? HUGE_VAL : 0.0;
  return value;
}

}  // namespace

double defint(double range) {
  const double a = range * 0.09999000099990002;
  const double p = std::floor(std::log10(a));
  double b = std::pow(10.0, p);  // 0 or infinite without a finite p
  if (std::isfinite(p)) {
    // The largest k with 10^k <= a, whatever the last bit of log10.
    int k = static_cast<int>(p);
    if (power_of_ten(k) > a) --k;
    if (power_of_ten(k + 1) <= a) ++k;
    b = power_of_ten(k);
  }
  const double m = a / b;
  double e = 10.0;
  if (m <= 1.0)
    e = 1.0;
  else if (m <= 2.0)
    e = 2.0;
  else if (m <= 2.5)
    e = 2.5;
  else if (m <= 5.0)
    e = 5.0;
  return b * e;
}

namespace {

using toolkit::errmsg;

constexpr std::size_t max_text = 80;

// The next significant text line, its line end and outer blanks removed;
// false at the end of the file.
bool next_text(LineReader& reader) {
  while (reader.next()) {
    char* text = reader.text();
    toolkit::elimnl(text);
    toolkit::trimst(text);
    if (text[0] != '\0' && text[0] != '#') return true;
  }
  return false;
}

// The next line with words; 0 at the end of the file.
int next_words(LineReader& reader, toolkit::Words& words) {
  while (reader.next()) {
    const int count = toolkit::splitw(reader.line(), words);
    if (count > 0) return count;
  }
  return 0;
}

// A word line of exactly two words.
void pair_line(LineReader& reader, toolkit::Words& words) {
  const int count = next_words(reader, words);
  if (count == 0) errmsg("Unexpected end of file");
  if (count != 2) errmsg("Invalid number of words in the line");
}

void real_pair(LineReader& reader, toolkit::Words& words, const char* first_name, double& first,
               const char* second_name, double& second) {
  pair_line(reader, words);
  if (!toolkit::chkrea(words[0]).ok || !toolkit::chkrea(words[1]).ok) errmsg("Invalid real number");
  first = toreal(words[0]);
  if (!std::isfinite(first)) errmsg(std::string("Number out of range - ") + first_name);
  second = toreal(words[1]);
  if (!std::isfinite(second)) errmsg(std::string("Number out of range - ") + second_name);
}

[[noreturn]] void stop_curve(const char* section, int k, const char* message) {
  std::fprintf(stderr, "\nReading %s\nCurve n. %8d\n", section, k);
  errmsg(message);
}

void curve_section(LineReader& reader, toolkit::Words& words, int ncurv, const char* section,
                   toolkit::Vec1<std::int32_t> values) {
  for (int k = 1; k <= ncurv; ++k) {
    const int count = next_words(reader, words);
    if (count == 0) errmsg("Unexpected end of file");
    if (count != 2) stop_curve(section, k, "Invalid number of words in the line");
    if (!toolkit::chkint(words[0]).ok || !toolkit::chkint(words[1]).ok) stop_curve(section, k, "Syntax error");
    if (toclamp(words[0]) != k) stop_curve(section, k, "Wrong curve number");
    std::int32_t value = 0;
    if (!toint(words[1], value)) stop_curve(section, k, "Number out of range");
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

PlotOptions defopt(std::string_view job, int ncurv, const DataRange& range, const CurveStyle& style) {
  PlotOptions o;
  o.title = one_line(job);
  o.font = "courB12";
  o.ixwma = 832;
  o.iywma = 720;
  o.rxwmi = range.rxfmi;
  o.rxwma = range.rxfma;
  o.rywmi = range.ryfmi;
  o.rywma = range.ryfma;
  // An axis of one value beyond 2^20 in magnitude keeps an empty data range
  // (1e-10 is lost in its last bit); the interval rule needs a range, and the
  // first run must still draw the line with a grid around it.
  widen(o.rxwmi, o.rxwma);
  widen(o.rywmi, o.rywma);
  o.rxdel = defint(o.rxwma - o.rxwmi);
  o.rydel = defint(o.rywma - o.rywmi);
  for (int i = 1; i <= ncurv; ++i) {
    style.licol[i] = 1;
    style.lstyl[i] = 0;
    style.marco[i] = 0;
    style.marty[i] = 0;
  }
  return o;
}

void putdef(std::FILE* f, int ncurv, int mxpnt, const DataRange& r, const PlotOptions& o) {
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

PlotOptions rddef(std::FILE* file, int ncurv, const CurveStyle& style) {
  PlotOptions o;
  LineReader reader(file, "jobname.def");
  toolkit::Words words;

  if (!next_text(reader)) errmsg("Unexpected end of file");
  if (std::strlen(reader.text()) > max_text) errmsg("Title has more than 80 characters");
  o.title = reader.text();
  std::printf("\n%s\n", o.title.c_str());

  if (!next_text(reader)) errmsg("Unexpected end of file");
  if (std::strlen(reader.text()) > max_text) errmsg("Font name has more than 80 characters");
  o.font = reader.text();

  pair_line(reader, words);
  if (!toolkit::chkint(words[0]).ok || !toolkit::chkint(words[1]).ok) errmsg("Invalid integer number");
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!toint(words[0], width)) errmsg("Number out of range - ixwma");
  if (!toint(words[1], height)) errmsg("Number out of range - iywma");
  if (width % 8 != 0 || height % 8 != 0) errmsg("ixwma and iywma must be multiples of 8");
  o.ixwma = width;
  o.iywma = height;

  real_pair(reader, words, "rxwmi", o.rxwmi, "rxwma", o.rxwma);
  real_pair(reader, words, "rywmi", o.rywmi, "rywma", o.rywma);
  real_pair(reader, words, "rxdel", o.rxdel, "rydel", o.rydel);

  curve_section(reader, words, ncurv, "licol", style.licol);
  curve_section(reader, words, ncurv, "lstyl", style.lstyl);
  curve_section(reader, words, ncurv, "marco", style.marco);
  curve_section(reader, words, ncurv, "marty", style.marty);

  if (!next_text(reader)) errmsg("Unexpected end of file");
  if (std::strcmp(reader.text(), "END_OF_FILE") != 0) errmsg("Missing END_OF_FILE");
  return o;
}

}  // namespace

PlotOptions wrtdef(const std::string& path, std::string_view job, int ncurv, int mxpnt, const DataRange& range,
                   const CurveStyle& style) {
  PlotOptions o = defopt(job, ncurv, range, style);
  std::printf("\nWriting file: %s\n", path.c_str());
  toolkit::FileOwner out(toolkit::platform::openout(path, true));
  if (!out) errmsg("Unable to open output file - jobname.def");
  putdef(out.get(), ncurv, mxpnt, range, o);
  toolkit::closeout(out.release(), "jobname.def");
  return o;
}

PlotOptions getdef(std::string_view job, int ncurv, int mxpnt, const DataRange& range, const CurveStyle& style) {
  const std::string path = toolkit::mkname(job, ".def");
  if (const toolkit::FileOwner in{toolkit::openin(path)}) {
    std::printf("\nReading file: %s\n", path.c_str());
    return rddef(in.get(), ncurv, style);
  }
  // The program never changes an existing options file: one that exists but
  // cannot be read (no permission) must not be replaced by defaults.
  if (toolkit::platform::isfile(path)) {
    std::printf("\nReading file: %s\n", path.c_str());
    errmsg("Unable to read file - jobname.def");
  }
  return wrtdef(path, job, ncurv, mxpnt, range, style);
}

}  // namespace plotcad
