#pragma once
// The buffered writer of the programs' outputs. Writers format straight
// into a large block, which goes to the file whole: room(n) gives a place for
// n bytes, advance(end) takes what was written there. A failed write stops
// the program at once, so that a full disk does not go on through a file of
// gigabytes. The bytes a writer holds reach their file even when the program
// stops: stop() hands every open writer's block to its stream before the
// exit flushes and closes the streams.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/files.hpp"

namespace toolkit {

class Writer {
 public:
  // Over an output file from openout, which the writer owns until close().
  // A failed write stops with "Error writing file - " and the generic name.
  Writer(FileOwner file, std::string_view generic_name);

  // Over a stream that the caller owns, such as the standard output: a
  // failed write stops as one to the standard output does (endout).
  explicit Writer(std::FILE* stream);

  Writer(Writer&&) noexcept;
  Writer& operator=(Writer&&) = delete;
  // A writer still holding bytes stops the program with an internal error:
  // every output ends with close(), or flush() for a caller's stream.
  ~Writer();

  // The block's size: no caller asks room for more at a time.
  static constexpr std::size_t block = std::size_t{1} << 20;

  // A place for n bytes (at most block), after handing the block to the
  // stream when it has less room left.
  char* room(std::size_t n) {
    if (block - used_ < n) flush();
    return data_ + used_;
  }

  // Takes the bytes written from room() up to end.
  void advance(char* end) { used_ = static_cast<std::size_t>(end - data_); }

  // Bytes of any length: copied into the block, or handed to the stream
  // as they are when they would fill it.
  void write(std::string_view bytes);

  // Hands the block to the stream.
  void flush();

  // Hands the block and the stream's own buffer to the device, so that
  // what was written so far is out, or a failure has stopped the program.
  void sync();

  // The end of the output: syncs, and closes an output file (checked as
  // closeout does).
  void close();

  // Hands the block of every open writer to its stream, ignoring failures:
  // for a program that stops, whose ERROR block is already written.
  static void flushall() noexcept;

 private:
  void emit(const char* data, std::size_t n);
  void link() noexcept;
  void unlink() noexcept;

  FileOwner file_;
  std::FILE* stream_;
  std::string generic_name_;  // empty: a stream of the caller's
  std::unique_ptr<char[]> buffer_;
  char* data_;
  std::size_t used_ = 0;
  // The open writers, for flushall.
  Writer* prev_ = nullptr;
  Writer* next_ = nullptr;
};

}  // namespace toolkit
