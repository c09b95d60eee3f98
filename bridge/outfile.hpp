#pragma once
// An output file written at known offsets through a few buffered regions,
// so that arrays whose sizes are known beforehand are streamed side by side
// into their own places without the file ever being held in memory.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace bridge {

// Where an output goes. A new file, or a regular file now (through any
// links), is written under a name of its own beside it and renamed onto it
// once whole, so that a fault or an interrupt leaves the earlier file as it
// was; anything else (a device, a pipe) is written where it is and never
// removed.
class Target {
 public:
  // Throws Fault naming the path when no file can be written there.
  explicit Target(const std::string& path);
  Target(Target&& other) noexcept;
  Target& operator=(Target&&) = delete;
  // The file written under its own name goes, unless committed.
  ~Target();

  const std::string& path() const { return path_; }
  // The file to open for writing.
  const std::string& written() const { return written_; }
  // Puts the whole file in place. Throws Fault.
  void commit();

 private:
  std::string path_;     // as the caller named it, for messages
  std::string final_;    // where it ends, links followed
  std::string written_;  // where it is written
  bool temporary_ = false;
};

class OutFile {
 public:
  // Created or replaced, or an existing file opened to be written over.
  enum Mode { create, patch };
  // Throws Fault naming the file (or `shown`, the name the user gave) when
  // it cannot be opened.
  explicit OutFile(std::string path, Mode mode = create, std::string shown = {});
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  const std::string& path() const { return path_; }
  // Writes the bytes at the offset, unbuffered. Throws Fault.
  void put(std::int64_t offset, std::string_view bytes);
  // Lowers by `by` each of the `count` Int64 at the offset, read back.
  void lower(std::int64_t offset, std::int64_t count, std::int64_t by);
  // Checks that everything reached the system, then closes. Throws Fault.
  void close();

 private:
  std::string path_;
  std::string shown_;
  int fd_ = -1;
};

// A stretch of an OutFile filled front to back through its own buffer.
class Region {
 public:
  Region(OutFile& file, std::int64_t offset, std::size_t buffer);
  Region(const Region&) = delete;
  Region& operator=(const Region&) = delete;
  ~Region() = default;

  void put(const void* bytes, std::size_t size) {
    if (size > buffer_.size() - used_) {
      flush();
      if (size > buffer_.size()) {
        file_->put(offset_, {static_cast<const char*>(bytes), size});
        offset_ += static_cast<std::int64_t>(size);
        return;
      }
    }
    std::memcpy(buffer_.data() + used_, bytes, size);
    used_ += size;
  }
  // Little-endian, as the files declare.
  template <class T>
  void put(T value) {
    put(&value, sizeof value);
  }
  void flush();

 private:
  OutFile* file_;
  std::int64_t offset_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace bridge
