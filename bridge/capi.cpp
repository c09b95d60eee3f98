// The C entry points of the core, loaded by the Python package through
// ctypes. One convention for faults: an entry that can fail takes a buffer
// for the fault's one line last (message, size), and says it failed by its
// return value (a null handle, or a negative number). No C++ exception
// crosses this interface, and the core keeps no state of its own beyond the
// handles it gives out: each reading, writing and conversion is one.

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/fault.hpp"
#include "bridge/vtu.hpp"
#include "meshfile/cells.hpp"
#include "meshfile/reader.hpp"
#include "meshfile/writer.hpp"

namespace bridge {

namespace {

void tell(const std::string& what, char* message, std::size_t size) {
  if (message == nullptr || size == 0) return;
  const std::size_t n = std::min(what.size(), size - 1);
  std::memcpy(message, what.data(), n);
  message[n] = '\0';
}

// Runs body, its fault told in the caller's buffer: true when it ran through.
template <class Body>
bool guarded(char* message, std::size_t size, Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
    tell("out of memory", message, size);
  } catch (const std::exception& fault) {
    tell(fault.what(), message, size);
  } catch (...) {
    tell("unknown fault", message, size);
  }
  return false;
}

// The table of cell kinds as text, a kind a line: "name nodes corners vtk
// dimension default file vtk-order triangles faces", each list
// comma-separated ("-" when empty), the faces "kind:nodes" separated by ";".
std::string kinds_text() {
  auto list = [](std::span<const int> values) {
    std::string text;
    for (const int v : values) text += (text.empty() ? "" : ",") + std::to_string(v);
    return text.empty() ? std::string("-") : text;
  };
  std::string text;
  for (const meshfile::CellKind& kind : meshfile::cell_kinds()) {
    std::string faces;
    for (const auto& face : kind.faces)
      faces += (faces.empty() ? "" : ";") + std::string(face.kind) + ":" + list(face.nodes);
    text += std::string(kind.name) + " " + std::to_string(kind.nodes) + " " + std::to_string(kind.corners) + " " +
            std::to_string(kind.vtk) + " " +
            std::to_string(kind.dimension) + " " + (kind.read_by_default ? "1" : "0") + " " + list(kind.file) + " " +
            list(kind.vtk_order) + " " + list(kind.triangles) + " " + (faces.empty() ? "-" : faces) + "\n";
  }
  return text;
}

// The places in the file's list of a kind's nodes, for a block of cells of
// that width: none when the kind lists them as meshio does.
std::span<const int> file_places(const char* name, std::int64_t width) {
  const meshfile::CellKind* kind = name ? meshfile::kind_named(name) : nullptr;
  if (kind == nullptr || static_cast<std::int64_t>(kind->file.size()) != width) return {};
  return kind->file;
}

// A drawing being read: its records and, after the first pass, its runs of
// elements of equal node count (node count, elements).
struct Reading {
  std::string name;
  meshfile::Reader reader;
  std::vector<std::int64_t> runs;

  [[noreturn]] void fail() const { throw Fault(name + ": " + meshfile::describe(reader.fault())); }
};

// A conversion to .vtu: its options and its own request to stop.
struct Conversion {
  std::string input, output;
  vtu::Options options;
  std::atomic<bool> stop{false};
  vtu::Written written;
};

}  // namespace

}  // namespace bridge

using bridge::guarded;

