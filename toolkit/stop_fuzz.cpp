#include "toolkit/stop_fuzz.hpp"

#include "toolkit/diagnostics.hpp"

namespace toolkit {

// Linked only into the fuzzing build: the fuzz target, not the process, is
// where a stopped routine ends.
void stop() { throw Stopped{}; }

}  // namespace toolkit
