#include "bridge/vtu.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <zlib.h>

#include "bridge/base64.hpp"
#include "bridge/fault.hpp"
#include "bridge/outfile.hpp"
#include "meshfile/reader.hpp"

namespace bridge::vtu {

// The arrays are copied from memory as they stand.
static_assert(std::endian::native == std::endian::little, "the files declare LittleEndian");

void Kinds::choose(int count, const std::string& name) {
  const meshfile::CellKind* kind = meshfile::kind_named(name);
  if (kind == nullptr || kind->vtk == 0) throw std::invalid_argument(name + " cells have no VTK cell type");
  if (count < 1 || (kind->nodes != count && !(kind->nodes == 0 && count >= 3)))
    throw std::invalid_argument("a " + name + " cell has not " + std::to_string(count) + " nodes");
  chosen_[count] = kind;
}

Kind Kinds::of(std::int64_t count) const {
  const auto found = chosen_.find(count);
  const meshfile::CellKind* cell = found == chosen_.end() ? &meshfile::default_kind(count) : found->second;
  return {cell, meshfile::vtk_places(*cell)};
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

// The arrays of a grid, in the order of the file: the cell data first, its
// size known from the start, then those whose sizes the elements decide,
// each placed when what precedes it is known.
enum Array { drawing, offsets, types, connectivity, points, special };

std::int64_t bytes_of(Array array, const Piece& piece) {
  switch (array) {
    case drawing: return 4 * piece.cells;
    case offsets: return 8 * piece.cells;
    case types: return piece.cells;
    case connectivity: return 8 * piece.links;
    case points: return 24 * piece.points();
    case special: return 8 * piece.points();
  }
  return 0;
}

// The element of the Piece that holds an array.
const char* group(Array array) {
  switch (array) {
    case drawing: return "CellData";
    case points: return "Points";
    case special: return "PointData";
    default: return "Cells";
  }
}

std::string opening(Array array) {
  auto tag = [](const char* type, const char* name, const char* more = "") {
    return std::string("<DataArray type=\"") + type + "\" Name=\"" + name + "\"" + more + " format=\"binary\">";
  };
  switch (array) {
    case drawing: return tag("Int32", "drawing");
    case offsets: return tag("Int64", "offsets");
    case types: return tag("UInt8", "types");
    case connectivity: return tag("Int64", "connectivity");
    case points: return tag("Float64", "Points", " NumberOfComponents=\"3\"");
    case special: return tag("Int64", "special");
  }
  return {};
}

// What the arrays of a grid are, in the order of the file.
struct Arrays {
  bool drawings = false;  // the cell data "drawing"
  bool marks = false;     // the point data "special"

  std::vector<Array> list() const {
    std::vector<Array> all;
    if (drawings) all.push_back(drawing);
    all.insert(all.end(), {offsets, types, connectivity, points});
    if (marks) all.push_back(special);
    return all;
  }
  Array first() const { return drawings ? drawing : offsets; }
  Array last() const { return marks ? special : points; }
  // The array before another, or the array itself when it is the first.
  Array before(Array array) const {
    const std::vector<Array> all = list();
    const auto at = std::find(all.begin(), all.end(), array);
    return at == all.begin() ? array : *(at - 1);
  }
  // The XML between the end of the text of the array before and the start
  // of this one's (for the first, from the end of the Piece line).
  std::string between(Array array) const {
    const Array prior = before(array);
    if (prior == array) return std::string("\n      <") + group(array) + ">\n        " + opening(array);
    std::string text = "</DataArray>";
    if (std::string_view(group(prior)) != group(array))
      text += std::string("\n      </") + group(prior) + ">\n      <" + group(array) + ">";
    return text + "\n        " + opening(array);
  }
};

// A text of a title as the field data holds it: its bytes as UInt8 in
// ascii, each text ended by a zero byte (a zero byte inside a title ends it
// there).
std::string field_array(const char* name, const std::vector<std::string>& texts) {
  std::string values;
  std::int64_t count = 0;
  for (const std::string& text : texts) {
    for (const char c : std::string_view(text.c_str())) {
      values += std::to_string(static_cast<unsigned char>(c)) + " ";
      ++count;
    }
    values += "0 ";
    ++count;
  }
  if (!values.empty()) values.pop_back();
  return std::string("      <DataArray type=\"UInt8\" Name=\"") + name + "\" NumberOfTuples=\"" + std::to_string(count) +
         "\" format=\"ascii\">" + values + "</DataArray>\n";
}

// The XML ahead of the arrays, its Piece line padded with blanks to make it
// `room` bytes when given. Each array is inline base64 of its UInt64 byte
// count and its bytes, one text; compressed, of the blocks' header and of
// the blocks, two texts.
std::string head(const Piece& piece, const Arrays& arrays, bool compressed, std::size_t room = 0) {
  std::string text =
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\" header_type=\"UInt64\"" +
      std::string(compressed ? " compressor=\"vtkZLibDataCompressor\"" : "") +
      ">\n"
      "  <UnstructuredGrid>\n"
      "    <Piece NumberOfPoints=\"" + std::to_string(piece.points()) + "\" NumberOfCells=\"" +
      std::to_string(piece.cells) + "\">";
  const std::string rest = arrays.between(arrays.first());
  if (text.size() + rest.size() < room) text.append(room - text.size() - rest.size(), ' ');
  return text + rest;
}

// The room of the head: its size with every number at its widest.
std::size_t room(const Arrays& arrays) {
  constexpr std::int64_t wide = std::numeric_limits<std::int64_t>::max();
  return head(Piece{wide, 0, 1, wide}, arrays, false).size();
}

// Where the text of each array of a piece's file starts. The head, written
// last of all, has room for the widest numbers.
struct Layout {
  std::array<std::int64_t, 6> at{};
  std::int64_t end = 0;  // where the tail starts

  static std::int64_t text(Array array, const Piece& piece) { return base64::size(8 + bytes_of(array, piece)); }

  // The arrays of the cells, once their number is known.
  void cells(std::int64_t base, const Piece& piece, const Arrays& arrays) {
    at[arrays.first()] = base;
    for (Array array : {offsets, types, connectivity})
      if (arrays.before(array) != array)
        at[array] = at[arrays.before(array)] + text(arrays.before(array), piece) +
                    std::int64_t(arrays.between(array).size());
  }
  // The rest, once the piece's cells have been read.
  void rest(const Piece& piece, const Arrays& arrays) {
    for (Array array : {points, special})
      at[array] = at[arrays.before(array)] + text(arrays.before(array), piece) +
                  std::int64_t(arrays.between(array).size());
    end = at[arrays.last()] + text(arrays.last(), piece);
  }
};

// An output written front to back, in blocks.
class Sequence {
 public:
  explicit Sequence(OutFile& file) : file_(file) {}
  void put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= (std::size_t{1} << 20)) flush();
  }
  void flush() {
    file_.append(buffer_);
    buffer_.clear();
  }

