#pragma once
// Line reads from a text file: at most 999 bytes up to and including the
// next line feed, and a terminating zero.

#include <cstddef>
#include <cstdio>

#include "toolkit/scanning.hpp"

namespace toolkit {

// Returns the number of bytes stored (0 at the end of the file). A line
// longer than 999 bytes comes in several reads; a zero byte read from the
// file is stored like any other, so comparing the result with the length of
// the zero-terminated text tells whether the line held one.
std::size_t getln(std::FILE* file, LineBuf& line);

}  // namespace toolkit

#include <string>

namespace toolkit {

// Opens a text file for reading; gives no file when it cannot be opened or
// is a directory, which the system would open but never read.
std::FILE* openin(const std::string& name);

}  // namespace toolkit
