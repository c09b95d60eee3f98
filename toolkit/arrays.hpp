#pragma once
// One-based vectors and matrices of reals and of 32-bit integers.
//
// A vector is one heap block used as v[1] .. v[n]. A matrix is a vector of
// row handles into one block that holds the whole matrix row after row, so
// m[i][j] is element (i-1)*columns + (j-1) of that block and the matrix can
// also be walked as one run starting at m[1][1].

#include <cstddef>
#include <cstdint>

namespace toolkit {

// The handle of a one-based vector. It keeps the block's own address and
// subtracts one on access: an address one element before a block cannot be
// formed in C++.
template <class T>
struct Vec1 {
  T* block = nullptr;

  T& operator[](std::ptrdiff_t i) { return block[i - 1]; }
  const T& operator[](std::ptrdiff_t i) const { return block[i - 1]; }
  explicit operator bool() const { return block != nullptr; }
  // The first element, for code that walks the block as one run.
  T* data() const { return block; }
};

template <class T>
using Mat1 = Vec1<Vec1<T>>;

void allod1(Vec1<double>& v, int n);
void alloi1(Vec1<std::int32_t>& v, int n);
void allod2(Mat1<double>& m, int rows, int columns);
void alloi2(Mat1<std::int32_t>& m, int rows, int columns);

void zerod1(Vec1<double> v, int n);
void zeroi1(Vec1<std::int32_t> v, int n);
void zerod2(Mat1<double> m, int rows, int columns);

// A matrix over a block of rows x columns elements, row after row, taken from
// the heap elsewhere (platform::heapblock or heapgrow): the matrix owns it
// from here on, and freed2 releases it.
void adopd2(Mat1<double>& m, double* block, int rows, int columns);

void freed1(Vec1<double> v);
void freei1(Vec1<std::int32_t> v);
void freed2(Mat1<double> m);
void freei2(Mat1<std::int32_t> m);

}  // namespace toolkit