 private:
  OutFile& file_;
  std::string buffer_;
};

// Blocks of an array compressed on two threads, the caller's and a
// worker's, each pair while the next is read, and written in their order
// to a scratch file, their sizes to the header.
class Packer {
 public:
  static constexpr std::size_t block = 32768;

  Packer(std::FILE* blocks, int level, std::vector<std::uint64_t>& sizes, const std::string& path)
      : blocks_(blocks), level_(level), sizes_(sizes), path_(path) {
    for (Slot& slot : slots_) slot.packed.resize(compressBound(block));
  }

  // The block being filled.
  std::vector<unsigned char>& data() { return slots_[now_].data; }

  // Hands the block filled on.
  void pack() {
    Slot& now = slots_[now_];
    if (!waiting_) {
      ticket_ = worker_.run([this, &now] { squeeze(now); });
      waiting_ = true;
      now_ ^= 1;
      return;
    }
    squeeze(now);
    worker_.wait(ticket_);
    waiting_ = false;
    emit(slots_[now_ ^ 1]);
    emit(now);
  }

  // Writes the block still with the worker.
  void finish() {
    if (!waiting_) return;
    worker_.wait(ticket_);
    waiting_ = false;
    emit(slots_[now_ ^ 1]);
  }

 private:
  struct Slot {
    std::vector<unsigned char> data, packed;
    uLongf size = 0;
  };

