#include "plotcad/curvedata.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "plotcad/lines.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/platform.hpp"
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

// A point line that is not of the usual form: its words checked, then
// converted.
void take_point(const toolkit::Words& words, long long point, PointStore& points) {
  check_point(words, point);
  points.add(toolkit::toreal(words[0]), toolkit::toreal(words[1]));
}

// The one-curve layout, read again from the start: every line with words is
// a point.
int scan_one_curve(const std::string& path, PointStore& points) {
  const toolkit::FileOwner file = toolkit::openjob("", path, generic_name);
  Lines lines(file.get(), generic_name);
  int count = 0;
  double x;
  double y;
  for (;;) {
    const int words = lines.point(x, y);
    if (words == 0) break;
    const long long point = static_cast<long long>(count) + 1;
    if (words != Lines::pair) {
      if (words != 2) stop_point(point, "Invalid number of words in the line");
      check_point(lines.word, point);
    }
    if (count == INT_MAX) errmsg("Too many points in the curve");
    if (words == Lines::pair)
      points.add(x, y);
    else
      points.add(toolkit::toreal(lines.word[0]), toolkit::toreal(lines.word[1]));
    ++count;
  }
  if (count == 0) errmsg("N. of points must be greater than 0");
  return count;
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

PointStore::PointStore(PointStore&& other) noexcept { *this = std::move(other); }

PointStore& PointStore::operator=(PointStore&& other) noexcept {
  std::swap(x_, other.x_);
  std::swap(y_, other.y_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  return *this;
}

PointStore::~PointStore() {
  std::free(x_);
  std::free(y_);
}

void PointStore::grow() {
  // Half as much again each time: a block of the heap that grows in place
  // costs no copy, and its untouched end no memory.
  const std::int64_t capacity = capacity_ < 4096 ? 4096 : capacity_ + capacity_ / 2;
  if (capacity > PTRDIFF_MAX / static_cast<std::int64_t>(sizeof(double))) errmsg("Memory allocation failed");
  const auto bytes = static_cast<std::size_t>(capacity) * sizeof(double);
  void* x = toolkit::platform::heapgrow(x_, bytes);
  if (x == nullptr) errmsg("Memory allocation failed");
  x_ = static_cast<double*>(x);
  void* y = toolkit::platform::heapgrow(y_, bytes);
  if (y == nullptr) errmsg("Memory allocation failed");
  y_ = static_cast<double*>(y);
  capacity_ = capacity;
}

void PointStore::release(double*& x, double*& y) {
  // At least one element: a block of no size may be no block at all.
  const auto bytes = static_cast<std::size_t>(size_ > 0 ? size_ : 1) * sizeof(double);
  if (size_ < capacity_) {
    if (void* shrunk = toolkit::platform::heapgrow(x_, bytes)) x_ = static_cast<double*>(shrunk);
    if (void* shrunk = toolkit::platform::heapgrow(y_, bytes)) y_ = static_cast<double*>(shrunk);
  }
  x = std::exchange(x_, nullptr);
  y = std::exchange(y_, nullptr);
  size_ = capacity_ = 0;
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
      scan.mxpnt = scan_one_curve(path, scan.points);
      scan.ncurv = 1;
      scan.counts.push_back(scan.mxpnt);
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
      if (point_words == Lines::pair) {
        scan.points.add(x, y);
        continue;
      }
      if (point_words == 0) errmsg("Unexpected end of file");
      if (point_words != 2) stop_point(j, "Invalid number of words in the line");
      take_point(words, j, scan.points);
    }
    scan.counts.push_back(static_cast<std::int32_t>(n));
    if (k == INT_MAX) errmsg("Too many curves in the file");
  }
  return scan;
}

void rdkurv(CurveScan& scan, std::string_view job, toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double>& rxdat,
            toolkit::Mat1<double>& rydat) {
  const int ncurv = scan.ncurv;
  const int mxpnt = scan.mxpnt;
  const bool uniform = scan.points.size() == static_cast<std::int64_t>(ncurv) * mxpnt;
  if (uniform) {
    // The scan's blocks hold the matrices row after row already.
    double* x = nullptr;
    double* y = nullptr;
    scan.points.release(x, y);
    // Owned here until each matrix has taken its block.
    std::unique_ptr<double, decltype(&std::free)> own_x(x, &std::free);
    std::unique_ptr<double, decltype(&std::free)> own_y(y, &std::free);
    toolkit::adopd2(rxdat, own_x.get(), ncurv, mxpnt);
    own_x.release();
    toolkit::adopd2(rydat, own_y.get(), ncurv, mxpnt);
    own_y.release();
  } else {
    toolkit::allod2(rxdat, ncurv, mxpnt);
    toolkit::allod2(rydat, ncurv, mxpnt);
  }
  std::printf("\nReading file: %s\n", toolkit::mkname(job, ".kvd").c_str());

  std::int64_t at = 0;
  for (int i = 1; i <= ncurv; ++i) {
    const int n = scan.counts[static_cast<std::size_t>(i - 1)];
    npnt[i] = n;
    if (!uniform) {
      std::copy_n(scan.points.x() + at, n, &rxdat[i][1]);
      std::copy_n(scan.points.y() + at, n, &rydat[i][1]);
    }
    at += n;
  }
  scan.points = PointStore();
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
