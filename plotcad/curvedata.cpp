#include "plotcad/curvedata.hpp"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "plotcad/lines.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

namespace {

using toolkit::chkint;
using toolkit::chkrea;
using toolkit::errmsg;

constexpr std::string_view generic_name = "jobname.kvd";

[[noreturn]] void stop_count(const char* message) {
  std::fputs("\nReading number of points\n", stderr);
  errmsg(message);
}

[[noreturn]] void stop_point(long long point, const char* message) {
  std::fprintf(stderr, "\nReading point n. %8lld\n", point);
  errmsg(message);
}

// Whether a real word that chkrea passed lies within the range of a double.
// A word of fewer than 200 characters with at most two exponent digits is
// below 10^(199+99), within the range (about 1.8e308): the first pass
// converts no such word.
constexpr std::size_t short_word = 200;
constexpr std::size_t short_exponent = 3;  // 'e' and two digits

bool in_range(const char* word) {
  const std::size_t n = std::strlen(word);
  const char* e = std::strpbrk(word, "eE");
  const bool large = n >= short_word || (e != nullptr && n - static_cast<std::size_t>(e - word) > short_exponent);
  return !large || std::isfinite(toolkit::toreal(word));
}

// Both words of a point line: the syntax of each, x first, then their
// values, so that a word that is no number is reported as such even after
// a number beyond the range of a double. Such a number would become an
// infinity and poison the ranges and the drawing.
void check_point(const toolkit::Words& words, long long point) {
  if (!chkrea(words[0]).ok || !chkrea(words[1]).ok) stop_point(point, "Syntax error");
  if (!in_range(words[0]) || !in_range(words[1])) stop_point(point, "Number out of range");
}

// The one-curve layout, read again from the start: every line with words is
// a point.
int scan_one_curve(const std::string& path) {
  const toolkit::FileOwner file = toolkit::openjob("", path, generic_name);
  Lines lines(file.get(), generic_name);
  int points = 0;
  double x;
  double y;
  for (;;) {
    const int count = lines.point(x, y);
    if (count == 0) break;
    const long long point = static_cast<long long>(points) + 1;
    if (count != Lines::pair) {
      if (count != 2) stop_point(point, "Invalid number of words in the line");
      check_point(lines.word, point);
    }
    if (points == INT_MAX) errmsg("Too many points in the curve");
    ++points;
  }
  if (points == 0) errmsg("N. of points must be greater than 0");
  return points;
}

// A point word of the second pass, checked again in full: the file may have
// changed since the first.
double point_value(const char* word) {
  if (!chkrea(word).ok) errmsg("rdkurv: internal error 7");
  const double value = toolkit::toreal(word);
  if (!std::isfinite(value)) errmsg("rdkurv: internal error 7");
  return value;
}

}  // namespace

void widen(double& lo, double& hi) {
  if (lo != hi) return;
  lo = lo - min_range;
  hi = hi + min_range;
}

void spread(double& lo, double& hi) {
  widen(lo, hi);
  if (lo != hi) return;
  const double d = std::fabs(lo) * min_range;
  lo = lo - d;
  hi = hi + d;
}

CurveScan sckurv(std::string_view job) {
  const std::string path = toolkit::mkname(job, ".kvd");
  toolkit::FileOwner file = toolkit::openjob("Scanning", path, generic_name);
  CurveScan scan;
  std::printf("\n");

  Lines lines(file.get(), generic_name);
  const toolkit::Words& words = lines.word;
  for (int k = 1;; ++k) {
    const int count = lines.words();
    if (count == 0) {
      scan.ncurv = k - 1;
      break;
    }
    if (k == 1 && count == 2) {
      file.reset();
      scan.ionecv = true;
      scan.mxpnt = scan_one_curve(path);
      scan.ncurv = 1;
      return scan;
    }
    if (count != 1) stop_count("Invalid number of words in the line");
    if (!chkint(words[0]).ok) stop_count("Syntax error");
    std::int64_t n = 0;
    if (!toolkit::toint(words[0], n) || !toolkit::fits32(n)) stop_count("Number out of range");
    std::printf("%8d - number of points = %8d\n", k, static_cast<int>(n));
    if (n < 1) errmsg("N. of points must be greater than 0");
    if (n > scan.mxpnt) scan.mxpnt = static_cast<int>(n);
    double x;
    double y;
    for (int j = 1; j <= n; ++j) {
      const int point_words = lines.point(x, y);
      if (point_words == Lines::pair) continue;
      if (point_words == 0) errmsg("Unexpected end of file");
      if (point_words != 2) stop_point(j, "Invalid number of words in the line");
      check_point(words, j);
    }
    if (k == INT_MAX) errmsg("Too many curves in the file");
  }
  return scan;
}

void rdkurv(int mxpnt, int ncurv, bool ionecv, std::string_view job, toolkit::Vec1<std::int32_t> npnt,
            toolkit::Mat1<double> rxdat, toolkit::Mat1<double> rydat) {
  const std::string path = toolkit::mkname(job, ".kvd");
  const toolkit::FileOwner file = toolkit::openjob("Reading", path, generic_name);
  Lines lines(file.get(), generic_name);
  const toolkit::Words& words = lines.word;

  for (int i = 1; i <= ncurv; ++i) {
    if (ionecv) {
      npnt[i] = mxpnt;
      if (ncurv != 1) errmsg("rdkurv: internal error 1");
    } else {
      const int count = lines.words();
      if (count == 0) errmsg("rdkurv: internal error 2");
      if (count != 1) errmsg("rdkurv: internal error 3");
      if (!chkint(words[0]).ok) errmsg("rdkurv: internal error 4");
      // The rows hold mxpnt points: a count that grew since the first pass
      // must not write past them.
      std::int64_t n = 0;
      toolkit::toint(words[0], n);
      if (n < 1 || n > mxpnt) errmsg("rdkurv: internal error 8 (point count not as scanned)");
      npnt[i] = static_cast<std::int32_t>(n);
    }
    double* xs = &rxdat[i][1];
    double* ys = &rydat[i][1];
    const int n = npnt[i];
    for (int j = 0; j < n; ++j) {
      const int count = lines.point(xs[j], ys[j]);
      if (count == Lines::pair) continue;
      if (count == 0) errmsg("rdkurv: internal error 5");
      if (count != 2) errmsg("rdkurv: internal error 6");
      xs[j] = point_value(words[0]);
      ys[j] = point_value(words[1]);
    }
  }
}

DataRange mmkurv(int ncurv, toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat,
                 toolkit::Mat1<double> rydat) {
  DataRange r{no_data, -no_data, no_data, -no_data};
  for (int i = 1; i <= ncurv; ++i) {
    const double* xs = &rxdat[i][1];
    const double* ys = &rydat[i][1];
    for (int j = 0; j < npnt[i]; ++j) {
      const double x = xs[j];
      if (x < r.rxfmi) r.rxfmi = x;
      if (x > r.rxfma) r.rxfma = x;
      const double y = ys[j];
      if (y < r.ryfmi) r.ryfmi = y;
      if (y > r.ryfma) r.ryfma = y;
    }
  }
  widen(r.rxfmi, r.rxfma);
  widen(r.ryfmi, r.ryfma);
  if (r.rxfmi > r.rxfma) {
    r.rxfmi = -min_range;
    r.rxfma = min_range;
  }
  if (r.ryfmi > r.ryfma) {
    r.ryfmi = -min_range;
    r.ryfma = min_range;
  }
  return r;
}

}  // namespace plotcad