  void squeeze(Slot& slot) const {
    slot.size = static_cast<uLongf>(slot.packed.size());
    if (compress2(slot.packed.data(), &slot.size, slot.data.data(), static_cast<uLong>(slot.data.size()), level_) !=
        Z_OK)
      throw Fault(path_ + ": the compression failed");
  }

  void emit(Slot& slot) {
    if (std::fwrite(slot.packed.data(), 1, slot.size, blocks_) != slot.size)
      throw Fault(path_ + ": the scratch file of the compressed blocks cannot be written");
    sizes_.push_back(slot.size);
    slot.data.clear();
  }

  std::FILE* blocks_;
  int level_;
  std::vector<std::uint64_t>& sizes_;
  const std::string& path_;
  std::array<Slot, 2> slots_;
  std::size_t now_ = 0;  // the slot being filled
  bool waiting_ = false;
  std::uint64_t ticket_ = 0;
  Worker worker_;
};

// A piece's file written again with its arrays compressed (zlib, in blocks
// of 32 KiB as VTK's writer makes them): each array's blocks go to a
// scratch file, their sizes to the header, which the blocks follow.
void compress(const OutFile& from, const Layout& layout, const Piece& piece, const Arrays& arrays, int level,
              const std::string& tail_text, OutFile& to, const std::string& scratch,
              const std::function<void()>& poll) {
  constexpr std::size_t block = Packer::block;
  Sequence out(to);
  out.put(head(piece, arrays, true));
  std::vector<std::uint64_t> header;
  std::vector<char> text;
  for (Array array : arrays.list()) {
    if (array != arrays.first()) out.put(arrays.between(array));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> blocks(std::fopen(scratch.c_str(), "w+b"), &std::fclose);
    if (!blocks) throw Fault(to.path() + ": no scratch file for the compressed blocks: " + std::strerror(errno));
    header.assign(3, 0);
    Packer packer(blocks.get(), level, header, to.path());
    // The array's text read back in groups, its byte count skipped.
    const std::int64_t total = 8 + bytes_of(array, piece);
    constexpr std::int64_t chunk = 3 * block;
    for (std::int64_t first = 0; first < total; first += chunk) {
      poll();
      const std::int64_t last = std::min(total, first + chunk);
      std::string groups = from.get(layout.at[array] + first / 3 * 4, std::size_t(base64::size(last - first)));
      std::vector<unsigned char> bytes(std::size_t(last - first));
      if (base64::decode(groups.data(), groups.size(), bytes.data()) != std::ptrdiff_t(bytes.size()))
        throw Fault(from.path() + ": cannot be read back");
      for (std::size_t k = first == 0 ? 8 : 0; k < bytes.size();) {
        std::vector<unsigned char>& data = packer.data();
        std::size_t n = std::min(bytes.size() - k, block - data.size());
        data.insert(data.end(), bytes.begin() + std::ptrdiff_t(k), bytes.begin() + std::ptrdiff_t(k + n));
        k += n;
        if (data.size() == block) packer.pack();
      }
    }
    if (!packer.data().empty()) {
      header[2] = packer.data().size();
      packer.pack();
    }
    packer.finish();
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
  out.put(tail_text);
  out.flush();
}

std::string pvtu_text(const std::string& output, int pieces, const Arrays& arrays, const std::string& field) {
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
  if (arrays.drawings)
    text +=
        "    <PCellData>\n"
        "      <PDataArray type=\"Int32\" Name=\"drawing\"/>\n"
        "    </PCellData>\n";
  if (arrays.marks)
    text +=
        "    <PPointData>\n"
        "      <PDataArray type=\"Int64\" Name=\"special\"/>\n"
        "    </PPointData>\n";
  for (int k = 1; k <= pieces; ++k)
    text += "    <Piece Source=\"" + escaped(base_name(piece_path(output, k))) + "\"/>\n";
  text += field + "  </PUnstructuredGrid>\n</VTKFile>\n";
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
      kind_ = options_.kinds.of(count);
      kept_ = options_.keep.empty() || options_.keep.count(std::string(kind_.cell->name)) > 0;
    }
    return kept_ ? &kind_ : nullptr;
  }

 private:
  const Options& options_;
  std::int64_t count_ = -1;
  Kind kind_;
  bool kept_ = false;
};

