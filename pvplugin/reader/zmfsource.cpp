#include "zmfsource.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <memory>
#include <span>
#include <string_view>

#include "meshfile/cells.hpp"
#include "meshfile/reader.hpp"

namespace zmfreader {

namespace {

// What the elements of one node count become: a kind of the table of cells
// and, for each of VTK's nodes, its place in the file's list (empty: the
// file's order).
struct Kind {
  const meshfile::CellKind* cell;
  std::vector<int> positions;
};

// Node count -> kind: the table's reading of each count, or a choice.
class Kinds {
 public:
  const Kind& of(std::int64_t count) {
    auto found = kinds_.find(count);
    if (found == kinds_.end()) {
      const meshfile::CellKind& cell = meshfile::default_kind(count);
      found = kinds_.emplace(count, Kind{&cell, meshfile::vtk_places(cell)}).first;
    }
    return found->second;
  }
  void choose(std::int64_t count, const meshfile::CellKind& cell) {
    kinds_[count] = Kind{&cell, meshfile::vtk_places(cell)};
  }

 private:
  std::map<std::int64_t, Kind> kinds_;
};

[[noreturn]] void refuse(std::string_view choice, const std::string& why) {
  throw Fault("cell types '" + std::string(choice) + "': " + why);
}

// The kinds of the cells, with the choices of `text` ("COUNT=TYPE" items
// apart by commas or blanks) over the default of each count.
Kinds kinds_of(std::string_view text) {
  Kinds kinds;
  while (!text.empty()) {
    const std::size_t start = text.find_first_not_of(", \t");
    if (start == std::string_view::npos) break;
    text.remove_prefix(start);
    const std::string_view choice = text.substr(0, text.find_first_of(", \t"));
    text.remove_prefix(choice.size());
    const std::size_t equals = choice.find('=');
    std::int64_t count = 0;
    const std::string_view digits = choice.substr(0, equals);
    bool number = equals != std::string_view::npos && !digits.empty() && digits.size() <= 10;
    for (char c : digits) {
      number = number && c >= '0' && c <= '9';
      if (number) count = count * 10 + (c - '0');
    }
    const std::string_view name = equals == std::string_view::npos ? "" : choice.substr(equals + 1);
    if (!number || name.empty()) refuse(choice, "COUNT=TYPE expected, e.g. 4=tetra");
    if (count < 1 || count > std::numeric_limits<std::int32_t>::max())
      refuse(choice, "the node count must be from 1 to 2147483647");
    const meshfile::CellKind* cell = meshfile::kind_named(name);
    if (cell == nullptr || cell->vtk == 0) refuse(choice, "no cell type " + std::string(name) + " in VTK");
    if (cell->nodes == 0) {
      if (count < 3) refuse(choice, "a polygon has 3 nodes or more");
    } else if (cell->nodes != count) {
      refuse(choice, "a " + std::string(name) + " cell has " + std::to_string(cell->nodes) + " nodes");
    }
    kinds.choose(count, *cell);
  }
  return kinds;
}

// The share of a drawing's `count` elements of piece `piece` of `pieces`: as
// ppt-convert -p splits a file's cells, the last pieces one more where they
// do not divide.
std::int64_t share_start(std::int64_t count, int piece, int pieces) {
  return count / pieces * piece + count % pieces * piece / pieces;
}

class Reading {
 public:
  Reading(const Request& request, const std::function<void(double)>& progress)
      : request_(request),
        progress_(progress),
        kinds_(kinds_of(request.cell_types)),
        records_(open(request.path)) {
    if (!records_.open(request.drawing == 0 ? 1 : request.drawing)) fail();
    mesh_.header = records_.header().text();
    mesh_.offsets.push_back(0);
  }

  Mesh run() {
    int number = request_.drawing == 0 ? 1 : request_.drawing;
    for (;;) {
      drawing(number);
      if (request_.drawing != 0 || !records_.next()) break;
      ++number;
    }
    if (records_.fault()) fail();
    return std::move(mesh_);
  }

 private:
  static meshfile::Reader open(const std::string& path) {
    std::string failure;
    std::unique_ptr<meshfile::Source> source = meshfile::open_file(path, failure);
    if (!source) throw Fault(path + ": " + failure);
    return meshfile::Reader(std::move(source));
  }

  [[noreturn]] void fail() const { throw Fault(request_.path + ": " + meshfile::describe(records_.fault())); }

