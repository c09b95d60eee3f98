#pragma once
// The splitter: each drawing of a mesh file to a mesh file of its own.

#include <string_view>

namespace meshtools {

// Writes each drawing of jobname.zmf, behind the input's header line, to
// jobname_01.zmf, jobname_02.zmf, ...; prints the progress lines and the
// number of drawings. Stops the program on any error.
void split(std::string_view job);

}  // namespace meshtools