// A drawing of the input: its label, where its sections start (those after
// the elements found by a pass over the file), and where its nodes start
// among all the output's, from 0.
struct Drawing {
  std::string label;
  meshfile::Reader::Place elements, nodes, specials;
  std::int64_t base = 0;
};

// How the drawings are found: the one asked for; the first of them all,
// on the bet that it is the only one; or all of them, by a pass of their own.
enum class Mode { one, first, all };

// The first drawing of several was written as if alone: all of them are
// read again, found first.
struct More {};

class Converter {
 public:
  Converter(const std::string& input, const std::string& output, const Options& options, Mode mode)
      : reader_(open(input)), input_(input), output_(output), options_(options), mode_(mode) {
    if (!reader_.open(mode == Mode::one ? options.drawing : 1)) fail();
    header_ = reader_.header().text();
    if (mode == Mode::all) {
      index();
    } else {
      drawings_.push_back({std::string(reader_.label().text()), reader_.place(), {}, {}, 0});
      nodes_ = reader_.nodes();
    }
    arrays_.drawings = drawings_.size() > 1;
  }

  // Returns the drawings written.
  Written run() {
    plan();
    // An output over the input would cut the records short while they are read.
    for (const std::string& path : paths_)
      if (same_file(path, input_)) throw Fault(path + ": is the input file itself");
    if (options_.pieces > 0 && same_file(output_, input_)) throw Fault(output_ + ": is the input file itself");
    // The pieces are named after the .pvtu, beside it: a device or a pipe has
    // no folder of its own for them.
    if (options_.pieces > 0 && !Target(output_).apart())
      throw Fault(output_ + ": no file: the pieces of a .pvtu are written beside it, in its folder");
    // Each output is written apart and put in place only when all are whole.
    // Compressed, or to a device or a pipe, which cannot be read back, it is
    // written whole first to a scratch file, then front to back to its place.
    for (const std::string& path : paths_) targets_.emplace_back(path);
    for (const Target& target : targets_) {
      const bool staged = options_.compression > 0 || !target.apart();
      written_.push_back(staged ? scratch_.emplace_back(target).path() : target.written());
      staged_.push_back(staged);
    }
    write_cells();
    write_nodes();
    write_specials();
    // Bet on one drawing: lost when another follows.
    if (mode_ == Mode::first) {
      if (reader_.next()) throw More{};
      if (reader_.fault()) fail();
    }
    for (std::size_t p = 0; p < pieces_.size(); ++p) {
      if (!staged_[p]) continue;
      OutFile from(written_[p], OutFile::patch, paths_[p]);
      OutFile to(targets_[p].written(), OutFile::stream, paths_[p]);
      const auto poll = [this] { stopped(); };
      if (options_.compression > 0) {
        // The blocks of each array beside the output too, not in the
        // system's temporary folder, which may be small.
        const Scratch blocks(targets_[p]);
        compress(from, layouts_[p], pieces_[p], arrays_, options_.compression, tail_text(), to, blocks.path(), poll);
      } else {
        from.copy(to, poll);
      }
      to.close();
    }
    if (options_.pieces > 0) {
      targets_.emplace_back(output_);
      OutFile pvtu(targets_.back().written(), OutFile::stream, output_);
      pvtu.append(pvtu_text(output_, options_.pieces, arrays_, field_text()));
      pvtu.close();
    }
    stopped();
    for (Target& target : targets_) target.commit();
    fours_.resize(drawings_.size());
    return {static_cast<std::int64_t>(drawings_.size()), fours_};
  }

 private:
  static meshfile::Reader open(const std::string& input) {
    std::string failure;
    std::unique_ptr<meshfile::Source> source = meshfile::open_file(input, failure);
    if (!source) throw Fault(input + ": " + failure);
    return meshfile::Reader(std::move(source));
  }

  [[noreturn]] void fail() const { throw Fault(input_ + ": " + meshfile::describe(reader_.fault())); }

  std::span<const std::int64_t> element() {
    std::span<const std::int64_t> nodes;
    if (!reader_.element(nodes)) fail();
    return nodes;
  }

