#pragma once
// A fault of the core: one line, "FILE: what is wrong".

#include <stdexcept>

namespace bridge {

struct Fault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace bridge
