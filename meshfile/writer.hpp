#pragma once
// A drawing held in arrays, written in the mesh file's layout
// (layout.hpp) chunk by chunk into a caller's buffer, so that the caller
// writes each chunk wherever it goes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "meshfile/layout.hpp"

namespace meshfile {

// Cells of one node count, `width` node numbers from 0 each, row after row,
// each row in meshio's order of its kind: `file` (CellKind::file) gives the
// place in the file's list of its node k; empty: the file's own order.
struct CellBlock {
  const std::int64_t* cells;
  std::int64_t count;
  std::int64_t width;
  std::span<const int> file;
};

class Writer {
 public:
  // One drawing: the header line (none for a drawing after the first), its
  // label, the cell blocks (in the order their elements are numbered),
  // nodes x y z rows of points and the special nodes (numbered from 0).
  // The arrays must outlive the writer.
  Writer(const std::string* header, std::string label, std::vector<CellBlock> blocks, const double* points,
         std::int64_t nodes, const std::int64_t* specials, std::int64_t count);

  // The least room a chunk needs: the longest line there is to write.
  std::size_t room() const { return room_; }

  // Formats the next whole lines into out (of at least room() bytes); the
  // bytes written, 0 once everything is.
  std::size_t chunk(std::span<char> out);

 private:
  enum class Section { titles, elements, nodes, specials, done };
  bool with_header_;
  std::string header_;
  std::string label_;
  std::vector<CellBlock> blocks_;
  std::vector<std::vector<std::int64_t>> orders_;  // per block: the cell's node at each place of the file's list
  const double* points_;
  std::int64_t nodes_;
  const std::int64_t* specials_;
  std::int64_t count_;
  std::int64_t elements_ = 0;
  std::size_t room_ = 0;

  Section section_ = Section::titles;
  std::size_t block_ = 0;
  std::int64_t row_ = 0;  // within the block or section
  Numbering number_{1};   // of the next record of the section
};

}  // namespace meshfile
