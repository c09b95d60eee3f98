#pragma once
// Files of a job: their names, opening them, owning them while they are
// open, and checked output, so that a full disk or a closed stream never
// passes as success.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace toolkit {

inline constexpr std::size_t name_size = 84;

// The job name followed by the ending. A name that would not fit the 84-byte
// buffers (83 characters and a zero) stops the program: it is never cut.
std::string mkname(std::string_view job, std::string_view ending);

// Closes a file; an output written beside its place goes to that place,
// as far as it got (openout).
struct CloseFile {
  void operator()(std::FILE* file) const;
};

// Closes its stream when it goes out of scope. In the programs errmsg ends
// the process through std::exit, which flushes and closes every open stream
// as before; in the fuzzing build errmsg unwinds to the fuzz target, and the
// owner closes the file, so that no input leaves a descriptor or a stream
// buffer behind. An output file is handed to closeout with release(): its
// close is checked there.
using FileOwner = std::unique_ptr<std::FILE, CloseFile>;

// Opens an input for reading, byte for byte (the readers take LF and CR LF
// line ends alike); no file when it cannot be opened or is a directory.
FileOwner openin(const std::string& name);

// An input of the job, announced and opened: prints the progress line
// ("\nReading file: name\n" with the verb given; none for an empty verb, a
// file read again) and opens the file; stops with "File not found - " and its
// generic name ("jobname.kvd") when it cannot.
FileOwner openjob(std::string_view verb, const std::string& name, std::string_view generic_name);

// How an output is written: as the system's text (CR LF line ends where
// that is the custom), or byte for byte as a copy of an input.
enum class Form { text, bytes };

// Creates or replaces an output file; stops the program with "Unable to open
// output file - " and its generic name ("jobname.dxf") when it cannot.
// Where it can (a new file, or a regular file that could be written over, in
// a folder that lets a file be made), the output is written beside its place
// (links followed to their end) under a hidden name of its own, and renamed
// onto its place when it is closed: an interrupted run leaves the earlier
// file as it was and no part (platform::openpart). A run that stops on an
// error, or whose file is closed by unwinding, puts what it wrote in place
// all the same, as an output written in place would stand. Anything else
// (a device, a pipe) is written where it is.
FileOwner openout(const std::string& name, std::string_view generic_name, Form form);

// Flushes and closes an output file; when any write to it failed, stops with
// "Error writing file - " and the file's generic name.
void closeout(FileOwner out, std::string_view generic_name);

// Flushes standard output and stops with an ERROR block when anything written
// to it was lost. A reader that went away (a closed pipe) ends the program
// quietly with status 1 instead.
void endout();

// Stops right after a write to standard output failed, as endout would: to be
// called while the system still tells why.
[[noreturn]] void outerr();

}  // namespace toolkit
