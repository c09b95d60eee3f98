// Fuzz target: the record reader of the Python package's native core. The
// input is the mesh file, read in memory; its size chooses the drawing (1 or
// 2). Every record is read twice (restart), the same both times, each node
// number within the node count.

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "bridge/records.hpp"
#include "tests/fuzz/support.hpp"

namespace {

using fuzz::check;

// Counts beyond this are read only as far as the records go: the reader is
// the subject, not the size of the heap.
constexpr std::int64_t max_kept = 1 << 16;

}  // namespace

void fuzz::one_input(std::string_view file) {
  try {
    bridge::Records records = bridge::Records::over(file, "fuzz.zmf", 1 + static_cast<int>(file.size() % 2));
    std::vector<std::int64_t> first;
    for (int pass = 0; pass < 2; ++pass, records.restart()) {
      std::vector<std::int64_t> seen;
      for (std::int64_t i = 0; i < records.elements(); ++i)
        for (const std::int64_t node : records.element()) {
          check(node >= 1 && node <= records.nodes(), "element node out of range");
          if (static_cast<std::int64_t>(seen.size()) < max_kept) seen.push_back(node);
        }
      for (std::int64_t i = 0; i < records.nodes(); ++i) {
        const std::array<double, 3> xyz = records.node();
        std::int64_t bits[3];
        std::memcpy(bits, xyz.data(), sizeof bits);
        if (static_cast<std::int64_t>(seen.size()) < max_kept) seen.insert(seen.end(), bits, bits + 3);
      }
      for (std::int64_t i = 0; i < records.specials(); ++i) {
        const std::int64_t node = records.special();
        check(node >= 1 && node <= records.nodes(), "special node out of range");
        if (static_cast<std::int64_t>(seen.size()) < max_kept) seen.push_back(node);
      }
      if (pass == 0)
        first = seen;
      else
        check(seen == first, "the second pass read other records");
    }
  } catch (const bridge::Fault& fault) {
    check(std::strchr(fault.what(), '\n') == nullptr, "a message of more than one line");
  }
}
