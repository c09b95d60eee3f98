#include <cstdlib>

#include "toolkit/diagnostics.hpp"
#include "toolkit/writer.hpp"

namespace toolkit {

// The blocks of the open writers go to their streams, then std::exit runs
// the exit processing: every open C stream, standard output and any output
// file being written, is flushed and closed.
void stop() {
  Writer::flushall();
  std::exit(1);
}

}  // namespace toolkit
