#pragma once
// The buffered reader of the programs' inputs, over an open file or the
// standard input, in the forms the programs read: pieces of lines as reads
// of at most 999 bytes give them, single bytes, whole lines of any length
// handed on as they pass, white-space-delimited tokens across lines, and
// the bytes as they come for the mesh file's reader (meshfile/reader.hpp),
// which keeps a buffer of its own. Every form but the last counts the lines
// it begins. A read error stops the program here, and nowhere else.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/scanning.hpp"

namespace toolkit {

class Reader {
 public:
  // Reads an open file on from its current position. A read error stops the
  // program with "Error reading file - " and the file's generic name
  // ("jobname.zmf").
  Reader(std::FILE* file, std::string_view generic_name);

  // Reads the standard input; each read hands out what has arrived, so a
  // console or a pipe never waits for a full block. A read error stops the
  // program with the message given, or counts as the end of the input when
  // the message is empty.
  struct StandardInput {
    std::string_view failure;
  };
  explicit Reader(StandardInput input);

  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // The next piece of a line, as a read of at most 999 bytes gives it: up to
  // and including the next line feed, 999 bytes of a longer line, or what is
  // left before the end of the input. Empty at the end. Valid until the next
  // read.
  std::string_view piece();

  // The next piece copied into line, with a terminating zero; its length,
  // 0 at the end. A zero byte read is stored like any other.
  std::size_t getln(LineBuf& line);

  // The next line when it lies whole in the buffer, its line feed within
  // 999 bytes, for callers that take most lines where they lie; the eight
  // bytes after it can be read. Empty otherwise: the caller then reads the
  // line as usual.
  std::string_view peekln();

  // Takes the n bytes of a line that peekln gave, counted as a line read.
  void take(std::size_t n) {
    pos_ += n;
    ++count_;
  }

  // Up to size bytes of the input as they come, line ends and all, for a
  // reader that keeps a buffer of its own (the records of the mesh file);
  // 0 at the end. Counts no lines.
  std::size_t read(char* into, std::size_t size);

  // True when the next piece can be handed out without reading.
  bool ready() const;

  // The next byte, or -1 at the end of the input.
  int get() { return pos_ < end_ ? static_cast<unsigned char>(buffer_[pos_++]) : getslow(); }

  // The next byte without taking it, or -1 at the end of the input.
  int peek() { return more() ? static_cast<unsigned char>(buffer_[pos_]) : -1; }

  // True while at least one more byte is left.
  bool more() { return pos_ < end_ || fill(); }

  // Hands the next n lines, line ends included, to sink(std::string_view) in
  // pieces of the buffer; returns how many there were. A last line without
  // line end counts as a line.
  template <class Sink>
  std::int64_t lines(std::int64_t n, Sink&& sink);

  // Hands everything left to sink, in pieces; counts no lines.
  template <class Sink>
  void rest(Sink&& sink);

  // False when the last byte handed on by lines() or rest() was not a line
  // feed: the input ended inside its last line.
  bool atlineend() const { return last_ == '\n'; }

  // The next white-space-delimited token (blanks, tabs, line feeds, carriage
  // returns, vertical tabs and form feeds separate tokens), whatever line it
  // stands on; false at the end of the input. Valid until the next read.
  bool token(std::string_view& word);

  // Skips what is left of the current line, its line feed included; the end
  // of the input also ends it.
  void skipln();

  // Bytes left to read from a regular file, or -1 when that is unknown.
  std::int64_t unread() const;

  // The number of lines (or pieces) begun so far: the line number of the
  // current one.
  std::int64_t count() const { return count_; }

 private:
  // Keeps the unread bytes, moved to the front, and reads more after them;
  // false when nothing more came.
  bool fill();
  int getslow();

  static constexpr std::size_t block = std::size_t{1} << 20;
  // Bytes after the block that may be read, never used.
  static constexpr std::size_t slack = 8;
  std::FILE* file_ = nullptr;  // none: the standard input
  std::string failure_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  std::int64_t count_ = 0;
  char last_ = '\n';
};

template <class Sink>
std::int64_t Reader::lines(std::int64_t n, Sink&& sink) {
  std::int64_t done = 0;
  bool open = false;  // inside a line whose end is not read yet
  while (done < n && more()) {
    const char* const start = buffer_.get() + pos_;
    const char* const stop = buffer_.get() + end_;
    const char* p = start;
    while (done < n && p < stop) {
      if (!open) ++count_;
      const void* lf = std::char_traits<char>::find(p, static_cast<std::size_t>(stop - p), '\n');
      if (lf == nullptr) {
        open = true;
        p = stop;
        break;
      }
      open = false;
      p = static_cast<const char*>(lf) + 1;
      ++done;
    }
    sink(std::string_view(start, static_cast<std::size_t>(p - start)));
    last_ = p[-1];
    pos_ += static_cast<std::size_t>(p - start);
  }
  if (open) ++done;
  return done;
}

template <class Sink>
void Reader::rest(Sink&& sink) {
  while (more()) {
    sink(std::string_view(buffer_.get() + pos_, end_ - pos_));
    last_ = buffer_[end_ - 1];
    pos_ = end_;
  }
}

}  // namespace toolkit
