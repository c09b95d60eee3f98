#pragma once
// A mesh file as VTK XML unstructured grids: one .vtu, or a .pvtu over
// pieces of consecutive elements. Every drawing, or one: the drawings' nodes
// follow one another, and where there are more than one, the cell data
// "drawing" gives each cell's drawing (from 1). The special nodes are the
// point data "special" (0 at a special node, -1 elsewhere), the titles the
// field data "header" and "label" (UInt8: the bytes of each text, each
// ended by a zero byte; "label" holds one text per drawing), which ParaView
// and meshio both read. The records are read once (twice when only some
// cells are kept, to count them first; a file of several drawings is read
// once more to find them), each array streamed into its own region of the
// output, so that memory stays at a few MiB of buffers whatever the mesh.
// Binary, little-endian, with 64-bit sizes, each array inline as base64
// (XML parsers take that whole, where some cannot go on past a section of
// raw appended data), or compressed.

#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "meshfile/cells.hpp"

namespace bridge::vtu {

// What the elements of one node count become: a kind of the table of cells
// and its node order (entry k is the position in the file's node list of
// VTK's node k; empty: the file's order).
struct Kind {
  const meshfile::CellKind* cell = nullptr;
  std::vector<int> positions;
};

// Node count -> kind: the table's reading of each count; choose() sets
// another kind for a count.
class Kinds {
 public:
  // Throws std::invalid_argument for a kind that is not in the table, that
  // has no VTK type or not that many nodes.
  void choose(int count, const std::string& name);
  Kind of(std::int64_t count) const;

 private:
  std::map<std::int64_t, const meshfile::CellKind*> chosen_;
};

struct Options {
  // From 1; 0: every drawing.
  std::int64_t drawing = 0;
  // 0: one .vtu holding every node; N >= 1: a .pvtu over N piece files.
  int pieces = 0;
  Kinds kinds;
  // Names of the kinds kept; every element when empty.
  std::set<std::string> keep;
  // 0: the arrays as they are; 1 to 9: compressed by zlib at that level.
  int compression = 0;
  // Set by another thread to stop the conversion: it then fails as
  // interrupted, leaving nothing behind.
  const std::atomic<bool>* stop = nullptr;
};

inline constexpr int max_pieces = 4096;

// The pieces of a .pvtu: "dir/job.pvtu" -> "dir/job_1.vtu" ... for k = 1...
std::string piece_path(const std::string& pvtu, int k);

// Throws Fault for options out of their range.
void check(const Options& options);

// What a conversion wrote: its drawings, and the elements of 4 nodes in
// each, whose cell type (a quad or a tetrahedron) is a guess.
struct Written {
  std::int64_t drawings = 0;
  std::vector<std::int64_t> fours;
};

// Writes the drawings of the mesh file input to output. Throws Fault (one
// line naming the file and the fault); nothing of the output is left behind
// then. Pieces whose windows of nodes overlap are open at once: a .pvtu of
// many pieces may need as many files open.
Written convert(const std::string& input, const std::string& output, const Options& options);

}  // namespace bridge::vtu
