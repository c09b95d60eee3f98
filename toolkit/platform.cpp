#include "toolkit/platform.hpp"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mman.h>
#endif
#endif

namespace toolkit::platform {

namespace {

// The parts being written, as the interrupt handler finds them: it may use
// nothing else, and only calls that are safe in a signal handler. A part
// whose names do not fit is not made: its output is written in place.
constexpr int max_parts = 8;
constexpr std::size_t max_path = 4096;

struct Slot {
  volatile std::sig_atomic_t used;
  char part[max_path];
  char place[max_path];
};

Slot slots[max_parts];

Slot* free_slot() {
  for (Slot& slot : slots)
    if (!slot.used) return &slot;
  return nullptr;
}

void release(const std::string& part) {
  for (Slot& slot : slots)
    if (slot.used && part == slot.part) slot.used = 0;
}

// The folder of a path, with its separator, and the name in it.
std::size_t name_start(const std::string& path) {
#ifdef _WIN32
  const std::size_t cut = path.find_last_of("/\\:");
#else
  const std::size_t cut = path.rfind('/');
#endif
  return cut == std::string::npos ? 0 : cut + 1;
}

// The name of the k-th try at a part beside the place: ".name.XXXXXX",
// six letters or digits drawn from the process, the time and the try.
std::string part_name(const std::string& place, std::uint64_t seed, int k) {
  static constexpr char letters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::uint64_t x = seed + 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(k + 1);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  const std::size_t cut = name_start(place);
  std::string part = place.substr(0, cut) + "." + place.substr(cut) + ".";
  for (int i = 0; i < 6; ++i, x /= 62) part += letters[x % 62];
  return part;
}

}  // namespace

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

// The interrupt comes as a call of the console's control handler on a
// thread of its own while the program goes on: the table of parts is
// changed under a lock, and once interrupted nothing is put in place any
// more: the thread waits for the process's end.
namespace {

SRWLOCK parts_lock = SRWLOCK_INIT;
volatile LONG interrupted = 0;

class Quiet {
 public:
  Quiet() {
    AcquireSRWLockExclusive(&parts_lock);
    if (interrupted == 0) return;
    ReleaseSRWLockExclusive(&parts_lock);
    Sleep(INFINITE);
  }
  ~Quiet() { ReleaseSRWLockExclusive(&parts_lock); }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
};

BOOL WINAPI on_console(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    AcquireSRWLockExclusive(&parts_lock);
    interrupted = 1;
    // The parts are open with FILE_SHARE_DELETE: each goes when the
    // process's end closes it.
    for (Slot& slot : slots)
      if (slot.used) DeleteFileA(slot.part);
    ReleaseSRWLockExclusive(&parts_lock);
  }
  // The next handler, the system's, ends the process as it always did.
  return FALSE;
}

void guard() {
  static bool done = false;
  if (done) return;
  done = true;
  SetConsoleCtrlHandler(on_console, TRUE);
}

void set_errno(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
    default: errno = EACCES;
  }
}

