#include "bridge/outfile.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bridge/base64.hpp"
#include "bridge/fault.hpp"
#include "toolkit/platform.hpp"

namespace bridge {

namespace {

[[noreturn]] void failed(const std::string& path, const char* doing, int error) {
  throw Fault(path + ": " + doing + ": " + std::strerror(error));
}

// A new file of its own, created empty: the base and a suffix of the
// process and a count.
std::string claim(const std::string& base, const std::string& shown) {
  for (int k = 0;; ++k) {
    std::string path = base + std::to_string(::getpid()) + (k > 0 ? "-" + std::to_string(k) : "");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST || k == 99) failed(shown, "cannot be opened for writing", errno);
  }
}

}  // namespace

Target::Target(const std::string& path) : path_(path), final_(toolkit::platform::endpath(path)), written_(path) {
  struct stat status;
  if (::stat(final_.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) failed(path, "cannot be opened for writing", EISDIR);
    if (!S_ISREG(status.st_mode)) return;
  } else if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
    // A link that the system alone resolves (/dev/stdout to a pipe) ends
    // in no path: the device or pipe is written where the caller named it.
    final_ = path;
    return;
  }
  written_ = claim(final_ + ".part", path);
  temporary_ = true;
}

Target::Target(Target&& other) noexcept
    : path_(std::move(other.path_)),
      final_(std::move(other.final_)),
      written_(std::move(other.written_)),
      temporary_(std::exchange(other.temporary_, false)) {}

Target::~Target() {
  if (temporary_) ::unlink(written_.c_str());
}

void Target::commit() {
  if (!temporary_) return;
  if (::rename(written_.c_str(), final_.c_str()) != 0) failed(path_, "cannot be written", errno);
  temporary_ = false;
}

Scratch::Scratch(const Target& target) {
  std::error_code error;
  const std::string base = target.apart() ? target.final()
                                          : (std::filesystem::temp_directory_path(error) / "ppt-convert").string();
  path_ = claim(base + ".scratch", target.path());
}

Scratch::Scratch(Scratch&& other) noexcept : path_(std::exchange(other.path_, {})) {}

Scratch::~Scratch() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

OutFile::OutFile(std::string path, Mode mode, std::string shown)
    : path_(std::move(path)), shown_(shown.empty() ? path_ : std::move(shown)) {
  int flags = mode == create   ? O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC
              : mode == stream ? O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC
                               : O_RDWR | O_CLOEXEC;
  fd_ = ::open(path_.c_str(), flags, 0666);
  if (fd_ < 0 && errno == EMFILE) failed(shown_, "too many pieces open at once (fewer pieces)", errno);
  if (fd_ < 0) failed(shown_, "cannot be opened for writing", errno);
}

OutFile::~OutFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutFile::put(std::int64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) continue;
      failed(shown_, "cannot be written", errno);
    }
    if (done == 0) failed(shown_, "cannot be written", ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(done));
    offset += done;
  }
}

void OutFile::append(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::write(fd_, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR) continue;
      failed(shown_, "cannot be written", errno);
    }
    if (done == 0) failed(shown_, "cannot be written", ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

void OutFile::copy(OutFile& to, const std::function<void()>& between) const {
  std::string block(std::size_t{1} << 20, '\0');
  for (off_t offset = 0;;) {
    if (between) between();
    ssize_t done = ::pread(fd_, block.data(), block.size(), offset);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) failed(shown_, "cannot be read back", errno);
    if (done == 0) return;
    to.append({block.data(), static_cast<std::size_t>(done)});
    offset += done;
  }
}

std::string OutFile::get(std::int64_t offset, std::size_t size) const {
  std::string bytes(size, '\0');
  for (std::size_t got = 0; got < size;) {
    ssize_t done = ::pread(fd_, bytes.data() + got, size - got, static_cast<off_t>(offset) + off_t(got));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) failed(shown_, "cannot be read back", done < 0 ? errno : EIO);
    got += static_cast<std::size_t>(done);
  }
  return bytes;
}

void OutFile::rewrite(std::int64_t text, std::int64_t total, std::int64_t from, std::int64_t to,
                      const Change& change) {
  const std::int64_t first = from / 3 * 3;
  const std::int64_t last = std::min(total, (to + 2) / 3 * 3);
  const std::int64_t at = text + first / 3 * 4;
  std::string groups = get(at, static_cast<std::size_t>(base64::size(last - first)));
  std::vector<unsigned char> bytes(static_cast<std::size_t>(last - first));
  if (base64::decode(groups.data(), groups.size(), bytes.data()) != static_cast<std::ptrdiff_t>(bytes.size()))
    failed(shown_, "cannot be read back", EIO);
  change(bytes, first);
  base64::encode(bytes.data(), bytes.size(), groups.data());
  put(at, groups);
}

void OutFile::close() {
  int fd = std::exchange(fd_, -1);
  // A full disk or a network file system may report only here.
  if (::close(fd) != 0) failed(shown_, "cannot be written", errno);
}

Region::Region(OutFile& file, std::int64_t offset, std::size_t buffer, Worker* worker)
    : file_(&file), offset_(offset), worker_(worker), size_(std::max<std::size_t>(buffer / 3 * 3, 3)) {
  for (Slot& slot : slots_) {
    slot.bytes.resize(size_);
    slot.text.resize(static_cast<std::size_t>(base64::size(std::int64_t(size_))));
  }
  data_ = slots_[0].bytes.data();
}

Region::~Region() {
  if (!worker_) return;
  try {
    for (const Slot& slot : slots_) worker_->wait(slot.ticket);
  } catch (...) {
    // The fault reaches the caller through the worker's next call.
  }
}

void Region::write(std::size_t n) {
  Slot& full = slots_[slot_];
  Slot& next = slots_[slot_ ^ 1];
  const std::int64_t at = offset_;
  offset_ += base64::size(static_cast<std::int64_t>(n));
  if (worker_) worker_->wait(next.ticket);
  std::memcpy(next.bytes.data(), full.bytes.data() + n, used_ - n);
  used_ -= n;
  slot_ ^= 1;
  data_ = next.bytes.data();
  auto job = [file = file_, &full, at, n] {
    const char* end = base64::encode(full.bytes.data(), n, full.text.data());
    file->put(at, {full.text.data(), static_cast<std::size_t>(end - full.text.data())});
  };
  if (worker_) {
    full.ticket = worker_->run(job);
  } else {
    job();
  }
}

void Region::flush() {
  if (used_ >= 3) write(used_ / 3 * 3);
}

void Region::finish() {
  if (used_ > 0) write(used_);
}

}  // namespace bridge