// Built with hidden visibility: these are the only symbols the library
// exports.
extern "C" {

// The table of cell kinds (see kinds_text); a text of the library's own.
[[gnu::visibility("default")]]
const char* ppt_cell_kinds() {
  static const std::string text = bridge::kinds_text();
  return text.c_str();
}

// Opens drawing `drawing` (from 1) of the file at path, or of size bytes
// held in memory (bytes not null; path is then the file's name in
// messages); null on a fault.
[[gnu::visibility("default")]]
void* ppt_read_open(const char* path, const char* bytes, std::int64_t size, std::int64_t drawing, char* message,
                    std::size_t message_size) {
  std::unique_ptr<bridge::Reading> reading;
  const bool ok = guarded(message, message_size, [&] {
    std::unique_ptr<meshfile::Source> source;
    if (bytes) {
      source = meshfile::over_bytes({bytes, static_cast<std::size_t>(size)});
    } else {
      std::string failure;
      source = meshfile::open_file(path, failure);
      if (!source) throw bridge::Fault(std::string(path) + ": " + failure);
    }
    reading.reset(new bridge::Reading{path, meshfile::Reader(std::move(source)), {}});
    if (!reading->reader.open(drawing)) reading->fail();
  });
  return ok ? reading.release() : nullptr;
}

[[gnu::visibility("default")]]
void ppt_read_close(void* reading) { delete static_cast<bridge::Reading*>(reading); }

// The header, the drawing's label (their bytes and lengths) and its three
// counts.
[[gnu::visibility("default")]]
void ppt_read_head(void* handle, const char** header, std::int64_t* header_size, const char** label,
                   std::int64_t* label_size, std::int64_t* counts) {
  const meshfile::Reader& reader = static_cast<bridge::Reading*>(handle)->reader;
  const std::string_view h = reader.header().text();
  const std::string_view l = reader.label().text();
  *header = h.data();
  *header_size = static_cast<std::int64_t>(h.size());
  *label = l.data();
  *label_size = static_cast<std::int64_t>(l.size());
  counts[0] = reader.elements();
  counts[1] = reader.nodes();
  counts[2] = reader.specials();
}

// The next drawing, after checking what is left of this one: 1 when there
// is one, 0 when nothing but white space follows, -1 on a fault.
[[gnu::visibility("default")]]
int ppt_read_next(void* handle, char* message, std::size_t size) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  bool more = false;
  const bool ok = guarded(message, size, [&] {
    more = reading->reader.next();
    if (reading->reader.fault()) reading->fail();
  });
  return !ok ? -1 : more ? 1 : 0;
}

// Whether the file is too short for the records that the drawing's counts
// announce: then ppt_read_check says where they fall short, before arrays
// are laid out for them.
[[gnu::visibility("default")]]
int ppt_read_too_short(void* handle) { return static_cast<bridge::Reading*>(handle)->reader.too_short() ? 1 : 0; }

// Reads and checks every record of the drawing without keeping any, then
// goes back to its first: 0, or -1 on a fault.
[[gnu::visibility("default")]]
int ppt_read_check(void* handle, char* message, std::size_t size) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  return guarded(message, size, [&] {
           if (!reading->reader.restart() || !reading->reader.check() || !reading->reader.restart()) reading->fail();
         })
             ? 0
             : -1;
}

// The runs of elements of equal node count: guessed from the first element
// (one run of them all, as the suite's outputs are: one pass saved), or
// found by a first pass that reads and checks every element record. Their
// number, -1 on a fault.
[[gnu::visibility("default")]]
std::int64_t ppt_read_runs(void* handle, int guess, char* message, std::size_t size) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  std::vector<std::int64_t>& runs = reading->runs;
  const bool ok = guarded(message, size, [&] {
    runs.clear();
    meshfile::Reader& reader = reading->reader;
    if (!reader.restart()) reading->fail();
    std::span<const std::int64_t> nodes;
    if (guess && reader.elements() > 0) {
      if (!reader.element(nodes)) reading->fail();
      runs = {static_cast<std::int64_t>(nodes.size()), reader.elements()};
      return;
    }
    for (std::int64_t i = 0; i < reader.elements(); ++i) {
      if (!reader.element(nodes)) reading->fail();
      const auto width = static_cast<std::int64_t>(nodes.size());
      if (runs.empty() || runs[runs.size() - 2] != width) runs.insert(runs.end(), {width, 0});
      ++runs.back();
    }
  });
  return ok ? static_cast<std::int64_t>(runs.size() / 2) : -1;
}

