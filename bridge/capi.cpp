// The C entry points of the core, loaded by the Python package through
// ctypes. Every fault becomes a message (ppt_error) and a failing return
// value: no C++ exception crosses this interface.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bridge/orders.hpp"
#include "bridge/records.hpp"
#include "bridge/zmfwrite.hpp"

namespace bridge {

namespace {

thread_local std::string last_fault;

// Runs body, turning what it throws into the thread's message: true when it
// ran through.
template <class Body>
bool guarded(Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
    last_fault = "out of memory";
  } catch (const std::exception& fault) {
    last_fault = fault.what();
  } catch (...) {
    last_fault = "unknown fault";
  }
  return false;
}

// A drawing being read: its records and, after the first pass, its runs of
// elements of equal node count (node count, elements).
struct Reading {
  Records records;
  std::vector<std::int64_t> runs;
};

}  // namespace

}  // namespace bridge

using bridge::guarded;

// Built with hidden visibility: these are the only symbols the library
// exports.
extern "C" {

// The message of the last fault of the calling thread.
[[gnu::visibility("default")]]
const char* ppt_error() { return bridge::last_fault.c_str(); }

// The cell types whose nodes the file lists in another order: the i-th
// one's name (null past the last), its positions copied to out (room for
// 32).
[[gnu::visibility("default")]]
const char* ppt_ordered_type(int i, std::int64_t* out, std::int64_t* count) {
  if (i < 0 || i >= static_cast<int>(std::size(bridge::ordered_types))) return nullptr;
  const std::string_view name = bridge::ordered_types[i];
  const auto positions = bridge::file_positions(name);
  std::copy(positions.begin(), positions.end(), out);
  *count = static_cast<std::int64_t>(positions.size());
  return name.data();
}

// Opens drawing `drawing` of the file at path, or of size bytes held in
// memory (bytes not null; name is then the file's name in messages); null
// on a fault.
[[gnu::visibility("default")]]
void* ppt_read_open(const char* path, const char* bytes, std::int64_t size, int drawing) {
  bridge::Reading* reading = nullptr;
  guarded([&] {
    reading = new bridge::Reading{
        bytes ? bridge::Records::over({bytes, static_cast<std::size_t>(size)}, path, drawing)
              : bridge::Records::open(path, drawing),
        {}};
  });
  return reading;
}

[[gnu::visibility("default")]]
void ppt_read_close(void* reading) { delete static_cast<bridge::Reading*>(reading); }

// The titles (their bytes and lengths) and the three counts.
[[gnu::visibility("default")]]
void ppt_read_head(void* handle, const char** header, std::int64_t* header_size, const char** label,
                           std::int64_t* label_size, std::int64_t* counts) {
  const bridge::Records& records = static_cast<bridge::Reading*>(handle)->records;
  *header = records.header().data();
  *header_size = static_cast<std::int64_t>(records.header().size());
  *label = records.label().data();
  *label_size = static_cast<std::int64_t>(records.label().size());
  counts[0] = records.elements();
  counts[1] = records.nodes();
  counts[2] = records.specials();
}

// The runs of elements of equal node count: guessed from the first element
// (one run of them all, as the suite's outputs are: one pass saved), or
// found by a first pass that reads and checks every element record. Their
// number, -1 on a fault.
[[gnu::visibility("default")]]
std::int64_t ppt_read_runs(void* handle, int guess) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  std::vector<std::int64_t>& runs = reading->runs;
  const bool ok = guarded([&] {
    runs.clear();
    bridge::Records& records = reading->records;
    records.restart();
    if (guess && records.elements() > 0) {
      runs = {static_cast<std::int64_t>(records.element().size()), records.elements()};
      return;
    }
    for (std::int64_t i = 0; i < records.elements(); ++i) {
      const auto width = static_cast<std::int64_t>(records.element().size());
      if (runs.empty() || runs[runs.size() - 2] != width) runs.insert(runs.end(), {width, 0});
      ++runs.back();
    }
  });
  return ok ? static_cast<std::int64_t>(runs.size() / 2) : -1;
}

// Reads and checks every record without keeping any: for counts that the
// file cannot hold, whose arrays are not worth allocating before the file
// says where it falls short. 0, or -1 on a fault.
[[gnu::visibility("default")]]
int ppt_read_check(void* handle) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  return guarded([&] { reading->records.check(); }) ? 0 : -1;
}

