#include "toolkit/arrays.hpp"

#include <cstdlib>
#include <limits>
#include <string>

#include "toolkit/diagnostics.hpp"
#include "toolkit/platform.hpp"

namespace toolkit {

namespace {

// Whether count elements have a size that the heap can be asked for: the
// size is computed in 64 bits, and one that does not fit is an allocation
// failure, never a short block.
template <class T>
bool fits(std::int64_t count) {
  return count <= static_cast<std::int64_t>(std::numeric_limits<std::size_t>::max() / sizeof(T)) &&
         count <= std::numeric_limits<std::int64_t>::max() / static_cast<std::int64_t>(sizeof(T));
}

// Requests count elements (at least one) from the heap.
template <class T>
T* request(std::int64_t count) {
  if (count < 1) count = 1;
  if (!fits<T>(count)) errmsg("Memory allocation failed");
  void* block = platform::heapblock(static_cast<std::size_t>(count) * sizeof(T));
  if (block == nullptr) errmsg("Memory allocation failed");
  return static_cast<T*>(block);
}

void check_count(const char* routine, std::int64_t count) {
  if (count < 0) errmsg(std::string(routine) + ": internal error 1 (negative count)");
}

// Points the row handles 2 .. rows at their places in the block of row 1.
template <class T>
void link_rows(Mat1<T>& m, int rows, int columns) {
  for (int i = 2; i <= rows; ++i) m[i].block = m[i - 1].block + columns;
}

template <class T>
void allocate(const char* routine, Vec1<T>& v, int n) {
  check_count(routine, n);
  v.block = request<T>(n);
}

template <class T>
void allocate(const char* routine, Mat1<T>& m, int rows, int columns) {
  check_count(routine, rows);
  check_count(routine, columns);
  // An element block that no heap could give fails before the row handles
  // are requested: the outcome is the same, without reserving them in vain.
  const std::int64_t count = static_cast<std::int64_t>(rows) * columns;
  if (!fits<T>(count)) errmsg("Memory allocation failed");
  m.block = request<Vec1<T>>(rows);
  m[1].block = request<T>(count);
  link_rows(m, rows, columns);
}

template <class T>
void release(const char* routine, Vec1<T> v) {
  if (!v) errmsg(std::string(routine) + ": unexpected null pointer");
  std::free(v.block);
}

template <class T>
void release(const char* routine, Mat1<T> m) {
  if (!m || !m[1]) errmsg(std::string(routine) + ": unexpected null pointer");
  std::free(m[1].block);
  std::free(m.block);
}

}  // namespace

void allod1(Vec1<double>& v, int n) { allocate("allod1", v, n); }
void alloi1(Vec1<std::int32_t>& v, int n) { allocate("alloi1", v, n); }
void allod2(Mat1<double>& m, int rows, int columns) { allocate("allod2", m, rows, columns); }
void alloi2(Mat1<std::int32_t>& m, int rows, int columns) { allocate("alloi2", m, rows, columns); }

void adopd2(Mat1<double>& m, double* block, int count, int columns) {
  check_count("adopd2", count);
  check_count("adopd2", columns);
  if (block == nullptr) errmsg("adopd2: unexpected null pointer");
  m.block = request<Vec1<double>>(count);
  m[1].block = block;
  link_rows(m, count, columns);
}

void zerod1(Vec1<double> v, int n) {
  for (int i = 1; i <= n; ++i) v[i] = 0.0;
}

void zeroi1(Vec1<std::int32_t> v, int n) {
  for (int i = 1; i <= n; ++i) v[i] = 0;
}

void zerod2(Mat1<double> m, int rows, int columns) {
  if (rows < 1 || columns < 1) return;
  for (int i = 1; i <= rows; ++i)
    for (int j = 1; j <= columns; ++j) m[i][j] = 0.0;
}

void freed1(Vec1<double> v) { release("freed1", v); }
void freei1(Vec1<std::int32_t> v) { release("freei1", v); }
void freed2(Mat1<double> m) { release("freed2", m); }
void freei2(Mat1<std::int32_t> m) { release("freei2", m); }

}  // namespace toolkit
