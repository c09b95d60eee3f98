#pragma once
// Ownership of an open C stream.

#include <cstdio>
#include <memory>

namespace toolkit {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Closes its stream when it goes out of scope. In the programs errmsg ends
// the process through std::exit, which flushes and closes every open stream
// as before; in the fuzzing build errmsg unwinds to the fuzz target, and the
// owner closes the file, so that no input leaves a descriptor or a stream
// buffer behind. An output file is handed to closeout with release(): its
// close is checked there.
using FileOwner = std::unique_ptr<std::FILE, CloseFile>;

}  // namespace toolkit