// A new part beside the place, open for writing and for others to delete.
HANDLE createpart(const std::string& place, std::string& part, Slot& slot) {
  const std::uint64_t seed = (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ GetTickCount64();
  static int tries = 0;
  for (int k = 0; k < 100; ++k) {
    part = part_name(place, seed, tries++);
    if (part.size() >= max_path) {
      errno = ENAMETOOLONG;
      return INVALID_HANDLE_VALUE;
    }
    std::memcpy(slot.part, part.c_str(), part.size() + 1);
    const HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    set_errno(error);
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::string endpath(const std::string& name) { return name; }

bool besideable(const std::string& place) {
  const DWORD attributes = GetFileAttributesA(place.c_str());
  // Nothing there, or no such folder: openpart makes the file itself.
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  // A link is written through, in place: renamed onto, it would be replaced.
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return false;
  const HANDLE file = CreateFileA(place.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool disk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return disk;
}

std::FILE* openpart(const std::string& place, bool text, std::string& part) {
  guard();
  const Quiet quiet;
  Slot* slot = free_slot();
  if (slot == nullptr || place.size() >= max_path) return nullptr;
  // A new file is its own part: made where it goes, it has no earlier file
  // to keep, and an interrupt removes it all the same. So a name that the
  // system lists but cannot read (a link that leads nowhere, as Wine shows
  // one) is refused here and opened in place, failing as it did.
  HANDLE file = INVALID_HANDLE_VALUE;
  if (GetFileAttributesA(place.c_str()) == INVALID_FILE_ATTRIBUTES) {
    part = place;
    std::memcpy(slot->part, place.c_str(), place.size() + 1);
    file = CreateFileA(place.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  } else {
    file = createpart(place, part, *slot);
  }
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), text ? _O_TEXT : 0);
  if (fd < 0) {
    CloseHandle(file);
    DeleteFileA(part.c_str());
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, text ? "w" : "wb");
  if (stream == nullptr) {
    _close(fd);
    DeleteFileA(part.c_str());
    return nullptr;
  }
  _setmode(fd, text ? _O_TEXT : _O_BINARY);
  std::memcpy(slot->place, place.c_str(), place.size() + 1);
  slot->used = 1;
  return stream;
}

bool placepart(const std::string& part, const std::string& place) {
  const Quiet quiet;
  const bool placed = part == place || MoveFileExA(part.c_str(), place.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!placed) set_errno(GetLastError());
  release(part);
  return placed;
}

void droppart(const std::string& part) {
  const Quiet quiet;
  DeleteFileA(part.c_str());
  release(part);
}

#else  // POSIX

namespace {

// Blocked while the table of parts changes, so that the handler never
// sees half of it, and while a part is renamed onto its place.
constexpr int guarded[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

sigset_t guarded_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : guarded) sigaddset(&set, signal);
  return set;
}

class Quiet {
 public:
  Quiet() {
    const sigset_t set = guarded_set();
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~Quiet() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  sigset_t old_;
};

void on_signal(int signal) {
  for (Slot& slot : slots) {
    if (!slot.used) continue;
    if (signal == SIGPIPE)
      rename(slot.part, slot.place);
    else
      unlink(slot.part);
  }
  // The process dies of the signal as it did without the handler: it is
  // delivered again when the handler returns.
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  sigaction(signal, &plain, nullptr);
  raise(signal);
}

void guard() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const int signal : guarded) {
    struct sigaction now {};
    // A signal that the caller ignores (a job started with nohup, or in the
    // background) stays ignored.
    if (sigaction(signal, nullptr, &now) != 0 || (now.sa_flags & SA_SIGINFO) != 0 || now.sa_handler != SIG_DFL)
      continue;
    struct sigaction mine {};
    mine.sa_handler = on_signal;
    mine.sa_mask = guarded_set();
    sigaction(signal, &mine, nullptr);
  }
}

int createpart(const std::string& place, std::string& part, Slot& slot) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const std::uint64_t seed = (static_cast<std::uint64_t>(getpid()) << 32) ^
                             static_cast<std::uint64_t>(now.tv_nsec) ^ static_cast<std::uint64_t>(now.tv_sec);
  static int tries = 0;
  for (int k = 0; k < 100; ++k) {
    part = part_name(place, seed, tries++);
    if (part.size() >= max_path) {
      errno = ENAMETOOLONG;
      return -1;
    }
    std::memcpy(slot.part, part.c_str(), part.size() + 1);
    const int fd = open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::string endpath(const std::string& name) {
  std::string at = name;
  // As many links as the system follows in one path.
  for (int k = 0; k < 40; ++k) {
    char to[max_path];
    const ssize_t size = readlink(at.c_str(), to, sizeof to);
    if (size <= 0 || static_cast<std::size_t>(size) == sizeof to) break;
    const std::string target(to, static_cast<std::size_t>(size));
    at = target[0] == '/' ? target : at.substr(0, name_start(at)) + target;
  }
  return at;
}

bool besideable(const std::string& place) {
  struct stat info;
  // Nothing there, or no such folder: making the part fails as the output
  // would. Any other fault is met again by the output itself.
  if (stat(place.c_str(), &info) != 0) return errno == ENOENT;
  // A file of other names (hard links) is written where it is, so that all
  // of them show the new output, as they did when it was written over.
  if (!S_ISREG(info.st_mode) || info.st_nlink > 1) return false;
  const int fd = open(place.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

std::FILE* openpart(const std::string& place, bool, std::string& part) {
  guard();
  const Quiet quiet;
  Slot* slot = free_slot();
  if (slot == nullptr || place.size() >= max_path) return nullptr;
  const int fd = createpart(place, part, *slot);
  if (fd < 0) return nullptr;
  // What the file in place had, as when it was written over. An owner or
  // group that the part cannot take (another user's file, writable by the
  // group or by all) is kept by writing the file where it is instead; so is
  // a file that the rename could not replace (another user's file in a
  // sticky folder).
  struct stat earlier;
  if (stat(place.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
    if (fchown(fd, earlier.st_uid, earlier.st_gid) != 0) {
      close(fd);
      unlink(part.c_str());
      return nullptr;
    }
    fchmod(fd, earlier.st_mode & 07777);
  }
  std::FILE* stream = fdopen(fd, "w");
  if (stream == nullptr) {
    close(fd);
    unlink(part.c_str());
    return nullptr;
  }
  std::memcpy(slot->place, place.c_str(), place.size() + 1);
  slot->used = 1;
  return stream;
}

bool placepart(const std::string& part, const std::string& place) {
  const Quiet quiet;
  const bool placed = rename(part.c_str(), place.c_str()) == 0;
  const int error = errno;
  release(part);
  errno = error;
  return placed;
}

void droppart(const std::string& part) {
  const Quiet quiet;
  unlink(part.c_str());
  release(part);
}


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
