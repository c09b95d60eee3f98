#pragma once
// What every fuzz target shares: a private working directory, input files
// written from the fuzzer's bytes, and invariant checks that crash loudly.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// Creates a private directory under $TMPDIR (or /tmp) and makes it the
// current directory, where the readers look for their files. Called once,
// from LLVMFuzzerInitialize.
void enter_workdir();

// Writes the bytes to a file of the current directory, replacing it.
void write_file(const char* name, std::string_view bytes);

// Reads a whole file of the current directory; empty when it is missing.
std::string read_file(const char* name);

bool exists(const char* name);

// An invariant that does not hold is a finding: the message goes to the
// fuzzer's report and the process aborts, so that libFuzzer keeps the input.
void check(bool holds, const char* what);

// Checks, when it goes out of scope at the end of an input, that no file is
// left open: the C library keeps every open stream reachable, so the leak
// check cannot see one, and the descriptors would run out after a thousand
// inputs. A leaked descriptor holds the lowest free number.
class NoOpenFiles {
 public:
  NoOpenFiles();
  ~NoOpenFiles();
  NoOpenFiles(const NoOpenFiles&) = delete;
  NoOpenFiles& operator=(const NoOpenFiles&) = delete;

 private:
  int lowest_;
};

inline std::string_view bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz
