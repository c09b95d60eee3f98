#pragma once
// Every call to the operating system that the programs and the mesh file's
// library make lives behind these routines; the rest of their code uses the
// standard library only. (The core that Python loads writes its .vtu files
// at known offsets and renames them into place: bridge/outfile.cpp makes
// those calls of its own.)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace toolkit::platform {

// Called first by every program. A standard stream that the caller closed
// would hand its descriptor to the next file opened, and console text
// written later would land in that file: the null device holds such a
// descriptor, opened the other way round, so that every read or write on it
// still fails as on a closed one. Standard input is read in binary mode
// where the system distinguishes text from binary.
void holdstd();

// Opens a file for reading in binary mode; no file when it cannot be opened
// or is a directory, which some systems open but never read.
std::FILE* openin(const std::string& name);

// Opens a file for writing, created or replaced: in the system's text mode
// (text) or byte for byte.
std::FILE* openout(const std::string& name, bool text);

// True when the name names an existing file that is not a directory.
bool isfile(const std::string& name);

// True when both names lead to one and the same existing file (through
// links, or another spelling of the path).
bool samefile(const std::string& a, const std::string& b);

// Bytes of an open regular file not yet read through the stream, or -1 when
// the stream is no regular file or its length is unknown.
std::int64_t unread(std::FILE* file);

// Moves the position of an open file to a byte offset from its start, for
// another pass over it; false when the file cannot be moved in (a pipe).
bool seek(std::FILE* file, std::int64_t offset);

// Reads what has arrived on the standard input, at most size bytes, waiting
// only until some has: a console or a pipe hands out each line as it comes.
// Returns the bytes read, 0 at the end of the input; -1 on a read error.
long long readin(char* buffer, std::size_t size);

// A block of size bytes from the heap, released with std::free, or null.
// Large blocks start on a large page and ask for large pages where the
// system offers them transparently: a program that fills hundreds of
// megabytes otherwise spends much of its time taking one fault per small
// page on the first touch.
void* heapblock(std::size_t size);

// A block of the heap (from heapblock, heapgrow or null) grown or shrunk to
// size bytes, its contents kept, as std::realloc does; null when it cannot
// be had, and the block is then unchanged. No large pages here: a block that
// grows has an end not yet written to, which large pages would make
// resident.
void* heapgrow(void* block, std::size_t size);

// True when the last failed write went to a pipe whose reader is gone.
bool brokenpipe();

// True when standard error is a terminal, where a person reads it.
bool errterminal();

}  // namespace toolkit::platform
