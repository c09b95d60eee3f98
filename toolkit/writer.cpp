#include "toolkit/writer.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "toolkit/diagnostics.hpp"

namespace toolkit {

namespace {

Writer* open_writers = nullptr;

}  // namespace

Writer::Writer(FileOwner file, std::string_view generic_name)
    : file_(std::move(file)), stream_(file_.get()), generic_name_(generic_name), buffer_(new char[block]),
      data_(buffer_.get()) {
  link();
}

Writer::Writer(std::FILE* stream) : stream_(stream), buffer_(new char[block]), data_(buffer_.get()) { link(); }

Writer::Writer(Writer&& other) noexcept
    : file_(std::move(other.file_)), stream_(other.stream_), generic_name_(std::move(other.generic_name_)),
      buffer_(std::move(other.buffer_)), data_(other.data_), used_(other.used_) {
  other.unlink();
  other.stream_ = nullptr;
  other.used_ = 0;
  link();
}

Writer::~Writer() {
  unlink();
  if (used_ == 0 || stream_ == nullptr) return;
  // A writer that goes away holding bytes was never closed nor flushed: the
  // file would end short under a status of success. The bytes go out, and
  // the run stops as a failed one.
  std::fwrite(data_, 1, std::exchange(used_, 0), stream_);
  errmsg("Output never closed (internal error) - " +
         (generic_name_.empty() ? std::string("standard output") : generic_name_));
}

void Writer::link() noexcept {
  next_ = open_writers;
  if (next_ != nullptr) next_->prev_ = this;
  open_writers = this;
}

void Writer::unlink() noexcept {
  if (prev_ != nullptr) prev_->next_ = next_;
  if (next_ != nullptr) next_->prev_ = prev_;
  if (open_writers == this) open_writers = next_;
  prev_ = next_ = nullptr;
}

// Writes to the stream; a failure stops the program.
void Writer::emit(const char* data, std::size_t n) {
  if (n == 0 || std::fwrite(data, 1, n, stream_) == n) return;
  if (generic_name_.empty()) outerr();
  errmsg("Error writing file - " + generic_name_);
}

void Writer::write(std::string_view bytes) {
  if (block - used_ < bytes.size()) {
    flush();
    // A copy of an input goes on in the reader's large pieces: no second
    // copy through the block.
    if (bytes.size() >= block / 2) {
      emit(bytes.data(), bytes.size());
      return;
    }
  }
  std::memcpy(data_ + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void Writer::flush() { emit(data_, std::exchange(used_, 0)); }

void Writer::sync() {
  flush();
  if (std::fflush(stream_) == 0 && std::ferror(stream_) == 0) return;
  if (generic_name_.empty()) outerr();
  errmsg("Error writing file - " + generic_name_);
}

void Writer::close() {
  flush();
  if (file_) {
    closeout(std::move(file_), generic_name_);
    stream_ = nullptr;
  } else {
    sync();
  }
}

void Writer::flushall() noexcept {
  for (Writer* w = open_writers; w != nullptr; w = w->next_) {
    if (w->used_ > 0 && w->stream_ != nullptr) std::fwrite(w->data_, 1, w->used_, w->stream_);
    w->used_ = 0;
  }
}

}  // namespace toolkit
