#include "toolkit/stop_fuzz.hpp"

#include "toolkit/diagnostics.hpp"
#include "toolkit/writer.hpp"

namespace toolkit {

// Linked only into the fuzzing build: the fuzz target, not the process, is
// where a stopped routine ends. The writers' blocks go out as in a real stop.
void stop() {
  Writer::flushall();
  throw Stopped{};
}

}  // namespace toolkit
