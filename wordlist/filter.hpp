#pragma once
// The word filter from a reader to an output stream.

#include <cstdio>

#include "toolkit/reader.hpp"

namespace wordlist {

// Writes every word of the input, up to the comment of its line, on a line
// of its own. A line that is not read whole (too long, or a last line
// without line end) stops the program once the words before it are out.
// Before every read that may wait for input, the words so far are handed
// on: a console or a pipe sees the words of each line as it comes.
void filter(toolkit::Reader& input, std::FILE* stream);

}  // namespace wordlist
