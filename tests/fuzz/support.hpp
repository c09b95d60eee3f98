#pragma once
// What every fuzz target shares: a private working directory, input files
// written from the fuzzer's bytes, and invariant checks that crash loudly.

#include <string>
#include <string_view>

namespace fuzz {

// What a target does with one input; the driver in support.cpp is
// libFuzzer's entry. It runs every target in a private directory under
// $TMPDIR (or /tmp), where the readers look for their files, and checks
// after each input that no file was left open: the C library keeps every
// open stream reachable, so the leak check cannot see one, and the
// descriptors would run out after a thousand inputs.
void one_input(std::string_view input);

// Writes the bytes to a file of the current directory, replacing it.
void write_file(const char* name, std::string_view bytes);

// Reads a whole file of the current directory; empty when it is missing.
std::string read_file(const char* name);

bool exists(const char* name);

// Writes the input up to the separator to the file first, and what follows
// the separator to the file second, which is removed when the input has no
// separator. Gives the first part.
std::string_view write_parts(std::string_view input, std::string_view separator, const char* first,
                             const char* second);

// An invariant that does not hold is a finding: the message goes to the
// fuzzer's report and the process aborts, so that libFuzzer keeps the input.
void check(bool holds, const char* what);

}  // namespace fuzz