  void drawing(int number) {
    mesh_.labels.emplace_back(records_.label().text());
    // The drawing's number on each cell, once a second drawing comes.
    if (mesh_.labels.size() == 2) mesh_.drawing.append(mesh_.types.size(), number - 1);
    const std::int64_t ne = records_.elements();
    const std::int64_t nn = records_.nodes();
    const std::int64_t ns = records_.specials();
    // Counts that the file cannot hold would size the arrays beyond it: the
    // records say where they fall short.
    if (records_.too_short() && (!records_.check() || !records_.restart())) fail();
    const bool whole = request_.pieces <= 1;
    const std::int64_t first = whole ? 0 : share_start(ne, request_.piece, request_.pieces);
    const std::int64_t last = whole ? ne : share_start(ne, request_.piece + 1, request_.pieces);
    const std::int64_t base = mesh_.points.size() / 3;
    const std::int64_t links = mesh_.connectivity.size();
    mesh_.offsets.reserve_more(last - first);
    mesh_.types.reserve_more(last - first);
    const bool numbered = mesh_.labels.size() > 1;
    if (numbered) mesh_.drawing.reserve_more(last - first);

    // Elements: node numbers from 0 as the file gives them, until the window
    // of nodes is known.
    std::int64_t lo = std::numeric_limits<std::int64_t>::max();
    std::int64_t hi = -1;
    std::int64_t count = -1;
    const Kind* kind = nullptr;
    std::span<const std::int64_t> nodes;
    for (std::int64_t e = 0; e < ne; ++e) {
      tick(e);
      if (!records_.element(nodes)) fail();
      if (e < first || e >= last) continue;
      const auto m = static_cast<std::int64_t>(nodes.size());
      if (m != count) {
        if (count < 0) reserve_links(m * (last - first));
        count = m;
        kind = &kinds_.of(m);
      }
      const auto [least, most] = std::minmax_element(nodes.begin(), nodes.end());
      lo = std::min(lo, *least - 1);
      hi = std::max(hi, *most - 1);
      if (kind->positions.empty()) {
        for (const std::int64_t node : nodes) mesh_.connectivity.push_back(node - 1);
      } else {
        for (const int position : kind->positions) mesh_.connectivity.push_back(nodes[position] - 1);
      }
      mesh_.offsets.push_back(mesh_.connectivity.size());
      mesh_.types.push_back(static_cast<unsigned char>(kind->cell->vtk));
      if (numbered) mesh_.drawing.push_back(number);
    }
    if (whole) {
      lo = 0;
      hi = nn - 1;
    }
    const std::int64_t window = hi >= lo ? hi - lo + 1 : 0;
    for (std::int64_t k = links; k < mesh_.connectivity.size(); ++k) mesh_.connectivity[k] += base - lo;

    // Nodes: those of the window, after the points of the drawings before.
    mesh_.points.reserve_more(3 * window);
    // The marks of the special nodes, from the first drawing that has some.
    if (ns > 0 && !mesh_.marked) {
      mesh_.marked = true;
      mesh_.special.append(base, -1);
    }
    if (mesh_.marked) mesh_.special.append(window, -1);
    std::array<double, 3> xyz;
    for (std::int64_t i = 0; i < nn; ++i) {
      tick(i);
      if (!records_.node(xyz)) fail();
      if (i < lo || i > hi) continue;
      mesh_.points.push_back(xyz[0]);
      mesh_.points.push_back(xyz[1]);
      mesh_.points.push_back(xyz[2]);
    }
    std::int64_t special = 0;
    for (std::int64_t s = 0; s < ns; ++s) {
      tick(s);
      if (!records_.special(special)) fail();
      const std::int64_t j = special - 1;
      if (j >= lo && j <= hi) mesh_.special[base + j - lo] = 0;
    }
  }

  // Room for the links of the share, as many as its first element's times its
  // cells, but no more than the rest of the file can hold (a digit and a
  // blank each): the block grows from there if elements differ.
  void reserve_links(std::int64_t wanted) {
    if (records_.size() >= 0) wanted = std::min(wanted, (records_.size() - records_.position()) / 2 + 1);
    mesh_.connectivity.reserve_more(std::max<std::int64_t>(wanted, 0));
  }

  // The part of the file read, every 65,536 records.
  void tick(std::int64_t record) {
    if ((record & 0xffff) != 0 || !progress_ || records_.size() <= 0) return;
    progress_(static_cast<double>(records_.position()) / static_cast<double>(records_.size()));
  }

  const Request& request_;
  const std::function<void(double)>& progress_;
  Kinds kinds_;
  meshfile::Reader records_;
  Mesh mesh_;
};

}  // namespace

Mesh read(const Request& request, const std::function<void(double)>& progress) {
  return Reading(request, progress).run();
}

}  // namespace zmfreader
