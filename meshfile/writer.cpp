#include "meshfile/writer.hpp"

#include <algorithm>
#include <utility>

namespace meshfile {

Writer::Writer(const std::string* header, std::string label, std::vector<CellBlock> blocks, const double* points,
               std::int64_t nodes, const std::int64_t* specials, std::int64_t count)
    : with_header_(header != nullptr),
      header_(header ? *header : std::string()),
      label_(std::move(label)),
      blocks_(std::move(blocks)),
      points_(points),
      nodes_(nodes),
      specials_(specials),
      count_(count) {
  room_ = std::max({header_.size() + label_.size() + 2 + counts_room, node_room, special_room});
  for (const CellBlock& block : blocks_) {
    elements_ += block.count;
    room_ = std::max(room_, element_room(block.width));
    // The inverse of the places: which of the cell's nodes stands at each
    // place of the file's list.
    std::vector<std::int64_t> order(static_cast<std::size_t>(block.width));
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<std::int64_t>(k);
    if (block.file.size() == order.size())
      for (std::size_t k = 0; k < order.size(); ++k) order[static_cast<std::size_t>(block.file[k])] = k;
    orders_.push_back(std::move(order));
  }
}

std::size_t Writer::chunk(std::span<char> out) {
  char* const first = out.data();
  char* p = first;
  char* const last = first + out.size();
  if (out.size() < room_) return 0;
  if (section_ == Section::titles) {
    if (with_header_) {
      p = put_titles(p, header_, label_);
    } else {
      p = toolkit::putstr(p, label_);
      *p++ = '\n';
    }
    p = put_counts(p, elements_, nodes_, count_);
    section_ = Section::elements;
  }
  while (section_ == Section::elements) {
    if (block_ == blocks_.size()) {
      section_ = Section::nodes;
      row_ = 0;
      number_ = Numbering(1);
      break;
    }
    const CellBlock& block = blocks_[block_];
    const std::int64_t* order = orders_[block_].data();
    const std::size_t need = element_room(block.width);
    const std::int64_t* cell = block.cells + row_ * block.width;
    for (; row_ < block.count; ++row_, number_.next(), cell += block.width) {
      if (static_cast<std::size_t>(last - p) < need) return static_cast<std::size_t>(p - first);
      p = put_element_start(p, number_, block.width);
      for (std::int64_t k = 0; k < block.width; ++k) p = put_element_node(p, cell[order[k]] + 1);
      *p++ = '\n';
    }
    ++block_;
    row_ = 0;
  }
  if (section_ == Section::nodes) {
    const double* xyz = points_ + 3 * row_;
    for (; row_ < nodes_; ++row_, xyz += 3, number_.next()) {
      if (static_cast<std::size_t>(last - p) < node_room) return static_cast<std::size_t>(p - first);
      p = put_node(p, number_, xyz);
    }
    section_ = Section::specials;
    row_ = 0;
    number_ = Numbering(1);
  }
  if (section_ == Section::specials) {
    for (; row_ < count_; ++row_, number_.next()) {
      if (static_cast<std::size_t>(last - p) < special_room) return static_cast<std::size_t>(p - first);
      p = put_special(p, number_, specials_[row_] + 1);
    }
    section_ = Section::done;
  }
  return static_cast<std::size_t>(p - first);
}

}  // namespace meshfile
