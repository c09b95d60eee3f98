#include "toolkit/output.hpp"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "toolkit/diagnostics.hpp"
#include "toolkit/platform.hpp"

namespace toolkit {

void holdstd() { platform::holdstd(); }

void closeout(std::FILE* file, std::string_view generic_name) {
  bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
  failed = std::fclose(file) != 0 || failed;
  if (failed) errmsg("Error writing file - " + std::string(generic_name));
}

void endout() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return;
  outerr();
}

void outerr() {
  // Nobody is left to read a message about a closed pipe.
  if (platform::brokenpipe()) std::exit(1);
  errmsg("Error writing standard output");
}

}  // namespace toolkit