  // Every drawing: where its sections start, and its cells kept, with every
  // record read and checked.
  void index() {
    std::set<std::string> held;
    std::array<double, 3> xyz;
    std::int64_t node = 0;
    for (;;) {
      Drawing d{std::string(reader_.label().text()), reader_.place(), {}, {}, nodes_};
      for (std::int64_t e = 0, ne = reader_.elements(); e < ne; ++e) {
        poll(e);
        const Kind kind = options_.kinds.of(static_cast<std::int64_t>(element().size()));
        held.insert(std::string(kind.cell->name));
        kept_ += options_.keep.empty() || options_.keep.count(std::string(kind.cell->name));
      }
      d.nodes = reader_.place();
      for (std::int64_t i = 0, nn = reader_.nodes(); i < nn; ++i) {
        poll(i);
        if (!reader_.node(xyz)) fail();
      }
      d.specials = reader_.place();
      for (std::int64_t s = 0, ns = reader_.specials(); s < ns; ++s) {
        poll(s);
        if (!reader_.special(node)) fail();
      }
      nodes_ += reader_.nodes();
      drawings_.push_back(std::move(d));
      if (!reader_.next()) break;
    }
    if (reader_.fault()) fail();
    missing(held);
  }

  // The fault of kinds asked for that the mesh does not hold.
  void missing(const std::set<std::string>& held) const {
    std::set<std::string> missing;
    for (const std::string& name : options_.keep)
      if (!held.count(name)) missing.insert(name);
    if (!missing.empty())
      throw Fault("--cells: no cells of type " + joined(missing) + " in the mesh (it holds " + joined(held) + ")");
  }

  // The kept cells split evenly into pieces; without a choice of cells, no
  // pass is needed for that.
  void plan() {
    if (mode_ != Mode::all) {
      // Counts that the file cannot hold would lay out an output of their
      // size before the records run out: the records say where they fall
      // short.
      if (reader_.too_short() && (!reader_.check() || !reader_.restart())) fail();
      kept_ = options_.keep.empty() ? reader_.elements() : count_kept();
      if (kept_ == 0) {
        if (mode_ == Mode::first) throw More{};
        // The faults of the file come before the refusal.
        if (!reader_.check()) fail();
      }
    }
    // A file without cells shows nothing: refused, as every other output is.
    if (kept_ == 0) throw Fault(output_ + ": not written: no cell left to write");
    int n = std::max(options_.pieces, 1);
    if (options_.pieces > 0 && n > kept_ && mode_ == Mode::first) throw More{};
    if (options_.pieces > 0 && n > kept_)
      throw Fault("--pieces " + std::to_string(n) + ": more pieces than the " + std::to_string(kept_) +
                  " cells to write");
    pieces_.assign(static_cast<std::size_t>(n), Piece{});
    for (int p = 0; p < n; ++p) pieces_[std::size_t(p)].cells = kept_ / n * (p + 1) + kept_ % n * (p + 1) / n -
                                                           (kept_ / n * p + kept_ % n * p / n);
    for (const Drawing& d : drawings_) arrays_.marks = arrays_.marks || d.specials.specials > 0;
    if (mode_ != Mode::all) arrays_.marks = reader_.specials() > 0;
    for (std::size_t p = 0; p < pieces_.size(); ++p) {
      paths_.push_back(options_.pieces == 0 ? output_ : piece_path(output_, int(p) + 1));
      layouts_.emplace_back();
      layouts_.back().cells(static_cast<std::int64_t>(room(arrays_)), pieces_[p], arrays_);
    }
  }

  // The cells kept of the one drawing, by a pass of their own, and the
  // fault when a kind asked for is not in the drawing (not yet, when more
  // drawings may follow).
  std::int64_t count_kept() {
    std::set<std::string> held;
    std::int64_t kept = 0;
    std::int64_t count = -1;
    for (std::int64_t e = 0, ne = reader_.elements(); e < ne; ++e) {
      poll(e);
      std::int64_t m = static_cast<std::int64_t>(element().size());
      if (m == count) {
        ++kept;
        continue;
      }
      count = m;
      const std::string name(options_.kinds.of(m).cell->name);
      held.insert(name);
      if (options_.keep.count(name)) {
        ++kept;
      } else {
        // Runs of kept cells only are counted without a look-up.
        count = -1;
      }
    }
    if (mode_ == Mode::first)
      for (const std::string& name : options_.keep)
        if (!held.count(name)) throw More{};
    missing(held);
    if (!reader_.restart()) fail();
    return kept;
  }

