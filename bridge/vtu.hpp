#pragma once
// A drawing of a mesh file as VTK XML unstructured grids: one .vtu, or a
// .pvtu over pieces of consecutive elements. The records are read once
// (twice when only some cells are kept, to count them first), each array
// streamed into its own region of the output, so that memory stays at a
// few MiB of buffers whatever the mesh. Binary, little-endian, with 64-bit
// sizes, each array inline as base64 (XML parsers take that whole, where
// some cannot go on past a section of raw appended data), or compressed.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace bridge::vtu {

// What the elements of one node count become: meshio's name of the cell
// type, VTK's number for it, and the node order (entry k is the position in
// the file's node list of VTK's node k; empty: the file's order).
struct Kind {
  std::string name;
  std::uint8_t vtk = 0;
  std::vector<int> positions;
};

// Node count -> kind: meshio's default reading of each count, any count not
// listed being a polygon; choose() sets another kind for a count.
class Kinds {
 public:
  Kinds();
  // Throws std::invalid_argument when the order is no permutation of the count.
  void choose(int count, Kind kind);
  const Kind& of(std::int64_t count) const;

 private:
  std::map<std::int64_t, Kind> chosen_;
  Kind polygon_;
};

struct Options {
  int drawing = 1;
  // 0: one .vtu holding every node; N >= 1: a .pvtu over N piece files.
  int pieces = 0;
  Kinds kinds;
  // Names of the kinds kept; every element when empty.
  std::set<std::string> keep;
  // 0: the arrays as they are; 1 to 9: compressed by zlib at that level.
  int compression = 0;
};

inline constexpr int max_pieces = 4096;

// The pieces of a .pvtu: "dir/job.pvtu" -> "dir/job_1.vtu" ... for k = 1...
std::string piece_path(const std::string& pvtu, int k);

// Sets or clears the request that a conversion under way in another thread
// stop: it then fails as interrupted, leaving nothing behind.
void interrupt(bool stop);

// Writes drawing options.drawing of the mesh file input to output. Throws
// Fault (one line naming the file and the fault); nothing of the output is
// left behind then.
void convert(const std::string& input, const std::string& output, const Options& options);

}  // namespace bridge::vtu
