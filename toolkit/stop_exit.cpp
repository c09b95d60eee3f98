#include <cstdlib>

#include "toolkit/diagnostics.hpp"

namespace toolkit {

// std::exit runs the exit processing: every open C stream, standard output
// and any output file being written, is flushed and closed.
void stop() { std::exit(1); }

}  // namespace toolkit
