#pragma once
// The word filter from an input descriptor to an output stream.

#include <cstdio>

namespace wordlist {

// Writes every word of the input, up to the comment of its line, on a line
// of its own. A line that is not read whole (too long, or a last line
// without line end) stops the program once the words before it are out, as
// does a read error. console: the words of each line are handed on before
// the next line is read.
void filter(int input_fd, std::FILE* out, bool console);

}  // namespace wordlist
