#include "bridge/outfile.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bridge/records.hpp"
#include "toolkit/platform.hpp"

namespace bridge {

namespace {

[[noreturn]] void failed(const std::string& path, const char* doing, int error) {
  throw Fault(path + ": " + doing + ": " + std::strerror(error));
}

}  // namespace

Target::Target(const std::string& path) : path_(path), final_(toolkit::platform::endpath(path)), written_(path) {
  struct stat status;
  if (::stat(final_.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) failed(path, "cannot be opened for writing", EISDIR);
    if (!S_ISREG(status.st_mode)) return;
  }
  if (!toolkit::platform::makepart(final_, written_)) failed(path, "cannot be opened for writing", errno);
  temporary_ = true;
}

Target::Target(Target&& other) noexcept
    : path_(std::move(other.path_)),
      final_(std::move(other.final_)),
      written_(std::move(other.written_)),
      temporary_(std::exchange(other.temporary_, false)) {}

Target::~Target() {
  if (temporary_) toolkit::platform::droppart(written_);
}

void Target::commit() {
  if (!temporary_) return;
  if (!toolkit::platform::placepart(written_, final_)) failed(path_, "cannot be written", errno);
  temporary_ = false;
}

OutFile::OutFile(std::string path, Mode mode, std::string shown)
    : path_(std::move(path)), shown_(shown.empty() ? path_ : std::move(shown)) {
  int flags = mode == create ? O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC : O_WRONLY | O_CLOEXEC;
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

void OutFile::lower(std::int64_t offset, std::int64_t count, std::int64_t by) {
  std::vector<std::int64_t> values(std::size_t{1} << 17);
  while (count > 0) {
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count, std::int64_t(values.size())));
    std::size_t size = n * sizeof(std::int64_t);
    char* bytes = reinterpret_cast<char*>(values.data());
    for (std::size_t got = 0; got < size;) {
      ssize_t done = ::pread(fd_, bytes + got, size - got, static_cast<off_t>(offset) + off_t(got));
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) failed(shown_, "cannot be read back", done < 0 ? errno : EIO);
      got += static_cast<std::size_t>(done);
    }
    for (std::size_t k = 0; k < n; ++k) values[k] -= by;
    put(offset, {bytes, size});
    offset += static_cast<std::int64_t>(size);
    count -= static_cast<std::int64_t>(n);
  }
}

void OutFile::close() {
  int fd = std::exchange(fd_, -1);
  // A full disk or a network file system may report only here.
  if (::close(fd) != 0) failed(shown_, "cannot be written", errno);
}

Region::Region(OutFile& file, std::int64_t offset, std::size_t buffer)
    : file_(&file), offset_(offset), buffer_(buffer) {}

void Region::flush() {
  if (used_ == 0) return;
  file_->put(offset_, {buffer_.data(), used_});
  offset_ += static_cast<std::int64_t>(used_);
  used_ = 0;
}

}  // namespace bridge
