#pragma once
// The mesh file as the reader plugin hands it to ParaView: the one place where
// the plugin meets the suite's reader of mesh files and its table of cell
// kinds. Plain C++, no VTK: the arrays are laid out as VTK's unstructured grid
// keeps them, in blocks that VTK's arrays adopt without a copy.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zmfreader {

// VTK's 64-bit integer, the type of its point numbers.
using Id = long long;
static_assert(sizeof(Id) == 8);

// A file that cannot be read, or a choice of cell types that is refused: one
// line, the file's name and line first where there is a file.
struct Fault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Values in one block from malloc, grown in place where realloc can; release()
// hands the block to a VTK array, which frees it.
template <class T>
class Block {
 public:
  Block() = default;
  Block(Block&& other) noexcept { *this = std::move(other); }
  Block& operator=(Block&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  ~Block() { std::free(data_); }

  T* data() const { return data_; }
  std::int64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::int64_t k) { return data_[k]; }

  // Room for n more values without another allocation.
  void reserve_more(std::int64_t n) {
    if (size_ + n > capacity_) allocate(size_ + n);
  }
  void push_back(T value) {
    if (size_ == capacity_) allocate(capacity_ < 1024 ? 1024 : capacity_ + capacity_ / 2);
    data_[size_++] = value;
  }
  void append(std::int64_t n, T value) {
    reserve_more(n);
    for (std::int64_t k = 0; k < n; ++k) data_[size_++] = value;
  }
  // The block, for std::free; the Block is empty after.
  T* release() {
    if (size_ < capacity_ && size_ > 0) allocate(size_);
    T* data = data_;
    data_ = nullptr;
    size_ = capacity_ = 0;
    return data;
  }

 private:
  void allocate(std::int64_t capacity) {
    void* grown = std::realloc(data_, static_cast<std::size_t>(capacity) * sizeof(T));
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    capacity_ = capacity;
  }

  T* data_ = nullptr;
  std::int64_t size_ = 0;
  std::int64_t capacity_ = 0;
};

// What is read: every drawing asked, one after the other, each with its own
// points (its nodes, or the window of them that the piece's cells use).
struct Mesh {
  std::string header;
  std::vector<std::string> labels;  // one per drawing read, in the file's order
  Block<double> points;             // x, y, z of each point
  Block<Id> offsets;                // cells + 1: where each cell's points start in connectivity
  Block<Id> connectivity;           // point numbers from 0, in VTK's node order
  Block<unsigned char> types;       // VTK's cell type of each cell
  Block<Id> drawing;                // per cell its drawing's number, when more than one is read
  Block<Id> special;                // per point 0 at a special node, -1 elsewhere, when a drawing has them
  bool marked = false;              // whether `special` is part of the output (a drawing has special nodes)
};

struct Request {
  std::string path;
  int drawing = 0;         // 0: every drawing of the file
  std::string cell_types;  // other cell types for node counts, "4=tetra,8=hexahedron" as ppt-convert -n
  int piece = 0;           // this piece of `pieces`: its share of each drawing's elements
  int pieces = 1;
};

// Reads the drawings asked. Every record of them is read and checked whatever
// the piece, so that every piece comes to the same verdict; a piece keeps its
// share of each drawing's elements (consecutive, each drawing split as
// ppt-convert -p splits the cells of a whole file, so a drawing of fewer
// elements than pieces lies in the last pieces) and the window of nodes
// they use, renumbered; a whole read (one piece)
// keeps every node. progress gets the part of the file read, from 0 to 1.
// Throws Fault; std::bad_alloc when memory runs out.
Mesh read(const Request& request, const std::function<void(double)>& progress);

}  // namespace zmfreader
