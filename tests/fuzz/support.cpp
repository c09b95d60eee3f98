#include "tests/fuzz/support.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

namespace {

void enter_workdir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pptfuzz.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
    std::perror("fuzz: no working directory");
    std::abort();
  }
}

}  // namespace

void write_file(const char* name, std::string_view bytes) {
  // Written with the system calls: libFuzzer may have closed the standard
  // streams, and the C streams of the target must stay untouched.
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  check(fd >= 0, "cannot create an input file");
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    check(n > 0, "cannot write an input file");
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

std::string read_file(const char* name) {
  std::string text;
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) return text;
  char block[65536];
  for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) text.append(block, static_cast<std::size_t>(n));
  ::close(fd);
  return text;
}

bool exists(const char* name) {
  struct stat info;
  return ::stat(name, &info) == 0;
}

std::string_view write_parts(std::string_view input, std::string_view separator, const char* first,
                             const char* second) {
  const std::size_t at = input.find(separator);
  write_file(first, input.substr(0, at));
  if (at == std::string_view::npos)
    std::remove(second);
  else
    write_file(second, input.substr(at + separator.size()));
  return input.substr(0, at);
}

namespace {

// A leaked descriptor holds the lowest free number.
int lowest_free_descriptor() {
  const int fd = ::open("/dev/null", O_RDONLY);
  check(fd >= 0, "no descriptor left");
  ::close(fd);
  return fd;
}

}  // namespace

void check(bool holds, const char* what) {
  if (holds) return;
  // Standard error may be closed (-close_fd_mask); the sanitizer's summary
  // line goes where libFuzzer writes its reports.
  std::fprintf(stderr, "\nFUZZ INVARIANT BROKEN: %s\n", what);
  __sanitizer_report_error_summary((std::string("fuzz invariant broken: ") + what).c_str());
  std::abort();
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::enter_workdir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int lowest = fuzz::lowest_free_descriptor();
  fuzz::one_input({reinterpret_cast<const char*>(data), size});
  fuzz::check(fuzz::lowest_free_descriptor() == lowest, "an input left a file open");
  return 0;
}
