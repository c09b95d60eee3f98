#pragma once
// The node orders of the suite's 8-node face and 20-node brick in meshio's
// (VTK's) order: the one place they are kept; the Python package takes them
// from the core.
//
// The suite lists the 8-node face as corner, mid-side, corner, ... around its
// boundary, and the 20-node brick as the ring of 8 at the bar's start (corners
// first, third, ...), the 4 mid-length nodes under those corners and the ring
// of 8 at its end. meshio lists corners first, then the mid-side nodes edge by
// edge. Entry k is the position in the file's list of meshio's node k.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace bridge {

inline constexpr std::array<std::int64_t, 8> quad8_positions{0, 2, 4, 6, 1, 3, 5, 7};
inline constexpr std::array<std::int64_t, 20> hexahedron20_positions{0, 2, 4,  6,  12, 14, 16, 18, 1,  3,
                                                                     5, 7, 13, 15, 17, 19, 8,  9,  10, 11};

// The cell types whose order differs from the file's.
inline constexpr std::string_view ordered_types[] = {"quad8", "hexahedron20"};

// The positions for meshio's cell type name; empty when the type keeps the
// file's order.
inline std::span<const std::int64_t> file_positions(std::string_view type) {
  if (type == "quad8") return quad8_positions;
  if (type == "hexahedron20") return hexahedron20_positions;
  return {};
}

}  // namespace bridge
