#include "toolkit/output.hpp"

#include <fcntl.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "toolkit/diagnostics.hpp"

namespace toolkit {

void holdstd() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
}

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
  if (errno == EPIPE) std::exit(1);
  errmsg("Error writing standard output");
}

}  // namespace toolkit
