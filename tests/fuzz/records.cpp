// Fuzz target: the mesh file's reader (meshfile), as the core reads. The
// input is the mesh file, read in memory; its size chooses the drawing (1 or
// 2). Every record is read twice (restart), the same both times, each node
// number within the node count; a fault is one line.

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "meshfile/reader.hpp"
#include "tests/fuzz/support.hpp"

namespace {

using fuzz::check;

// Counts beyond this are read only as far as the records go: the reader is
// the subject, not the size of the heap.
constexpr std::int64_t max_kept = 1 << 16;

// Every record of a pass, as far as the first fault; false at the fault.
bool pass(meshfile::Reader& reader, std::vector<std::int64_t>& seen) {
  std::span<const std::int64_t> nodes;
  for (std::int64_t i = 0; i < reader.elements(); ++i) {
    if (!reader.element(nodes)) return false;
    for (const std::int64_t node : nodes) {
      check(node >= 1 && node <= reader.nodes(), "element node out of range");
      if (static_cast<std::int64_t>(seen.size()) < max_kept) seen.push_back(node);
    }
  }
  std::array<double, 3> xyz;
  for (std::int64_t i = 0; i < reader.nodes(); ++i) {
    if (!reader.node(xyz)) return false;
    std::int64_t bits[3];
    std::memcpy(bits, xyz.data(), sizeof bits);
    if (static_cast<std::int64_t>(seen.size()) < max_kept) seen.insert(seen.end(), bits, bits + 3);
  }
  std::int64_t node = 0;
  for (std::int64_t i = 0; i < reader.specials(); ++i) {
    if (!reader.special(node)) return false;
    check(node >= 1 && node <= reader.nodes(), "special node out of range");
    if (static_cast<std::int64_t>(seen.size()) < max_kept) seen.push_back(node);
  }
  return true;
}

}  // namespace

void fuzz::one_input(std::string_view file) {
  meshfile::Reader reader(meshfile::over_bytes(file));
  bool whole = reader.open(1 + static_cast<std::int64_t>(file.size() % 2));
  if (whole) {
    std::vector<std::int64_t> first;
    whole = pass(reader, first);
    if (whole) {
      std::vector<std::int64_t> second;
      check(reader.restart() && pass(reader, second) && second == first, "the second pass read other records");
    }
  }
  if (!whole) {
    check(static_cast<bool>(reader.fault()), "a pass ends whole or at a fault");
    check(meshfile::describe(reader.fault()).find('\n') == std::string::npos, "a message of more than one line");
  }
}
