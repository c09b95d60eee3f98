#include "bridge/vtu.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <sys/resource.h>
#include <zlib.h>

#include "bridge/base64.hpp"
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
  // A size check first: a count from a caller may be far beyond any order.
  if (!kind.positions.empty() && kind.positions.size() != static_cast<std::size_t>(count))
    throw std::invalid_argument("the node order of " + kind.name + " is no order of " + std::to_string(count) +
                                " nodes");
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

std::atomic<bool> stop_asked{false};

std::string escaped(std::string_view text) {
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

// The arrays of a grid, in the order of the file, with what each holds.
enum Array { offsets, types, connectivity, points, special };

std::int64_t bytes_of(Array array, const Piece& piece) {
  switch (array) {
    case offsets: return 8 * piece.cells;
    case types: return piece.cells;
    case connectivity: return 8 * piece.links;
    case points: return 24 * piece.points();
    case special: return 8 * piece.points();
  }
  return 0;
}

// The XML between the end of one array's text and the start of the next.
std::string before(Array array) {
  auto opening = [](const char* type, const char* name, const char* more = "") {
    return std::string("<DataArray type=\"") + type + "\" Name=\"" + name + "\"" + more + " format=\"binary\">";
  };
  switch (array) {
    case offsets: return "      <Cells>\n        " + opening("Int64", "offsets");
    case types: return "</DataArray>\n        " + opening("UInt8", "types");
    case connectivity: return "</DataArray>\n        " + opening("Int64", "connectivity");
    case points:
      return "</DataArray>\n      </Cells>\n      <Points>\n        " +
             opening("Float64", "Points", " NumberOfComponents=\"3\"");
    case special: return "</DataArray>\n      </Points>\n      <PointData>\n        " + opening("Int64", "special");
  }
  return {};
}

std::string tail(bool marks) {
  return std::string(marks ? "</DataArray>\n      </PointData>\n" : "</DataArray>\n      </Points>\n") +
         "    </Piece>\n  </UnstructuredGrid>\n</VTKFile>\n";
}

// The XML ahead of the arrays, its Piece line padded with blanks to make it
// `room` bytes when given. Each array is inline base64 of its UInt64 byte
// count and its bytes, one text; compressed, of the blocks' header and of
// the blocks, two texts.
std::string head(const Piece& piece, bool compressed, std::size_t room = 0) {
  std::string text =
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\" header_type=\"UInt64\"" +
      std::string(compressed ? " compressor=\"vtkZLibDataCompressor\"" : "") +
      ">\n"
      "  <UnstructuredGrid>\n"
      "    <Piece NumberOfPoints=\"" + std::to_string(piece.points()) + "\" NumberOfCells=\"" +
      std::to_string(piece.cells) + "\">";
  const std::string rest = "\n" + before(offsets);
  if (text.size() + rest.size() < room) text.append(room - text.size() - rest.size(), ' ');
  return text + rest;
}

// The room of the head: its size with every number at its widest.
std::size_t room() {
  constexpr std::int64_t wide = std::numeric_limits<std::int64_t>::max();
  return head(Piece{wide, 0, 1, wide}, false).size();
}

// Where the text of each array of a piece's file starts. The arrays whose
// sizes the elements decide come last, so that each is placed when what
// precedes it is known; the head, written last of all, has room for the
// widest numbers.
struct Layout {
  std::array<std::int64_t, 5> at{};
  std::int64_t end = 0;  // where the tail starts

  static std::int64_t text(Array array, const Piece& piece) { return base64::size(8 + bytes_of(array, piece)); }

  // The arrays of the cells, once their number is known.
  void cells(std::int64_t base, const Piece& piece) {
    at[offsets] = base;
    at[types] = at[offsets] + text(offsets, piece) + std::int64_t(before(types).size());
    at[connectivity] = at[types] + text(types, piece) + std::int64_t(before(connectivity).size());
  }
  // The rest, once the piece's cells have been read.
  void rest(const Piece& piece, bool marks) {
    at[points] = at[connectivity] + text(connectivity, piece) + std::int64_t(before(points).size());
    at[special] = at[points] + text(points, piece) + std::int64_t(before(special).size());
    end = marks ? at[special] + text(special, piece) : at[points] + text(points, piece);
  }
};

// The arrays of a piece in the order of the file.
std::vector<Array> arrays(bool marks) {
  std::vector<Array> all = {offsets, types, connectivity, points};
  if (marks) all.push_back(special);
  return all;
}

// An output written front to back, in blocks.
class Sequence {
 public:
  explicit Sequence(OutFile& file) : file_(file) {}
  void put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= (std::size_t{1} << 20)) flush();
  }
  void flush() {
    file_.put(offset_, buffer_);
    offset_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
  }

 private:
  OutFile& file_;
  std::int64_t offset_ = 0;
  std::string buffer_;
};