// The runs of the first pass: node count and elements, one pair each.
[[gnu::visibility("default")]]
void ppt_read_run_list(void* handle, std::int64_t* out) {
  const auto& runs = static_cast<bridge::Reading*>(handle)->runs;
  std::copy(runs.begin(), runs.end(), out);
}

// The second pass: the cells of each run (its node numbers from 0, in
// meshio's order of the kind named for the run, null: as the file lists
// them), the points (x y z rows) and the special nodes (from 0). 0; 1 when
// an element's node count is not its run's (guessed runs: find them, and
// fill again); -1 on a fault.
[[gnu::visibility("default")]]
int ppt_read_fill(void* handle, std::int64_t* const* cells, const char* const* kinds, double* points,
                  std::int64_t* specials, char* message, std::size_t size) {
  auto* reading = static_cast<bridge::Reading*>(handle);
  bool mismatch = false;
  const bool ok = guarded(message, size, [&] {
    meshfile::Reader& reader = reading->reader;
    const std::vector<std::int64_t>& runs = reading->runs;
    if (!reader.restart()) reading->fail();
    std::span<const std::int64_t> nodes;
    for (std::size_t r = 0; r < runs.size() / 2; ++r) {
      const std::int64_t width = runs[2 * r];
      std::int64_t* out = cells[r];
      const std::span<const int> places = bridge::file_places(kinds[r], width);
      for (std::int64_t i = 0; i < runs[2 * r + 1]; ++i, out += width) {
        if (!reader.element(nodes)) reading->fail();
        if (static_cast<std::int64_t>(nodes.size()) != width) {
          mismatch = true;
          return;
        }
        if (!places.empty())
          for (std::int64_t k = 0; k < width; ++k) out[k] = nodes[static_cast<std::size_t>(places[k])] - 1;
        else
          for (std::int64_t k = 0; k < width; ++k) out[k] = nodes[static_cast<std::size_t>(k)] - 1;
      }
    }
    std::array<double, 3> xyz;
    for (std::int64_t i = 0; i < reader.nodes(); ++i, points += 3) {
      if (!reader.node(xyz)) reading->fail();
      std::memcpy(points, xyz.data(), sizeof xyz);
    }
    std::int64_t node = 0;
    for (std::int64_t i = 0; i < reader.specials(); ++i) {
      if (!reader.special(node)) reading->fail();
      specials[i] = node - 1;
    }
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

// A writer of one drawing: the header line (null: a drawing after the
// first, without it), its label, the cell blocks (cells, their count and
// node count, and the name of their kind, whose order of nodes they are
// in), the points (x y z rows) and the special nodes; null on a fault.
[[gnu::visibility("default")]]
void* ppt_write_open(const char* header, std::int64_t header_size, const char* label, std::int64_t label_size,
                     std::int64_t blocks, const std::int64_t* const* cells, const std::int64_t* counts,
                     const std::int64_t* widths, const char* const* kinds, const double* points,
                     std::int64_t nodes, const std::int64_t* specials, std::int64_t count, char* message,
                     std::size_t size) {
  meshfile::Writer* writer = nullptr;
  guarded(message, size, [&] {
    std::vector<meshfile::CellBlock> list;
    for (std::int64_t b = 0; b < blocks; ++b)
      list.push_back({cells[b], counts[b], widths[b], bridge::file_places(kinds[b], widths[b])});
    const std::string head = header ? std::string(header, static_cast<std::size_t>(header_size)) : std::string();
    writer = new meshfile::Writer(header ? &head : nullptr, std::string(label, static_cast<std::size_t>(label_size)),
                                  std::move(list), points, nodes, specials, count);
  });
  return writer;
}

// The least size of a chunk's buffer.
[[gnu::visibility("default")]]
std::int64_t ppt_write_room(void* writer) {
  return static_cast<std::int64_t>(static_cast<meshfile::Writer*>(writer)->room());
}

// The next whole lines formatted into out (size bytes, at least the room):
// their bytes, 0 once all are written.
[[gnu::visibility("default")]]
std::int64_t ppt_write_chunk(void* writer, char* out, std::int64_t size) {
  return static_cast<std::int64_t>(
      static_cast<meshfile::Writer*>(writer)->chunk({out, static_cast<std::size_t>(size)}));
}

[[gnu::visibility("default")]]
void ppt_write_close(void* writer) { delete static_cast<meshfile::Writer*>(writer); }

// A conversion of a mesh file to a .vtu (pieces 0) or to a .pvtu over that
// many pieces: drawing `drawing` of it, or every drawing (0). kinds: the
// node counts read as other kinds of cells, "count=name,..."; keep: the
// names of the kinds of cells kept, "name,...", or empty for all;
// compression: 0, or zlib's level from 1 to 9. Null on a fault.
[[gnu::visibility("default")]]
void* ppt_vtu_open(const char* input, const char* output, std::int64_t drawing, int pieces, const char* kinds,
                   const char* keep, int compression, char* message, std::size_t size) {
  std::unique_ptr<bridge::Conversion> conversion(new bridge::Conversion);
  const bool ok = guarded(message, size, [&] {
    conversion->input = input;
    conversion->output = output;
    bridge::vtu::Options& options = conversion->options;
    options.drawing = drawing;
    options.pieces = pieces;
    options.compression = compression;
    options.stop = &conversion->stop;
    std::istringstream chosen(kinds ? kinds : "");
    for (std::string choice; std::getline(chosen, choice, ',');) {
      const std::size_t equal = choice.find('=');
      if (equal == std::string::npos) continue;
      int count = 0;
      const auto [end, error] = std::from_chars(choice.data(), choice.data() + equal, count);
      if (error != std::errc() || end != choice.data() + equal)
        throw std::invalid_argument("'" + choice + "': a node count, '=' and a type of cell expected");
      options.kinds.choose(count, choice.substr(equal + 1));
    }
    std::istringstream names(keep ? keep : "");
    for (std::string name; std::getline(names, name, ',');)
      if (!name.empty()) options.keep.insert(name);
    bridge::vtu::check(options);
  });
  return ok ? conversion.release() : nullptr;
}

// Runs the conversion (in a thread of the caller's, which ppt_vtu_interrupt
// may stop from another): 0, or -1 with nothing of the output left.
[[gnu::visibility("default")]]
int ppt_vtu_run(void* handle, char* message, std::size_t size) {
  auto* conversion = static_cast<bridge::Conversion*>(handle);
  return guarded(message, size,
                 [&] {
                   conversion->written =
                       bridge::vtu::convert(conversion->input, conversion->output, conversion->options);
                 })
             ? 0
             : -1;
}

// The drawings that the conversion wrote.
[[gnu::visibility("default")]]
std::int64_t ppt_vtu_drawings(void* handle) { return static_cast<bridge::Conversion*>(handle)->written.drawings; }

// The elements of 4 nodes in the k-th drawing written (from 1), whose type
// is a guess.
[[gnu::visibility("default")]]
std::int64_t ppt_vtu_fours(void* handle, std::int64_t k) {
  const std::vector<std::int64_t>& fours = static_cast<bridge::Conversion*>(handle)->written.fours;
  return k >= 1 && k <= static_cast<std::int64_t>(fours.size()) ? fours[std::size_t(k - 1)] : 0;
}

// Asks the conversion to stop: it then fails as interrupted.
[[gnu::visibility("default")]]
void ppt_vtu_interrupt(void* handle) { static_cast<bridge::Conversion*>(handle)->stop.store(true); }

[[gnu::visibility("default")]]
void ppt_vtu_close(void* handle) { delete static_cast<bridge::Conversion*>(handle); }

}  // extern "C"
