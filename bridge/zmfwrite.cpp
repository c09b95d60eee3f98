#include "bridge/zmfwrite.hpp"

#include <algorithm>
#include <utility>

#include "toolkit/numfmt.hpp"

namespace bridge {

namespace {

using toolkit::putcols;
using toolkit::putfixed;
using toolkit::putstr;

// The most a "%5d" field of a 64-bit number takes, its blank before it
// included.
constexpr std::size_t int_room = 24;
constexpr std::size_t node_room = int_room + 3 * (1 + toolkit::fixed_room) + 1;

std::size_t element_room(std::int64_t width) {
  return 2 * int_room + 4 + static_cast<std::size_t>(width) * int_room + 1;
}

}  // namespace

ZmfWriter::ZmfWriter(std::string header, std::string label, std::vector<CellBlock> blocks, const double* points,
                     std::int64_t nodes, const std::int64_t* specials, std::int64_t count)
    : header_(std::move(header)),
      label_(std::move(label)),
      blocks_(std::move(blocks)),
      points_(points),
      nodes_(nodes),
      specials_(specials),
      count_(count) {
  room_ = std::max(header_.size() + label_.size() + 2 + 3 * int_room + 8, node_room);
  for (const CellBlock& block : blocks_) {
    elements_ += block.count;
    room_ = std::max(room_, element_room(block.width));
    // The inverse of the positions: which of the cell's nodes stands at
    // each place of the file's list.
    std::vector<std::int64_t> order(static_cast<std::size_t>(block.width));
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<std::int64_t>(k);
    if (block.positions.size() == order.size())
      for (std::size_t k = 0; k < order.size(); ++k) order[static_cast<std::size_t>(block.positions[k])] = k;
    orders_.push_back(std::move(order));
  }
}

std::size_t ZmfWriter::chunk(std::span<char> out) {
  char* const first = out.data();
  char* p = first;
  char* const last = first + out.size();
  if (out.size() < room_) return 0;
  if (section_ == Section::titles) {
    p = putstr(p, header_);
    *p++ = '\n';
    p = putstr(p, label_);
    *p++ = '\n';
    p = putcols<5>(p, elements_);
    p = putcols<5>(putstr(p, "   "), nodes_);
    p = putcols<5>(putstr(p, "   "), count_);
    *p++ = '\n';
    section_ = Section::elements;
  }
  while (section_ == Section::elements) {
    if (block_ == blocks_.size()) {
      section_ = Section::nodes;
      row_ = 0;
      break;
    }
    const CellBlock& block = blocks_[block_];
    const std::int64_t* order = orders_[block_].data();
    const std::size_t need = element_room(block.width);
    const std::int64_t* cell = block.cells + row_ * block.width;
    for (; row_ < block.count; ++row_, ++number_, cell += block.width) {
      if (static_cast<std::size_t>(last - p) < need) return static_cast<std::size_t>(p - first);
      p = putcols<5>(p, number_);
      *p++ = ' ';
      p = putcols<5>(p, block.width);
      p = putstr(p, "   ");
      for (std::int64_t k = 0; k < block.width; ++k) {
        *p++ = ' ';
        p = putcols<5>(p, cell[order[k]] + 1);
      }
      *p++ = '\n';
    }
    ++block_;
    row_ = 0;
  }
  if (section_ == Section::nodes) {
    const double* xyz = points_ + 3 * row_;
    for (; row_ < nodes_; ++row_, xyz += 3) {
      if (static_cast<std::size_t>(last - p) < node_room) return static_cast<std::size_t>(p - first);
      p = putcols<5>(p, row_ + 1);
      for (int j = 0; j < 3; ++j) {
        *p++ = ' ';
        p = putfixed<8, 15>(p, xyz[j]);
      }
      *p++ = '\n';
    }
    section_ = Section::specials;
    row_ = 0;
  }
  if (section_ == Section::specials) {
    for (; row_ < count_; ++row_) {
      if (static_cast<std::size_t>(last - p) < 2 * int_room + 2) return static_cast<std::size_t>(p - first);
      p = putcols<5>(p, row_ + 1);
      *p++ = ' ';
      p = putcols<5>(p, specials_[row_] + 1);
      *p++ = '\n';
    }
    section_ = Section::done;
  }
  return static_cast<std::size_t>(p - first);
}

}  // namespace bridge
