#pragma once
// Mesh file records formatted as rodmesh writes them, chunk by chunk into a
// caller's buffer, so that the caller writes each chunk wherever it goes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bridge {

// Cells of one node count, their nodes numbered from 0, listed in the
// order of positions (entry k: the place in the file's list of the cell's
// node k; empty: the file's own order).
struct CellBlock {
  const std::int64_t* cells;
  std::int64_t count;
  std::int64_t width;
  std::span<const std::int64_t> positions;
};

class ZmfWriter {
 public:
  // One drawing: the titles, the cell blocks (in the order their elements
  // are numbered), nodes x y z rows of points and the special nodes
  // (numbered from 0). The arrays must outlive the writer.
  ZmfWriter(std::string header, std::string label, std::vector<CellBlock> blocks, const double* points,
            std::int64_t nodes, const std::int64_t* specials, std::int64_t count);

  // The least room a chunk needs: the longest line there is to write.
  std::size_t room() const { return room_; }

  // Formats the next whole lines into out (of at least room() bytes); the
  // bytes written, 0 once everything is.
  std::size_t chunk(std::span<char> out);

 private:
  enum class Section { titles, elements, nodes, specials, done };
  std::string header_;
  std::string label_;
  std::vector<CellBlock> blocks_;
  std::vector<std::vector<std::int64_t>> orders_;  // per block: the cell's node at each file place
  const double* points_;
  std::int64_t nodes_;
  const std::int64_t* specials_;
  std::int64_t count_;
  std::int64_t elements_ = 0;
  std::size_t room_ = 0;

  Section section_ = Section::titles;
  std::size_t block_ = 0;
  std::int64_t row_ = 0;     // within the block or section
  std::int64_t number_ = 1;  // the next element's number
};

}  // namespace bridge