  // The titles as field data, for the .vtu and the .pvtu.
  // One .vtu of several drawings also gives the nodes of each ("nodes"),
  // which its cells alone cannot tell (nodes that no cell uses, a drawing
  // without cells).
  std::string field_text() const {
    std::vector<std::string> labels;
    for (const Drawing& d : drawings_) labels.push_back(d.label);
    std::string counts;
    if (drawings_.size() > 1 && options_.pieces == 0) {
      std::string values;
      for (std::size_t d = 0; d < drawings_.size(); ++d)
        values += (d ? " " : "") + std::to_string((d + 1 < drawings_.size() ? drawings_[d + 1].base : nodes_) -
                                                  drawings_[d].base);
      counts = "      <DataArray type=\"Int64\" Name=\"nodes\" NumberOfTuples=\"" + std::to_string(drawings_.size()) +
               "\" format=\"ascii\">" + values + "</DataArray>\n";
    }
    return "    <FieldData>\n" + field_array("header", {header_}) + field_array("label", labels) + counts +
           "    </FieldData>\n";
  }
  std::string tail_text() const {
    return std::string("</DataArray>\n      </") + group(arrays_.last()) + ">\n    </Piece>\n" + field_text() +
           "  </UnstructuredGrid>\n</VTKFile>\n";
  }

  // Goes to a section of a drawing found by the pass over them all; with
  // one drawing, the reader stands there already.
  void go(const meshfile::Reader::Place& place) {
    if (mode_ == Mode::all && !reader_.go(place)) fail();
  }

