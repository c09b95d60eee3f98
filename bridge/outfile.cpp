#include "bridge/outfile.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "bridge/records.hpp"

namespace bridge {

namespace {

[[noreturn]] void failed(const std::string& path, const char* doing, int error) {
  throw Fault(path + ": " + doing + ": " + std::strerror(error));
}

}  // namespace

OutFile::OutFile(std::string path, Mode mode) : path_(std::move(path)) {
  int flags = mode == create ? O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC : O_WRONLY | O_CLOEXEC;
  fd_ = ::open(path_.c_str(), flags, 0666);
  if (fd_ < 0 && errno == EMFILE) failed(path_, "too many pieces open at once (fewer pieces)", errno);
  if (fd_ < 0) failed(path_, "cannot be opened for writing", errno);
}

OutFile::~OutFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutFile::put(std::int64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) continue;
      failed(path_, "cannot be written", errno);
    }
    if (done == 0) failed(path_, "cannot be written", ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(done));
    offset += done;
  }
}

void OutFile::close() {
  int fd = std::exchange(fd_, -1);
  // A full disk or a network file system may report only here.
  if (::close(fd) != 0) failed(path_, "cannot be written", errno);
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
