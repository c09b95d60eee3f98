#pragma once
// Runs a piece of code in a child process with its own standard streams, so
// that routines that write to the console or end the process can be tested.

#include <functional>
#include <string>
#include <string_view>

namespace harness {

struct Outcome {
  std::string out;  // standard output
  std::string err;  // standard error
  int status;       // exit status; 128 + signal number when killed
};

// Runs body with standard input reading input; a body that returns ends the
// child with status 0 through the normal exit path.
Outcome capture(const std::function<void()>& body, std::string_view input = {});

}  // namespace harness
