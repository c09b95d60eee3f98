#pragma once
// The curve data file jobname.kvd: numbered curves of x/y points, either
// counted (a point-count line before each curve's points) or one curve of
// bare point lines.

#include <cstdint>
#include <string_view>
#include <vector>

#include "toolkit/arrays.hpp"

namespace plotcad {

// What the first pass learns: the sizes of the arrays and the layout.
// The points read, curve after curve: x and y each in a heap block that
// grows as the file is read, so that the file is read once. Releases what
// it still holds.
class PointStore {
 public:
  PointStore() = default;
  PointStore(PointStore&& other) noexcept;
  PointStore& operator=(PointStore&& other) noexcept;
  ~PointStore();

  void add(double x, double y) {
    if (size_ == capacity_) grow();
    x_[size_] = x;
    y_[size_] = y;
    ++size_;
  }
  std::int64_t size() const { return size_; }
  const double* x() const { return x_; }
  const double* y() const { return y_; }

  // Hands over the blocks, shrunk to the points held, to the caller, who
  // releases them with std::free (or gives them to a matrix): the store is
  // empty afterwards.
  void release(double*& x, double*& y);

 private:
  void grow();
  double* x_ = nullptr;
  double* y_ = nullptr;
  std::int64_t size_ = 0;
  std::int64_t capacity_ = 0;
};

// What the file holds: the sizes of the arrays, the layout, and the curves.
struct CurveScan {
  int ncurv = 0;        // number of curves; 0 for a file without words
  int mxpnt = 0;        // largest number of points of a curve
  bool ionecv = false;  // one-curve layout
  std::vector<std::int32_t> counts;  // points of each curve
  PointStore points;
};

// Smallest and largest x and y over all points of all curves.
struct DataRange {
  double rxfmi, rxfma, ryfmi, ryfma;
};

// The least half width of a range: an axis of one value gets this much on
// each side.
inline constexpr double min_range = 1e-10;

// Where the search for the smallest and largest values starts: data that
// lie all above 1e30 (or all below -1e30) keep it as their minimum (maximum).
inline constexpr double no_data = 1e30;

// Makes an empty range around one value non-empty, as the data ranges are:
// 1e-10 on each side. Beyond 2^20 in magnitude that is lost in the last bit
// of the value, and the range stays empty.
void widen(double& lo, double& hi);

// As widen, and where the range stays empty, 1e-10 of the value on each
// side: for the window and the grid, which need a range.
void spread(double& lo, double& hi);

// Checks every line, counts, and keeps the points. Stops on any error in
// the file, with a context line on standard error.
CurveScan sckurv(std::string_view job);

// Makes the ncurv x mxpnt matrices of the points and fills npnt (ncurv
// entries) from the scan, after the progress line of their reading. Where
// every curve has mxpnt points, the scan's blocks become the matrices as
// they are; otherwise the curves are copied into new ones. Stops with
// "Memory allocation failed" when the matrices cannot be had.
void rdkurv(CurveScan& scan, std::string_view job, toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double>& rxdat,
            toolkit::Mat1<double>& rydat);

// The data ranges, widened by 1e-10 on each side where an axis holds a
// single value.
DataRange mmkurv(int ncurv, toolkit::Vec1<std::int32_t> npnt, toolkit::Mat1<double> rxdat,
                 toolkit::Mat1<double> rydat);

}  // namespace plotcad
