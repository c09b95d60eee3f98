#include "bridge/vtu.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "bridge/orders.hpp"
#include "bridge/outfile.hpp"
#include "bridge/records.hpp"

namespace bridge::vtu {

// The arrays are copied from memory as they stand.
static_assert(std::endian::native == std::endian::little, "the files declare LittleEndian");

namespace {

std::vector<int> positions(std::string_view name) {
  std::span<const std::int64_t> file = file_positions(name);
  return {file.begin(), file.end()};
}

}  // namespace

Kinds::Kinds() : polygon_{"polygon", 7, {}} {
  // meshio's names and VTK's numbers; the wedge is listed as meshio lists
  // it, whose first triangle turns the other way than VTK's.
  chosen_[1] = {"vertex", 1, {}};
  chosen_[2] = {"line", 3, {}};
  chosen_[3] = {"triangle", 5, {}};
  chosen_[4] = {"quad", 9, {}};
  chosen_[5] = {"pyramid", 14, {}};
  chosen_[6] = {"wedge", 13, {0, 2, 1, 3, 5, 4}};
  chosen_[8] = {"quad8", 23, positions("quad8")};
  chosen_[9] = {"quad9", 28, {}};
  chosen_[10] = {"tetra10", 24, {}};
  chosen_[20] = {"hexahedron20", 25, positions("hexahedron20")};
  chosen_[27] = {"hexahedron27", 29, {}};
}

void Kinds::choose(int count, Kind kind) {
  if (count < 1) throw std::invalid_argument("a node count of " + std::to_string(count));
  if (!kind.positions.empty()) {
    std::vector<int> sorted = kind.positions;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> all(static_cast<std::size_t>(count));
    std::iota(all.begin(), all.end(), 0);
    if (sorted != all) throw std::invalid_argument("the node order of " + kind.name + " is no order of " +
                                                   std::to_string(count) + " nodes");
  }
  chosen_[count] = std::move(kind);
}

const Kind& Kinds::of(std::int64_t count) const {
  auto found = chosen_.find(count);
  return found == chosen_.end() ? polygon_ : found->second;
}

std::string piece_path(const std::string& pvtu, int k) {
  std::string stem = pvtu;
  std::size_t dot = stem.rfind('.');
  std::size_t slash = stem.find_last_of("/\\");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.resize(dot);
  return stem + "_" + std::to_string(k) + ".vtu";
}

namespace {

constexpr std::size_t element_buffer = std::size_t{1} << 20;

std::string quoted(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string base_name(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One output grid: its elements and the window of nodes they may use
// (0-based, empty when hi < lo), renumbered from lo.
struct Piece {
  std::int64_t cells = 0;
  std::int64_t links = 0;  // entries of the connectivity
  std::int64_t lo = std::numeric_limits<std::int64_t>::max();
  std::int64_t hi = -1;

  std::int64_t points() const { return hi >= lo ? hi - lo + 1 : 0; }
};

// Where each array of a piece's file starts (its UInt64 byte count), from
// the start of the file.
struct Layout {
  std::string head;
  std::int64_t points = 0, connectivity = 0, offsets = 0, types = 0, special = 0, end = 0;
};

constexpr std::string_view tail = "\n  </AppendedData>\n</VTKFile>\n";

Layout layout(const Piece& piece, bool special) {
  std::int64_t np = piece.points();
  // Offsets relative to the byte after the '_' that opens the data.
  std::int64_t at = 0;
  auto next = [&at](std::int64_t bytes) {
    std::int64_t here = at;
    at += 8 + bytes;
    return here;
  };
  std::int64_t points = next(24 * np);
  std::int64_t connectivity = next(8 * piece.links);
  std::int64_t offsets = next(8 * piece.cells);
  std::int64_t types = next(piece.cells);
  std::int64_t marks = special ? next(8 * np) : 0;
  auto array = [](const char* type, const char* name, std::int64_t offset, const char* more = "") {
    return std::string("        <DataArray type=\"") + type + "\" Name=\"" + name + "\"" + more +
           " format=\"appended\" offset=\"" + std::to_string(offset) + "\"/>\n";
  };
  Layout out;
  out.head =
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\" header_type=\"UInt64\">\n"
      "  <UnstructuredGrid>\n"
      "    <Piece NumberOfPoints=\"" + std::to_string(np) + "\" NumberOfCells=\"" + std::to_string(piece.cells) +
      "\">\n"
      "      <Points>\n" + array("Float64", "Points", points, " NumberOfComponents=\"3\"") +
      "      </Points>\n"
      "      <Cells>\n" + array("Int64", "connectivity", connectivity) + array("Int64", "offsets", offsets) +
      array("UInt8", "types", types) + "      </Cells>\n";
  if (special) out.head += "      <PointData>\n" + array("Int64", "special", marks) + "      </PointData>\n";
  out.head +=
      "    </Piece>\n"
      "  </UnstructuredGrid>\n"
      "  <AppendedData encoding=\"raw\">\n   _";
  std::int64_t base = static_cast<std::int64_t>(out.head.size());
  out.points = base + points;
  out.connectivity = base + connectivity;
  out.offsets = base + offsets;
  out.types = base + types;
  out.special = base + marks;
  out.end = base + at;
  return out;
}

std::string pvtu_text(const std::string& output, int pieces, bool special) {
  std::string text =
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"PUnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\" header_type=\"UInt64\">\n"
      "  <PUnstructuredGrid GhostLevel=\"0\">\n"
      "    <PPoints>\n"
      "      <PDataArray type=\"Float64\" Name=\"Points\" NumberOfComponents=\"3\"/>\n"
      "    </PPoints>\n"
      "    <PCells>\n"
      "      <PDataArray type=\"Int64\" Name=\"connectivity\"/>\n"
      "      <PDataArray type=\"Int64\" Name=\"offsets\"/>\n"
      "      <PDataArray type=\"UInt8\" Name=\"types\"/>\n"
      "    </PCells>\n";
  if (special)
    text +=
        "    <PPointData>\n"
        "      <PDataArray type=\"Int64\" Name=\"special\"/>\n"
        "    </PPointData>\n";
  for (int k = 1; k <= pieces; ++k)
    text += "    <Piece Source=\"" + quoted(base_name(piece_path(output, k))) + "\"/>\n";
  text +=
      "  </PUnstructuredGrid>\n"
      "</VTKFile>\n";
  return text;
}

std::string joined(const std::set<std::string>& names) {
  std::string out;
  for (const std::string& name : names) out += (out.empty() ? "" : ", ") + name;
  return out.empty() ? "none" : out;
}

// The kind of each element and whether it is kept, for runs of one count.
class Sorter {
 public:
  explicit Sorter(const Options& options) : options_(options) {}
  const Kind* kept(std::int64_t count) {
    if (count != count_) {
      count_ = count;
      kind_ = &options_.kinds.of(count);
      kept_ = options_.keep.empty() || options_.keep.count(kind_->name) > 0;
    }
    return kept_ ? kind_ : nullptr;
  }

 private:
  const Options& options_;
  std::int64_t count_ = -1;
  const Kind* kind_ = nullptr;
  bool kept_ = false;
};

// The files written so far, removed unless the conversion completes.
class Written {
 public:
  ~Written() {
    for (const std::string& path : paths_) std::remove(path.c_str());
  }
  void add(const std::string& path) { paths_.push_back(path); }
  void keep() { paths_.clear(); }

 private:
  std::vector<std::string> paths_;
};

class Converter {
 public:
  Converter(const std::string& input, const std::string& output, const Options& options)
      : records_(Records::open(input, options.drawing)), input_(input), output_(output), options_(options) {}

  void run() {
    size();
    for (const Piece& piece : pieces_) layouts_.push_back(layout(piece, special_));
    Written written;
    if (options_.pieces == 0) {
      paths_ = {output_};
    } else {
      for (int k = 1; k <= options_.pieces; ++k) paths_.push_back(piece_path(output_, k));
    }
    records_.restart();
    write_cells(written);
    write_nodes();
    write_specials();
    if (options_.pieces > 0) {
      written.add(output_);
      OutFile pvtu(output_);
      pvtu.put(0, pvtu_text(output_, options_.pieces, special_));
      pvtu.close();
    }
    written.keep();
  }

 private:
  // Pass 1: the kept cells, split into pieces, and the nodes each uses.
  void size() {
    std::int64_t ne = records_.elements();
    std::int64_t kept = ne;
    if (!options_.keep.empty()) kept = count_kept();
    int n = std::max(options_.pieces, 1);
    if (options_.pieces > 0 && n > kept)
      throw Fault("--pieces " + std::to_string(n) + ": more pieces than the " + std::to_string(kept) +
                  " cells to write");
    pieces_.assign(static_cast<std::size_t>(n), Piece{});
    special_ = records_.specials() > 0;
    Sorter sorter(options_);
    std::int64_t k = 0;
    std::size_t p = 0;
    std::int64_t end = bound(1, kept);
    for (std::int64_t e = 0; e < ne; ++e) {
      std::span<const std::int64_t> nodes = records_.element();
      if (!sorter.kept(static_cast<std::int64_t>(nodes.size()))) continue;
      while (k == end) end = bound(static_cast<int>(++p) + 1, kept);
      Piece& piece = pieces_[p];
      ++piece.cells;
      piece.links += static_cast<std::int64_t>(nodes.size());
      auto [lo, hi] = std::minmax_element(nodes.begin(), nodes.end());
      piece.lo = std::min(piece.lo, *lo - 1);
      piece.hi = std::max(piece.hi, *hi - 1);
      ++k;
    }
    if (options_.pieces == 0) {
      pieces_[0].lo = 0;
      pieces_[0].hi = records_.nodes() - 1;
    }
  }

  // The cells kept, by a pass of their own, and the fault when a kind asked
  // for is not in the drawing.
  std::int64_t count_kept() {
    std::set<std::string> held;
    std::int64_t kept = 0;
    std::int64_t count = -1;
    for (std::int64_t e = 0, ne = records_.elements(); e < ne; ++e) {
      std::int64_t m = static_cast<std::int64_t>(records_.element().size());
      if (m == count) {
        ++kept;
        continue;
      }
      count = m;
      const std::string& name = options_.kinds.of(m).name;
      held.insert(name);
      if (options_.keep.count(name)) {
        ++kept;
      } else {
        // Runs of kept cells only are counted without a look-up.
        count = -1;
      }
    }
    std::set<std::string> missing;
    for (const std::string& name : options_.keep)
      if (!held.count(name)) missing.insert(name);
    if (!missing.empty())
      throw Fault("--cells: no cells of type " + joined(missing) + " in the mesh (it holds " + joined(held) + ")");
    records_.restart();
    return kept;
  }

  // The first kept cell of piece p (from 1), the cells split evenly by count.
  std::int64_t bound(int p, std::int64_t kept) const {
    int n = std::max(options_.pieces, 1);
    return p >= n ? std::numeric_limits<std::int64_t>::max() : kept / n * p + kept % n * p / n;
  }

  // Pass 2, elements: the connectivity, offsets and types of each piece in
  // turn, each file created with its frame and closed again.
  void write_cells(Written& written) {
    Sorter sorter(options_);
    std::size_t p = 0;
    std::int64_t left = -1;
    std::unique_ptr<OutFile> file;
    std::unique_ptr<Region> connectivity, offsets, types;
    std::int64_t offset = 0;
    auto finish = [&] {
      if (!file) return;
      connectivity->flush();
      offsets->flush();
      types->flush();
      file->close();
      file.reset();
    };
    auto start = [&] {
      const Piece& piece = pieces_[p];
      const Layout& at = layouts_[p];
      written.add(paths_[p]);
      file = std::make_unique<OutFile>(paths_[p]);
      file->put(0, at.head);
      file->put(at.end, tail);
      std::int64_t np = piece.points();
      // The byte counts ahead of each array; the points' and the marks' go
      // with the nodes.
      file->put(at.points, bytes(std::uint64_t(24 * np)));
      if (special_) file->put(at.special, bytes(std::uint64_t(8 * np)));
      connectivity = std::make_unique<Region>(*file, at.connectivity, element_buffer);
      offsets = std::make_unique<Region>(*file, at.offsets, element_buffer / 2);
      types = std::make_unique<Region>(*file, at.types, element_buffer / 8);
      connectivity->put(std::uint64_t(8 * piece.links));
      offsets->put(std::uint64_t(8 * piece.cells));
      types->put(std::uint64_t(piece.cells));
      left = piece.cells;
      offset = 0;
    };
    start();
    for (std::int64_t e = 0, ne = records_.elements(); e < ne; ++e) {
      std::span<const std::int64_t> nodes = records_.element();
      const Kind* kind = sorter.kept(static_cast<std::int64_t>(nodes.size()));
      if (!kind) continue;
      while (left == 0) {
        finish();
        ++p;
        start();
      }
      std::int64_t base = pieces_[p].lo + 1;
      if (kind->positions.empty()) {
        for (std::int64_t node : nodes) connectivity->put(std::int64_t(node - base));
      } else {
        for (int position : kind->positions) connectivity->put(std::int64_t(nodes[std::size_t(position)] - base));
      }
      offset += static_cast<std::int64_t>(nodes.size());
      offsets->put(offset);
      types->put(kind->vtk);
      --left;
    }
    finish();
    // Pieces past the last kept cell (none but a .vtu of no cells).
    while (++p < pieces_.size()) {
      start();
      finish();
    }
  }

  static std::string bytes(std::uint64_t value) {
    return {reinterpret_cast<const char*>(&value), sizeof value};
  }

  struct Open {
    std::size_t piece;
    std::unique_ptr<OutFile> file;
    std::unique_ptr<Region> points, marks;
  };

  // Pass 2, nodes: each node to the pieces whose window holds it; a piece's
  // file is open while the nodes pass through its window.
  void write_nodes() {
    std::vector<std::size_t> order = windows();
    std::size_t buffer = std::clamp<std::size_t>((std::size_t{16} << 20) / pieces_.size(), 4096, element_buffer);
    std::size_t next = 0;
    std::vector<Open> open;
    for (std::int64_t i = 0, nn = records_.nodes(); i < nn; ++i) {
      std::array<double, 3> xyz = records_.node();
      for (; next < order.size() && pieces_[order[next]].lo == i; ++next) {
        std::size_t p = order[next];
        const Layout& at = layouts_[p];
        Open piece{p, std::make_unique<OutFile>(paths_[p], OutFile::patch), nullptr, nullptr};
        piece.points = std::make_unique<Region>(*piece.file, at.points + 8, buffer);
        if (special_) piece.marks = std::make_unique<Region>(*piece.file, at.special + 8, buffer / 3);
        open.push_back(std::move(piece));
      }
      bool done = false;
      for (Open& piece : open) {
        piece.points->put(xyz.data(), sizeof xyz);
        if (piece.marks) piece.marks->put(std::int64_t{-1});
        done = done || pieces_[piece.piece].hi == i;
      }
      if (done) {
        for (Open& piece : open) {
          if (pieces_[piece.piece].hi != i) continue;
          piece.points->flush();
          if (piece.marks) piece.marks->flush();
          piece.file->close();
          piece.file.reset();
        }
        std::erase_if(open, [](const Open& piece) { return !piece.file; });
      }
    }
  }

  // The pieces of a window, by its first node.
  std::vector<std::size_t> windows() const {
    std::vector<std::size_t> order;
    for (std::size_t p = 0; p < pieces_.size(); ++p)
      if (pieces_[p].points() > 0) order.push_back(p);
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return pieces_[a].lo < pieces_[b].lo; });
    return order;
  }

  // Pass 2, special nodes: a mark of 0 (the first point set, as meshio
  // turns sets into data) over the -1 of each piece that holds the node.
  void write_specials() {
    std::int64_t ns = records_.specials();
    if (ns == 0) return;
    std::vector<std::size_t> order = windows();
    std::vector<std::int64_t> reach(order.size());
    std::int64_t most = -1;
    for (std::size_t r = 0; r < order.size(); ++r) reach[r] = most = std::max(most, pieces_[order[r]].hi);
    std::size_t cached = pieces_.size();
    std::unique_ptr<OutFile> file;
    const std::string zero = bytes(0);
    for (std::int64_t s = 0; s < ns; ++s) {
      std::int64_t j = records_.special() - 1;
      std::size_t r = static_cast<std::size_t>(
          std::upper_bound(order.begin(), order.end(), j,
                           [this](std::int64_t node, std::size_t p) { return node < pieces_[p].lo; }) -
          order.begin());
      while (r-- > 0 && reach[r] >= j) {
        std::size_t p = order[r];
        const Piece& piece = pieces_[p];
        if (piece.hi < j) continue;
        if (p != cached) {
          if (file) file->close();
          file = std::make_unique<OutFile>(paths_[p], OutFile::patch);
          cached = p;
        }
        file->put(layouts_[p].special + 8 + 8 * (j - piece.lo), zero);
      }
    }
    if (file) file->close();
  }

  Records records_;
  std::string input_;
  std::string output_;
  const Options& options_;
  std::vector<Piece> pieces_;
  std::vector<Layout> layouts_;
  std::vector<std::string> paths_;
  bool special_ = false;
};

}  // namespace

void convert(const std::string& input, const std::string& output, const Options& options) {
  if (options.pieces < 0 || options.pieces > max_pieces)
    throw Fault("--pieces " + std::to_string(options.pieces) + ": from 1 to " + std::to_string(max_pieces));
  Converter(input, output, options).run();
}

}  // namespace bridge::vtu
