#include "toolkit/platform.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mman.h>
#endif
#endif

namespace toolkit::platform {

#ifdef _WIN32

namespace {

// The system's handle behind a stream, or none. A stream without a
// descriptor (a program started with no such standard handle) has a
// negative number, which _get_osfhandle must not be given.
HANDLE handle_of(std::FILE* stream) {
  const int fd = _fileno(stream);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// A process started without a standard handle has none, or the C runtime's
// placeholder -2 in its place.
bool usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && handle != reinterpret_cast<HANDLE>(-2);
}

}  // namespace

void holdstd() {
  // The C runtime keeps descriptors 0 to 2 reserved even when the process
  // was started without such a handle, so no file opened later takes one
  // over. What is left is to make reads and writes on them fail as they do
  // on a closed descriptor elsewhere: the null device opened the other way
  // round does that, whichever runtime the program was linked with.
  std::FILE* const streams[3] = {stdin, stdout, stderr};
  for (int fd = 0; fd <= 2; ++fd) {
    if (usable(handle_of(streams[fd]))) continue;
    std::freopen("NUL", fd == 0 ? "w" : "r", streams[fd]);
  }
  // Input is data: CR LF is left to the readers, and a Ctrl-Z byte must not
  // end it.
  _setmode(_fileno(stdin), _O_BINARY);
}

std::FILE* openin(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  struct _stat64 info;
  if (_fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

std::FILE* openout(const std::string& name, bool text) { return std::fopen(name.c_str(), text ? "w" : "wb"); }

bool isfile(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

// The identity of an existing file: its volume and its index on the volume.
// The C runtime's stat gives no inode number on Windows (always 0).
bool identify(const std::string& name, BY_HANDLE_FILE_INFORMATION& info) {
  // Backup semantics open directories too; no access right is needed to
  // read the identity, and any sharing lets files held open by others in.
  const HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

bool samefile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!identify(a, ia) || !identify(b, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

std::int64_t unread(std::FILE* file) {
  struct _stat64 info;
  if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return -1;
  const __int64 at = _ftelli64(file);
  if (at < 0) return -1;
  return static_cast<std::int64_t>(info.st_size) - at;
}

bool seek(std::FILE* file, std::int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

long long readin(char* buffer, std::size_t size) {
  // A console or pipe read returns what has arrived; a pipe whose writer
  // has gone reads as the end of the input.
  const unsigned int count = size > INT_MAX ? INT_MAX : static_cast<unsigned int>(size);
  return _read(0, buffer, count);
}

void* heapblock(std::size_t size) { return std::malloc(size); }

bool brokenpipe() {
  if (errno == EPIPE) return true;
  // There is no SIGPIPE: a write to a pipe whose reader is gone fails, and
  // the C runtime reports it as EINVAL. The system's own error tells it
  // from other invalid arguments (Windows gives ERROR_NO_DATA, Wine
  // ERROR_PIPE_NOT_CONNECTED).
  const DWORD error = GetLastError();
  return errno == EINVAL &&
         (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED);
}

bool errterminal() { return _isatty(2) != 0; }

#else  // POSIX

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

bool seek(std::FILE* file, std::int64_t offset) { return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0; }

long long readin(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, buffer, size);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    // A non-blocking input: wait until it has more, as a blocking read would.
    pollfd wait{STDIN_FILENO, POLLIN, 0};
    poll(&wait, 1, -1);
  }
}

void* heapblock(std::size_t size) {
#ifdef __linux__
  // Only the whole large pages inside the block are marked, so the block
  // never holds more memory than it asks for; where the system has no such
  // pages, the advice has no effect.
  constexpr std::size_t large_page = std::size_t{1} << 21;
  if (size >= 2 * large_page) {
    void* block = nullptr;
    if (posix_memalign(&block, large_page, size) != 0) return nullptr;
    madvise(block, size & ~(large_page - 1), MADV_HUGEPAGE);
    return block;
  }
#endif
  return std::malloc(size);
}

bool brokenpipe() { return errno == EPIPE; }

bool errterminal() { return isatty(2) != 0; }

#endif

void* heapgrow(void* block, std::size_t size) { return std::realloc(block, size); }

}  // namespace toolkit::platform
