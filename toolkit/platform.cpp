#include "toolkit/platform.hpp"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace toolkit::platform {

void holdstd() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
}

std::FILE* openin(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

std::FILE* openout(const std::string& name, bool text) { return std::fopen(name.c_str(), text ? "w" : "wb"); }

bool isdir(const std::string& name) {
  struct stat info;
  return stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isfile(const std::string& name) {
  struct stat info;
  return stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool samefile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::int64_t unread(std::FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const off_t at = ftello(file);
  if (at < 0) return -1;
  return static_cast<std::int64_t>(info.st_size) - static_cast<std::int64_t>(at);
}

long long readin(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, buffer, size);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // A non-blocking input: wait until it has more, as a blocking read would.
      pollfd wait{STDIN_FILENO, POLLIN, 0};
      ::poll(&wait, 1, -1);
      continue;
    }
    return -1;
  }
}

void* heapblock(std::size_t size) {
#ifdef __linux__
  constexpr std::size_t large_page = std::size_t{1} << 21;
  if (size >= 2 * large_page) {
    // Only the whole large pages inside the block are marked, so the block
    // never holds more memory than it asks for.
    void* block = nullptr;
    if (posix_memalign(&block, large_page, size) != 0) return nullptr;
    madvise(block, size & ~(large_page - 1), MADV_HUGEPAGE);
    return block;
  }
#endif
  return std::malloc(size);
}

bool brokenpipe() { return errno == EPIPE; }

}  // namespace toolkit::platform
