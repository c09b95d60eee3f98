#include "plotcad/curvedata.hpp"

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "plotcad/linereader.hpp"
#include "plotcad/numbers.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/fileowner.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/linein.hpp"
#include "toolkit/numcheck.hpp"
#include "toolkit/scanning.hpp"

namespace plotcad {

namespace {

using toolkit::chkint;
using toolkit::errmsg;

toolkit::FileOwner open_data(const std::string& path) {
  toolkit::FileOwner file(toolkit::openin(path));
  if (!file) errmsg("File not found - jobname.kvd");
  return file;
}

// Reads lines until one has words; 0 at the end of the file.
int next_words(LineReader& reader, toolkit::Words& words) {
  while (reader.next()) {
    const int count = toolkit::splitw(reader.line(), words);
    if (count > 0) return count;
  }
  return 0;
}

// What next_point gives for a usual point line, read without splitting.
constexpr int pair_read = -1;

// Reads lines until one has words, as next_words does; the usual point line
// gives its two values instead of its words (pair_read), which saves the
// split and the separate conversions of the two passes over the data.
int next_point(LineReader& reader, toolkit::Words& words, double& x, double& y) {
  for (;;) {
    // A line of nothing but the two numbers and blanks is taken where it
    // lies: it can hold no NUL byte nor carriage return to report.
    const char* text;
    std::size_t length;
    bool whole = false;
    if (reader.peek(text, length) && fastpair(text, length, x, y, whole) && whole) {
      reader.skip();
      return pair_read;
    }
    if (!reader.next()) return 0;
    if (fastpair(reader.text(), reader.length(), x, y)) return pair_read;
    const int count = toolkit::splitw(reader.line(), words);
    if (count > 0) return count;
  }
}

[[noreturn]] void stop_count(const char* message) {
  std::fputs("\nReading number of points\n", stderr);
  errmsg(message);
}

[[noreturn]] void stop_point(long long point, const char* message) {
  std::fprintf(stderr, "\nReading point n. %8lld\n", point);
  errmsg(message);
}

// A point word that passes the syntax check but lies beyond the range of a
// double would become an infinity and poison the ranges and the drawing.
bool in_range(const char* word) { return !mayovf(word) || std::isfinite(toreal(word)); }

// A point word of a less usual form, checked in full (a file that changed
// since the first pass may hold anything).
double slowreal(const char* word) {
  if (!isreal(word)) errmsg("rdkurv: internal error 7");
  const double value = toreal(word);
  if (!std::isfinite(value)) errmsg("rdkurv: internal error 7");
  return value;
}

// Both words of a point line: syntax, then range, x first.
void check_point(toolkit::Words& words, long long point) {
  for (int w = 0; w < 2; ++w) {
    double value;
    if (fastreal(words[w], value)) continue;
    if (!isreal(words[w])) stop_point(point, "Syntax error");
    if (!in_range(words[w])) stop_point(point, "Number out of range");
  }
}

// The one-curve layout, read again from the start: every line with words is
// a point.
int scan_one_curve(const std::string& path) {
  const toolkit::FileOwner file = open_data(path);
  LineReader reader(file.get(), "jobname.kvd");
  toolkit::Words words;
  int points = 0;
  double x;
  double y;
  for (;;) {
    const int count = next_point(reader, words, x, y);
    if (count == 0) break;
    const long long point = static_cast<long long>(points) + 1;
    if (count != pair_read) {
      if (count != 2) stop_point(point, "Invalid number of words in the line");
      check_point(words, point);
    }
    if (points == INT_MAX) errmsg("Too many points in the curve");
    ++points;
  }
  if (points == 0) errmsg("N. of points must be greater than 0");
  return points;
}

}  // namespace

CurveScan sckurv(std::string_view job) {
  const std::string path = toolkit::mkname(job, ".kvd");
  std::printf("\nScanning file: %s\n", path.c_str());
  toolkit::FileOwner file = open_data(path);
  CurveScan scan;
  std::printf("\n");

  LineReader reader(file.get(), "jobname.kvd");
  toolkit::Words words;
  for (int k = 1;; ++k) {
    const int count = next_words(reader, words);
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
    std::int32_t n = 0;
    if (!toint(words[0], n)) stop_count("Number out of range");
    std::printf("%8d - number of points = %8d\n", k, n);
    if (n < 1) errmsg("N. of points must be greater than 0");
    if (n > scan.mxpnt) scan.mxpnt = n;
    double x;
    double y;
    for (int j = 1; j <= n; ++j) {
      const int point_words = next_point(reader, words, x, y);
      if (point_words == pair_read) continue;
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
  std::printf("\nReading file: %s\n", path.c_str());
  const toolkit::FileOwner file = open_data(path);
  LineReader reader(file.get(), "jobname.kvd");
  toolkit::Words words;

  for (int i = 1; i <= ncurv; ++i) {
    if (ionecv) {
      npnt[i] = mxpnt;
      if (ncurv != 1) errmsg("rdkurv: internal error 1");
    } else {
      const int count = next_words(reader, words);
      if (count == 0) errmsg("rdkurv: internal error 2");
      if (count != 1) errmsg("rdkurv: internal error 3");
      if (!chkint(words[0]).ok) errmsg("rdkurv: internal error 4");
      // The rows hold mxpnt points: a count that grew since the first pass
      // must not write past them.
      const std::int64_t n = toclamp(words[0]);
      if (n < 1 || n > mxpnt) errmsg("rdkurv: internal error 8 (point count not as scanned)");
      npnt[i] = static_cast<std::int32_t>(n);
    }
    double* xs = &rxdat[i][1];
    double* ys = &rydat[i][1];
    const int n = npnt[i];
    for (int j = 0; j < n; ++j) {
      const int count = next_point(reader, words, xs[j], ys[j]);
      if (count == pair_read) continue;
      if (count == 0) errmsg("rdkurv: internal error 5");
      if (count != 2) errmsg("rdkurv: internal error 6");
      if (!fastreal(words[0], xs[j])) xs[j] = slowreal(words[0]);
      if (!fastreal(words[1], ys[j])) ys[j] = slowreal(words[1]);
    }
  }
}

DataRange mmkurv(int ncurv, toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat,
                 toolkit::Mat1<double> rydat) {
  DataRange r{1e30, -1e30, 1e30, -1e30};
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
  if (r.rxfmi == r.rxfma) {
    r.rxfmi = r.rxfmi - 1e-10;
    r.rxfma = r.rxfma + 1e-10;
  }
  if (r.ryfmi == r.ryfma) {
    r.ryfmi = r.ryfmi - 1e-10;
    r.ryfma = r.ryfma + 1e-10;
  }
  if (r.rxfmi > r.rxfma) {
    r.rxfmi = -1e-10;
    r.rxfma = 1e-10;
  }
  if (r.ryfmi > r.ryfma) {
    r.ryfmi = -1e-10;
    r.ryfma = 1e-10;
  }
  return r;
}

}  // namespace plotcad