  // Elements: the cell data, offsets, types and connectivity of each piece
  // in turn. When a piece's cells are done, its window of nodes is known,
  // and with it the place of every other array: the head and the end go in
  // then, and the file is closed until the nodes come.
  void write_cells() {
    Sorter sorter(options_);
    std::size_t p = 0;
    std::int64_t left = 0;
    std::unique_ptr<OutFile> file;
    std::unique_ptr<Region> connectivity, offsets, types, marks;
    std::int64_t offset = 0;
    auto start = [&] {
      Piece& piece = pieces_[p];
      const Layout& at = layouts_[p];
      file = std::make_unique<OutFile>(written_[p], OutFile::create, paths_[p]);
      if (arrays_.drawings) {
        marks = std::make_unique<Region>(*file, at.at[vtu::drawing], element_buffer / 4, &worker_);
        marks->put(std::uint64_t(bytes_of(vtu::drawing, piece)));
      }
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
        piece.hi = nodes_ - 1;
      }
      at.rest(piece, arrays_);
      if (marks) marks->finish();
      connectivity->finish();
      offsets->finish();
      types->finish();
      worker_.wait();
      renumber(*file, at.at[vtu::connectivity], piece);
      for (Array array : arrays_.list())
        if (array != arrays_.first()) file->put(at.at[array] - std::int64_t(arrays_.between(array).size()), arrays_.between(array));
      file->put(0, head(piece, arrays_, false, std::size_t(at.at[arrays_.first()])));
      file->put(at.end, tail_text());
      file->close();
      file.reset();
    };
    start();
    for (std::size_t d = 0; d < drawings_.size(); ++d) {
      go(drawings_[d].elements);
      const std::int64_t base = drawings_[d].base;
      const std::int32_t number = static_cast<std::int32_t>(d + 1);
      for (std::int64_t e = 0, ne = reader_.elements(); e < ne; ++e) {
        poll(e);
        std::span<const std::int64_t> nodes = element();
        if (nodes.size() == 4) {
          if (fours_.size() <= d) fours_.resize(d + 1);
          ++fours_[d];
        }
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
        piece.lo = std::min(piece.lo, base + *lo - 1);
        piece.hi = std::max(piece.hi, base + *hi - 1);
        piece.links += static_cast<std::int64_t>(nodes.size());
        // Within a piece, node numbers are written from 0 once its window is
        // known: until then, as they stand among all the drawings' nodes.
        if (kind->positions.empty()) {
          for (std::int64_t node : nodes) connectivity->put(std::int64_t(base + node - 1));
        } else {
          for (int position : kind->positions) connectivity->put(std::int64_t(base + nodes[std::size_t(position)] - 1));
        }
        offset += static_cast<std::int64_t>(nodes.size());
        offsets->put(offset);
        types->put(static_cast<std::uint8_t>(kind->cell->vtk));
        if (marks) marks->put(number);
        --left;
      }
    }
    // The cells were counted by a pass of their own (--cells, or all drawings).
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
    std::array<double, 3> xyz;
    for (const Drawing& d : drawings_) {
      go(d.nodes);
      for (std::int64_t k = 0, nn = reader_.nodes(); k < nn; ++k) {
        poll(k);
        const std::int64_t i = d.base + k;
        if (!reader_.node(xyz)) fail();
        for (; next < order.size() && pieces_[order[next]].lo == i; ++next) {
          std::size_t p = order[next];
          const Layout& at = layouts_[p];
          Open piece{p, std::make_unique<OutFile>(written_[p], OutFile::patch, paths_[p]), nullptr, nullptr};
          piece.points = std::make_unique<Region>(*piece.file, at.at[vtu::points], buffer, &worker_);
          piece.points->put(std::uint64_t(bytes_of(vtu::points, pieces_[p])));
          if (arrays_.marks) {
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
    if (!arrays_.marks) return;
    std::vector<std::size_t> order = windows();
    std::vector<std::int64_t> reach(order.size());
    std::int64_t most = -1;
    for (std::size_t r = 0; r < order.size(); ++r) reach[r] = most = std::max(most, pieces_[order[r]].hi);
    std::size_t cached = pieces_.size();
    std::unique_ptr<OutFile> file;
    std::int64_t special = 0;
    for (const Drawing& d : drawings_) {
      go(d.specials);
      for (std::int64_t s = 0, ns = reader_.specials(); s < ns; ++s) {
        poll(s);
        if (!reader_.special(special)) fail();
        const std::int64_t j = d.base + special - 1;
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
    }
    if (file) file->close();
  }

  // A look every 65,536 records whether the caller wants the conversion stopped.
  void poll(std::int64_t record) const {
    if ((record & 0xffff) == 0) stopped();
  }
  void stopped() const {
    if (options_.stop && options_.stop->load(std::memory_order_relaxed)) throw Fault(output_ + ": interrupted");
  }

  static bool same_file(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
  }

  meshfile::Reader reader_;
  std::string input_;
  std::string output_;
  const Options& options_;
  Mode mode_;
  std::string header_;
  std::vector<Drawing> drawings_;
  std::vector<std::int64_t> fours_;  // the elements of 4 nodes in each drawing
  std::int64_t nodes_ = 0;  // of all the drawings
  std::int64_t kept_ = 0;   // cells
  Arrays arrays_;
  std::vector<Piece> pieces_;
  std::vector<Layout> layouts_;
  std::vector<std::string> paths_;
  std::vector<Target> targets_;
  std::vector<Scratch> scratch_;
  // Encodes and writes the arrays while the records are read.
  Worker worker_;
  std::vector<std::string> written_;  // where each piece is written first
  std::vector<bool> staged_;          // whether that is a scratch file
};

}  // namespace

void check(const Options& options) {
  if (options.drawing < 0) throw Fault("drawing " + std::to_string(options.drawing) + " asked: drawings are numbered from 1");
  if (options.pieces < 0 || options.pieces > max_pieces)
    throw Fault("--pieces " + std::to_string(options.pieces) + ": from 1 to " + std::to_string(max_pieces));
  if (options.compression < 0 || options.compression > 9)
    throw Fault("compression level " + std::to_string(options.compression) + ": from 1 to 9, or 0 for none");
}

Written convert(const std::string& input, const std::string& output, const Options& options) {
  check(options);
  if (options.drawing > 0) return Converter(input, output, options, Mode::one).run();
  try {
    return Converter(input, output, options, Mode::first).run();
  } catch (const More&) {
    return Converter(input, output, options, Mode::all).run();
  }
}

}  // namespace bridge::vtu
