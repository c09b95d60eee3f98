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

// An output is written under a name of its own beside its place and
// renamed onto it when whole, so that a run cut short leaves the earlier
// file as it was. What follows is that mechanism's part in the system.

// The file a name leads to: links followed to their end, one that points
// nowhere yet included; the name itself where there is no link.
std::string endpath(const std::string& name);

// True when an output can be written beside its place (from endpath): there
// is no file there yet, or a regular file that could be opened for writing.
// A device, a pipe, a directory or a file that cannot be written is opened
// in place, as every output once was, and fails as it did.
bool besideable(const std::string& place);

// Creates a new file beside the place, hidden and unique (".name.XXXXXX" in
// the place's folder, its name in part), with the permissions and owner of
// the file in place, if any, and opens it for writing (in the system's text
// mode where text). Until placepart or droppart, an interrupt (SIGINT,
// SIGTERM, SIGHUP; Ctrl-C, Ctrl-Break or the closing of the console on
// Windows) removes the part before the process dies of it as before, and a
// reader of the standard output that went away (SIGPIPE) leaves it in
// place, as far as it got, as that signal always left an output. On
// Windows a file that is not there yet is made in place, as its own part:
// no earlier file to keep, and one fewer rename. No stream when it cannot
// be made.
std::FILE* openpart(const std::string& place, bool text, std::string& part);

// Renames a closed part onto its place (nothing to do for a part that is
// its place), for good. False (errno set) when it cannot.
bool placepart(const std::string& part, const std::string& place);

// Removes a part that is not to be kept.
void droppart(const std::string& part);

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
