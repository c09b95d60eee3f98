#pragma once
// Checked output: a full disk or a closed stream never passes as success.

#include <cstdio>
#include <string_view>

namespace toolkit {

// Called first by every program. A standard stream that the caller closed
// would hand its descriptor to the next file opened, and console text
// written later would land in that file. /dev/null holds such a descriptor,
// opened the other way round, so that every read or write on it still fails
// as on a closed one.
void holdstd();

// Flushes and closes an output file; when any write to it failed, stops with
// "Error writing file - " and the file's generic name (e.g. "jobname.zmf").
void closeout(std::FILE* file, std::string_view generic_name);

// Flushes standard output and stops with an ERROR block when anything written
// to it was lost. A reader that went away (a closed pipe) ends the program
// quietly with status 1 instead.
void endout();

// Stops right after a write to standard output failed, as endout would: to be
// called while errno still tells why.
[[noreturn]] void outerr();

}  // namespace toolkit
