// Fuzz target: the curve data reader of plotcad. The input is jobname.kvd;
// the arrays are allocated at the scanned sizes, as the program does, and
// every value read is held against the standard conversion of its word.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "plotcad/curvedata.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

using WordLine = std::vector<std::string>;

// The words of every line that has any, as the format defines them: a line
// ends at its line feed, the comment from '#' (and a line end) is cut, blanks
// and tabs separate.
std::vector<WordLine> word_lines(std::string_view text) {
  std::vector<WordLine> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    line = line.substr(0, line.find_first_of("#\r"));
    WordLine words;
    for (std::size_t p = 0; p < line.size();) {
      if (line[p] == ' ' || line[p] == '\t') {
        ++p;
        continue;
      }
      const std::size_t start = p;
      while (p < line.size() && line[p] != ' ' && line[p] != '\t') ++p;
      words.emplace_back(line.substr(start, p - start));
    }
    if (!words.empty()) lines.push_back(std::move(words));
  }
  return lines;
}

double standard(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  check(end == word.c_str() + word.size(), "a point word converts in full");
  return value;
}

// The conversion agrees with the syntax check and the standard conversion
// on any word.
void check_word(const std::string& word) {
  if (word.find('\0') != std::string::npos || !toolkit::chkrea(word).ok) return;
  const double v = toolkit::toreal(word);
  const double s = standard(word);
  check(v == s && std::signbit(v) == std::signbit(s), "toreal value");
}

struct Arrays {
  toolkit::Vec1<std::int32_t> npnt;
  toolkit::Mat1<double> rxdat, rydat;
};

void check_read(const plotcad::CurveScan& scan, const Arrays& a, const std::vector<WordLine>& lines) {
  // Which lines are points, by the layout the first line shows.
  std::size_t next = 0;
  std::int32_t most = 0;
  for (int i = 1; i <= scan.ncurv; ++i) {
    const std::int32_t n = a.npnt[i];
    check(n >= 1 && n <= scan.mxpnt, "a curve's point count within the rows");
    most = n > most ? n : most;
    if (!scan.ionecv) {
      check(next < lines.size() && lines[next].size() == 1, "count line");
      check(std::strtoll(lines[next][0].c_str(), nullptr, 10) == n, "point count as in the file");
      ++next;
    }
    for (int j = 1; j <= n; ++j, ++next) {
      check(next < lines.size() && lines[next].size() == 2, "point line");
      const double x = standard(lines[next][0]);
      const double y = standard(lines[next][1]);
      check(std::isfinite(x) && std::isfinite(y), "points are finite");
      check(a.rxdat[i][j] == x && a.rydat[i][j] == y, "point values as the standard conversion gives");
    }
  }
  check(next == lines.size(), "every line with words was read");
  check(most == scan.mxpnt, "the longest curve has mxpnt points");
}

void check_range(const plotcad::CurveScan& scan, const Arrays& a) {
  const plotcad::DataRange r = plotcad::mmkurv(scan.ncurv, a.npnt, a.rxdat, a.rydat);
  check(r.rxfmi <= r.rxfma && r.ryfmi <= r.ryfma, "ranges ordered");
  // The search starts from +-1e30, so data beyond stays inside a wider range.
  double xmin = 1e30, xmax = -1e30, ymin = 1e30, ymax = -1e30;
  for (int i = 1; i <= scan.ncurv; ++i)
    for (int j = 1; j <= a.npnt[i]; ++j) {
      xmin = std::fmin(xmin, a.rxdat[i][j]);
      xmax = std::fmax(xmax, a.rxdat[i][j]);
      ymin = std::fmin(ymin, a.rydat[i][j]);
      ymax = std::fmax(ymax, a.rydat[i][j]);
    }
  check(r.rxfmi <= xmin && xmax <= r.rxfma && r.ryfmi <= ymin && ymax <= r.ryfma, "ranges hold every point");
  if (xmin < xmax) check(r.rxfmi == xmin && r.rxfma == xmax, "x range is the data's (within +-1e30)");
  if (ymin < ymax) check(r.ryfmi == ymin && r.ryfma == ymax, "y range is the data's (within +-1e30)");
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  fuzz::write_file("job.kvd", input);

  const std::vector<WordLine> lines = word_lines(input);
  for (const WordLine& line : lines)
    for (const std::string& word : line) check_word(word);

  plotcad::CurveScan scan;
  try {
    scan = plotcad::sckurv("job");
  } catch (const toolkit::Stopped&) {
    return;
  }
  if (scan.ncurv == 0) {
    check(lines.empty(), "no curves only in a file without words");
    return;
  }
  check(scan.mxpnt >= 1, "mxpnt at least 1");
  check(!scan.ionecv || scan.ncurv == 1, "one curve in the one-curve layout");
  check(scan.ionecv == (lines.front().size() == 2), "layout by the first line");

  Arrays a;
  toolkit::alloi1(a.npnt, scan.ncurv);
  bool stopped = false;
  try {
    plotcad::rdkurv(scan, "job", a.npnt, a.rxdat, a.rydat);
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  check(!stopped, "rdkurv takes every scan");
  check_read(scan, a, lines);
  check_range(scan, a);
  toolkit::freed2(a.rydat);
  toolkit::freed2(a.rxdat);
  toolkit::freei1(a.npnt);
}