// The runs of the first pass: node count and elements, one pair each.
[[gnu::visibility("default")]]
void ppt_read_run_list(void* handle, std::int64_t* out) {
  const auto& runs = static_cast<bridge::Reading*>(handle)->runs;
  std::copy(runs.begin(), runs.end(), out);
}

// The second pass: the cells of each run (its node numbers from 0, in the
// order of the run's positions, or as the file lists them where those are
// null), the points (x y z rows) and the special nodes (from 0). 0; 1 when
// an element's node count is not its run's (guessed runs: find them, and
// fill again); -1 on a fault.
[[gnu::visibility("default")]]
int ppt_read_fill(void* handle, std::int64_t* const* cells, const std::int64_t* const* positions,
                          double* points, std::int64_t* specials) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  bool mismatch = false;
  const bool ok = guarded([&] {
    bridge::Records& records = reading->records;
    const std::vector<std::int64_t>& runs = reading->runs;
    records.restart();
    for (std::size_t r = 0; r < runs.size() / 2; ++r) {
      const std::int64_t width = runs[2 * r];
      std::int64_t* out = cells[r];
      const std::int64_t* order = positions[r];
      for (std::int64_t i = 0; i < runs[2 * r + 1]; ++i, out += width) {
        const std::span<const std::int64_t> nodes = records.element();
        if (static_cast<std::int64_t>(nodes.size()) != width) {
          mismatch = true;
          return;
        }
        if (order)
          for (std::int64_t k = 0; k < width; ++k) out[k] = nodes[static_cast<std::size_t>(order[k])] - 1;
        else
          for (std::int64_t k = 0; k < width; ++k) out[k] = nodes[static_cast<std::size_t>(k)] - 1;
      }
    }
    for (std::int64_t i = 0; i < records.nodes(); ++i, points += 3) {
      const std::array<double, 3> xyz = records.node();
      std::memcpy(points, xyz.data(), sizeof xyz);
    }
    for (std::int64_t i = 0; i < records.specials(); ++i) specials[i] = records.special() - 1;
  });
  return !ok ? -1 : mismatch ? 1 : 0;
}

// The first point (x y z rows) with a coordinate that is not finite, or -1.
[[gnu::visibility("default")]]
std::int64_t ppt_nonfinite(const double* points, std::int64_t count) {
  for (std::int64_t i = 0; i < 3 * count; ++i)
    if (!std::isfinite(points[i])) return i / 3;
  return -1;
}

// A writer of one drawing: its titles, the cell blocks (cells, their count
// and node count, and the positions of the block's type or null), the points
// (x y z rows) and the special nodes; null on a fault.
[[gnu::visibility("default")]]
void* ppt_write_open(const char* header, std::int64_t header_size, const char* label,
                             std::int64_t label_size, std::int64_t blocks, const std::int64_t* const* cells,
                             const std::int64_t* counts, const std::int64_t* widths,
                             const std::int64_t* const* positions, const double* points, std::int64_t nodes,
                             const std::int64_t* specials, std::int64_t count) {
  bridge::ZmfWriter* writer = nullptr;
  guarded([&] {
    std::vector<bridge::CellBlock> list;
    for (std::int64_t b = 0; b < blocks; ++b)
      list.push_back({cells[b], counts[b], widths[b],
                      positions[b] ? std::span<const std::int64_t>(positions[b], static_cast<std::size_t>(widths[b]))
                                   : std::span<const std::int64_t>()});
    writer = new bridge::ZmfWriter({header, static_cast<std::size_t>(header_size)},
                                   {label, static_cast<std::size_t>(label_size)}, std::move(list), points, nodes,
                                   specials, count);
  });
  return writer;
}

// The least size of a chunk's buffer.
[[gnu::visibility("default")]]
std::int64_t ppt_write_room(void* writer) {
  return static_cast<std::int64_t>(static_cast<bridge::ZmfWriter*>(writer)->room());
}

// The next whole lines formatted into out (size bytes, at least the room):
// their bytes, 0 once all are written.
[[gnu::visibility("default")]]
std::int64_t ppt_write_chunk(void* writer, char* out, std::int64_t size) {
  return static_cast<std::int64_t>(
      static_cast<bridge::ZmfWriter*>(writer)->chunk({out, static_cast<std::size_t>(size)}));
}

[[gnu::visibility("default")]]
void ppt_write_close(void* writer) { delete static_cast<bridge::ZmfWriter*>(writer); }

}  // extern "C"