// A piece's file written again with its arrays compressed (zlib, in blocks
// of 32 KiB as VTK's writer makes them): each array's blocks go to a
// scratch file, their sizes to the header, which the blocks follow.
void compress(const OutFile& from, const Layout& layout, const Piece& piece, bool marks, int level, OutFile& to) {
  constexpr std::size_t block = 32768;
  Sequence out(to);
  out.put(head(piece, true));
  std::vector<unsigned char> data, packed(compressBound(block));
  std::vector<std::uint64_t> header;
  std::vector<char> text;
  for (Array array : arrays(marks)) {
    if (array != offsets) out.put(before(array));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> blocks(std::tmpfile(), &std::fclose);
    if (!blocks) throw Fault(to.path() + ": no scratch file for the compressed blocks: " + std::strerror(errno));
    header.assign(3, 0);
    data.clear();
    auto pack = [&] {
      uLongf size = static_cast<uLongf>(packed.size());
      if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw Fault(to.path() + ": the compression failed");
      if (std::fwrite(packed.data(), 1, size, blocks.get()) != size)
        throw Fault(to.path() + ": the scratch file of the compressed blocks cannot be written");
      header.push_back(size);
      data.clear();
    };
    // The array's text read back in groups, its byte count skipped.
    const std::int64_t total = 8 + bytes_of(array, piece);
    constexpr std::int64_t chunk = 3 * block;
    for (std::int64_t first = 0; first < total; first += chunk) {
      const std::int64_t last = std::min(total, first + chunk);
      std::string groups = from.get(layout.at[array] + first / 3 * 4, std::size_t(base64::size(last - first)));
      std::vector<unsigned char> bytes(std::size_t(last - first));
      if (base64::decode(groups.data(), groups.size(), bytes.data()) != std::ptrdiff_t(bytes.size()))
        throw Fault(from.path() + ": cannot be read back");
      for (std::size_t k = first == 0 ? 8 : 0; k < bytes.size();) {
        std::size_t n = std::min(bytes.size() - k, block - data.size());
        data.insert(data.end(), bytes.begin() + std::ptrdiff_t(k), bytes.begin() + std::ptrdiff_t(k + n));
        k += n;
        if (data.size() == block) pack();
      }
    }
    if (!data.empty()) {
      header[2] = data.size();
      pack();
    }
    header[0] = header.size() - 3;
    header[1] = block;
    text.resize(std::size_t(base64::size(std::int64_t(8 * header.size()))));
    base64::encode(reinterpret_cast<const unsigned char*>(header.data()), 8 * header.size(), text.data());
    out.put({text.data(), text.size()});
    // The blocks, one text, read in groups of 3 bytes.
    std::rewind(blocks.get());
    std::vector<unsigned char> bytes(chunk);
    text.resize(std::size_t(base64::size(chunk)));
    for (std::size_t n; (n = std::fread(bytes.data(), 1, bytes.size(), blocks.get())) > 0;)
      out.put({text.data(), std::size_t(base64::encode(bytes.data(), n, text.data()) - text.data())});
    if (std::ferror(blocks.get())) throw Fault(to.path() + ": the scratch file of the compressed blocks cannot be read");
  }
  out.put(tail(marks));
  out.flush();
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
    text += "    <Piece Source=\"" + escaped(base_name(piece_path(output, k))) + "\"/>\n";
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

class Converter {
 public:
  Converter(const std::string& input, const std::string& output, const Options& options)
      : records_(Records::open(input, options.drawing)), input_(input), output_(output), options_(options) {}

  void run() {
    plan();
    // An output over the input would cut the records short while they are read.
    for (const std::string& path : paths_)
      if (same_file(path, input_)) throw Fault(path + ": is the input file itself");
    if (options_.pieces > 0 && same_file(output_, input_)) throw Fault(output_ + ": is the input file itself");
    // Each output is written apart and put in place only when all are whole;
    // compressed, it is written whole first to a scratch file, read back.
    for (const std::string& path : paths_) targets_.emplace_back(path);
    for (const Target& target : targets_)
      written_.push_back(options_.compression > 0 ? scratch_.emplace_back(target).path() : target.written());
    write_cells();
    write_nodes();
    write_specials();
    if (options_.compression > 0) {
      for (std::size_t p = 0; p < pieces_.size(); ++p) {
        OutFile from(written_[p], OutFile::patch, paths_[p]);
        OutFile to(targets_[p].written(), OutFile::create, paths_[p]);
        compress(from, layouts_[p], pieces_[p], special_, options_.compression, to);
        to.close();
      }
    }
    if (options_.pieces > 0) {
      targets_.emplace_back(output_);
      OutFile pvtu(targets_.back().written(), OutFile::create, output_);
      pvtu.put(0, pvtu_text(output_, options_.pieces, special_));
      pvtu.close();
    }
    for (Target& target : targets_) target.commit();
  }

 private:
  // The kept cells split evenly into pieces; without a choice of cells, no
  // pass is needed for that.
  void plan() {
    // Counts that the file cannot hold would lay out an output of their size
    // before the records run out: the records say where they fall short.
    if (records_.too_short(2 * records_.elements() + 4 * records_.nodes() + 2 * records_.specials()))
      records_.check();
    std::int64_t kept = options_.keep.empty() ? records_.elements() : count_kept();
    // A file without cells shows nothing: refused, as every other output is.
    if (kept == 0) throw Fault(output_ + ": not written: no cell left to write");
    int n = std::max(options_.pieces, 1);
    if (options_.pieces > 0 && n > kept)
      throw Fault("--pieces " + std::to_string(n) + ": more pieces than the " + std::to_string(kept) +
                  " cells to write");
    pieces_.assign(static_cast<std::size_t>(n), Piece{});
    for (int p = 0; p < n; ++p) pieces_[std::size_t(p)].cells = kept / n * (p + 1) + kept % n * (p + 1) / n -
                                                           (kept / n * p + kept % n * p / n);
    special_ = records_.specials() > 0;
    for (std::size_t p = 0; p < pieces_.size(); ++p) {
      paths_.push_back(options_.pieces == 0 ? output_ : piece_path(output_, int(p) + 1));
      layouts_.emplace_back();
      layouts_.back().cells(static_cast<std::int64_t>(room()), pieces_[p]);
    }
  }

  // The cells kept, by a pass of their own, and the fault when a kind asked
  // for is not in the drawing.
  std::int64_t count_kept() {
    std::set<std::string> held;
    std::int64_t kept = 0;
    std::int64_t count = -1;
    for (std::int64_t e = 0, ne = records_.elements(); e < ne; ++e) {
      poll(e);
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

  // Elements: the offsets, types and connectivity of each piece in turn.
  // When a piece's cells are done, its window of nodes is known, and with it
  // the place of every other array: the head and the end go in then, and the
  // file is closed until the nodes come.
  void write_cells() {
    Sorter sorter(options_);
    std::size_t p = 0;
    std::int64_t left = 0;
    std::unique_ptr<OutFile> file;
    std::unique_ptr<Region> connectivity, offsets, types;
    std::int64_t offset = 0;
    auto start = [&] {
      Piece& piece = pieces_[p];
      const Layout& at = layouts_[p];
      file = std::make_unique<OutFile>(written_[p], OutFile::create, paths_[p]);
      offsets = std::make_unique<Region>(*file, at.at[vtu::offsets], element_buffer / 2, &worker_);
      types = std::make_unique<Region>(*file, at.at[vtu::types], element_buffer / 8, &worker_);
      connectivity = std::make_unique<Region>(*file, at.at[vtu::connectivity], element_buffer, &worker_);
      offsets->put(std::uint64_t(bytes_of(vtu::offsets, piece)));
      types->put(std::uint64_t(bytes_of(vtu::types, piece)));
      // Its byte count once the cells are read.
      connectivity->put(std::uint64_t{0});
      left = piece.cells;
      offset = 0;
    };
    auto finish = [&] {
      Piece& piece = pieces_[p];
      Layout& at = layouts_[p];
      if (options_.pieces == 0) {
        piece.lo = 0;
        piece.hi = records_.nodes() - 1;
      }
      at.rest(piece, special_);
      connectivity->finish();
      offsets->finish();
      types->finish();
      worker_.wait();
      renumber(*file, at.at[vtu::connectivity], piece);
      for (Array array : arrays(special_))
        if (array != vtu::offsets) file->put(at.at[array] - std::int64_t(before(array).size()), before(array));
      file->put(0, head(piece, false, std::size_t(at.at[vtu::offsets])));
      file->put(at.end, tail(special_));
      file->close();
      file.reset();
    };
    start();
    for (std::int64_t e = 0, ne = records_.elements(); e < ne; ++e) {
      poll(e);
      std::span<const std::int64_t> nodes = records_.element();
      const Kind* kind = sorter.kept(static_cast<std::int64_t>(nodes.size()));
      if (!kind) continue;
      if (left == 0) {
        if (p + 1 == pieces_.size()) changed();
        finish();
        ++p;
        start();
      }
      Piece& piece = pieces_[p];
      auto [lo, hi] = std::minmax_element(nodes.begin(), nodes.end());
      piece.lo = std::min(piece.lo, *lo - 1);
      piece.hi = std::max(piece.hi, *hi - 1);
      piece.links += static_cast<std::int64_t>(nodes.size());
      // Within a piece, node numbers are written from 0 once its window is
      // known: until then, as they stand in the file, less one.
      if (kind->positions.empty()) {
        for (std::int64_t node : nodes) connectivity->put(std::int64_t(node - 1));
      } else {
        for (int position : kind->positions) connectivity->put(std::int64_t(nodes[std::size_t(position)] - 1));
      }
      offset += static_cast<std::int64_t>(nodes.size());
      offsets->put(offset);
      types->put(kind->vtk);
      --left;
    }
    // The cells were counted by a pass of their own (--cells).
    if (p + 1 != pieces_.size() || left != 0) changed();
    finish();
  }

  [[noreturn]] void changed() const { throw Fault(input_ + ": the file changed while it was read"); }

  // The connectivity's byte count, and its node numbers lowered by the
  // first of the piece's window, in the text already written: a stretch at
  // a time, each a whole number of both groups and numbers.
  static void renumber(OutFile& file, std::int64_t text, const Piece& piece) {
    const std::int64_t total = 8 + bytes_of(vtu::connectivity, piece);
    const std::int64_t lo = piece.lo;
    constexpr std::int64_t stretch = 24 << 16;
    for (std::int64_t first = 0; first < (lo > 0 ? total : 8); first += stretch) {
      file.rewrite(text, total, first, std::min(total, first + stretch), [&](std::span<unsigned char> bytes, std::int64_t at) {
        for (std::size_t k = 0; k + 8 <= bytes.size(); k += 8) {
          std::int64_t value = 0;
          std::memcpy(&value, bytes.data() + k, 8);
          value = at + std::int64_t(k) == 0 ? total - 8 : value - lo;
          std::memcpy(bytes.data() + k, &value, 8);
        }
      });
    }
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
      poll(i);
      std::array<double, 3> xyz = records_.node();
      for (; next < order.size() && pieces_[order[next]].lo == i; ++next) {
        std::size_t p = order[next];
        const Layout& at = layouts_[p];
        Open piece{p, std::make_unique<OutFile>(written_[p], OutFile::patch, paths_[p]), nullptr, nullptr};
        piece.points = std::make_unique<Region>(*piece.file, at.at[vtu::points], buffer, &worker_);
        piece.points->put(std::uint64_t(bytes_of(vtu::points, pieces_[p])));
        if (special_) {
          piece.marks = std::make_unique<Region>(*piece.file, at.at[vtu::special], buffer / 3, &worker_);
          piece.marks->put(std::uint64_t(bytes_of(vtu::special, pieces_[p])));
        }
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
          piece.points->finish();
          if (piece.marks) piece.marks->finish();
          worker_.wait();
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
    for (std::int64_t s = 0; s < ns; ++s) {
      poll(s);
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
          file = std::make_unique<OutFile>(written_[p], OutFile::patch, paths_[p]);
          cached = p;
        }
        const std::int64_t at = 8 + 8 * (j - piece.lo);
        file->rewrite(layouts_[p].at[vtu::special], 8 + bytes_of(vtu::special, piece), at, at + 8,
                      [at](std::span<unsigned char> bytes, std::int64_t first) {
                        std::memset(bytes.data() + (at - first), 0, 8);
                      });
      }
    }
    if (file) file->close();
  }

  // A look every 65,536 records whether the caller wants the conversion stopped.
  void poll(std::int64_t record) const {
    if ((record & 0xffff) == 0 && stop_asked.load(std::memory_order_relaxed))
      throw Fault(output_ + ": interrupted");
  }

  static bool same_file(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
  }

  Records records_;
  std::string input_;
  std::string output_;
  const Options& options_;
  std::vector<Piece> pieces_;
  std::vector<Layout> layouts_;
  std::vector<std::string> paths_;
  std::vector<Target> targets_;
  std::vector<Scratch> scratch_;
  // Encodes and writes the arrays while the records are read.
  Worker worker_;
  std::vector<std::string> written_;  // where each piece is written first
  bool special_ = false;
};

}  // namespace

void interrupt(bool stop) { stop_asked.store(stop); }

void convert(const std::string& input, const std::string& output, const Options& options) {
  if (options.pieces < 0 || options.pieces > max_pieces)
    throw Fault("--pieces " + std::to_string(options.pieces) + ": from 1 to " + std::to_string(max_pieces));
  if (options.compression < 0 || options.compression > 9)
    throw Fault("compression level " + std::to_string(options.compression) + ": from 1 to 9, or 0 for none");
  // Pieces whose windows of nodes overlap are open all at once: the soft
  // limit of open files (often 1024) is raised towards the hard one for them.
  rlimit files{};
  const rlim_t wanted = static_cast<rlim_t>(options.pieces) + 64;
  if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY && files.rlim_cur < wanted) {
    files.rlim_cur = files.rlim_max == RLIM_INFINITY ? wanted : std::min(files.rlim_max, wanted);
    ::setrlimit(RLIMIT_NOFILE, &files);
  }
  Converter(input, output, options).run();
}

}  // namespace bridge::vtu
