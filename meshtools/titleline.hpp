#pragma once
// The lines of a mesh file that the tools look into: the header, and the
// count line that meshcut parses.

#include <string>

#include "toolkit/reader.hpp"
#include "toolkit/writer.hpp"

namespace meshtools {

// A line as the mesh file format allows: 998 characters and its line feed.
inline constexpr std::size_t max_line = 999;

// Reads the next line whole into line, its line end included; false at the
// end of the input. A line longer than max_line stops the program with "Line
// too long", and one with a carriage return inside (old CR-only line ends,
// which would make the whole file pass for one line, and the drawings in it
// for none) with "Carriage return inside a line ...", each with the line's
// number.
bool getline(toolkit::Reader& in, std::string& line);

// Copies the next line, of any length, to out (or drops it when out is
// null), with the same check of carriage returns; false when there was none.
bool copytitle(toolkit::Reader& in, toolkit::Writer* out);

}  // namespace meshtools
