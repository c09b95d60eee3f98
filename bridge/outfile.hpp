#pragma once
// An output file written at known offsets through a few buffered regions,
// so that arrays whose sizes are known beforehand are streamed side by side
// into their own places, as base64 text, without the file ever being held
// in memory.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/worker.hpp"

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
  // Where it ends, links followed; whether it is written apart first.
  const std::string& final() const { return final_; }
  bool apart() const { return temporary_; }

 private:
  std::string path_;     // as the caller named it, for messages
  std::string final_;    // where it ends, links followed
  std::string written_;  // where it is written
  bool temporary_ = false;
};

// A file of one's own for a step on the way to a target: beside it, or in
// the system's temporary folder when the target is no regular file. Removed
// when done with.
class Scratch {
 public:
  // Throws Fault naming the target when none can be made.
  explicit Scratch(const Target& target);
  Scratch(Scratch&& other) noexcept;
  Scratch& operator=(Scratch&&) = delete;
  ~Scratch();

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class OutFile {
 public:
  // Created or replaced, or an existing file opened to be read and written
  // over, or created or replaced to be written front to back only (append),
  // which a pipe takes too.
  enum Mode { create, patch, stream };
  // Throws Fault naming the file (or `shown`, the name the user gave) when
  // it cannot be opened.
  explicit OutFile(std::string path, Mode mode = create, std::string shown = {});
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  const std::string& path() const { return path_; }
  // Writes the bytes at the offset, unbuffered. Throws Fault.
  void put(std::int64_t offset, std::string_view bytes);
  // Writes the bytes after those written so far, unbuffered. Throws Fault.
  void append(std::string_view bytes);
  // Appends the whole of this file to `to`, calling `between` before each
  // block. Throws Fault.
  void copy(OutFile& to, const std::function<void()>& between = {}) const;
  // Reads size bytes at the offset back. Throws Fault.
  std::string get(std::int64_t offset, std::size_t size) const;
  // Changes bytes [from, to) of the `total` bytes that the base64 text at
  // `text` encodes: the groups that hold them are read back and decoded,
  // `change` gets their bytes and the offset of the first, and they are
  // encoded and written again. Throws Fault.
  using Change = std::function<void(std::span<unsigned char> bytes, std::int64_t first)>;
  void rewrite(std::int64_t text, std::int64_t total, std::int64_t from, std::int64_t to, const Change& change);
  // Checks that everything reached the system, then closes. Throws Fault.
  void close();

 private:
  std::string path_;
  std::string shown_;
  int fd_ = -1;
};

// A base64 text in an OutFile, filled front to back with the bytes it
// encodes, through a buffer of its own. With a worker, the text is encoded
// and written there, while the next buffer fills: wait for the worker
// before the file is read back or closed.
class Region {
 public:
  // The text starts at the offset; buffer: the bytes held before they are
  // encoded and written.
  Region(OutFile& file, std::int64_t offset, std::size_t buffer, Worker* worker = nullptr);
  Region(const Region&) = delete;
  Region& operator=(const Region&) = delete;
  // Waits for its writes under way, whatever their fate.
  ~Region();

  void put(const void* bytes, std::size_t size) {
    const auto* from = static_cast<const unsigned char*>(bytes);
    while (size > size_ - used_) {
      const std::size_t part = size_ - used_;
      std::memcpy(data_ + used_, from, part);
      used_ += part;
      from += part;
      size -= part;
      flush();
    }
    std::memcpy(data_ + used_, from, size);
    used_ += size;
  }
  // Little-endian, as the files declare.
  template <class T>
  void put(T value) {
    put(&value, sizeof value);
  }
  // Writes the whole groups of 3 bytes held; up to 2 stay for the next.
  void flush();
  // Writes all that is held, the last group padded: the end of the text.
  void finish();

 private:
  struct Slot {
    std::vector<unsigned char> bytes;
    std::vector<char> text;
    std::uint64_t ticket = 0;  // of the worker's job that writes it
  };
  void write(std::size_t n);

  OutFile* file_;
  std::int64_t offset_;
  Worker* worker_;
  std::array<Slot, 2> slots_;
  std::size_t slot_ = 0;  // the one being filled
  unsigned char* data_;
  std::size_t size_;
  std::size_t used_ = 0;
};

}  // namespace bridge
