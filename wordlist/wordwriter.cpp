#include "wordlist/wordwriter.hpp"

#include <cstring>

#include "toolkit/files.hpp"
#include "toolkit/scanning.hpp"

namespace wordlist {

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

// A line and the line feed after its last word always fit behind this mark.
constexpr std::size_t fill_mark = block_size - toolkit::line_limit - 1;

}  // namespace

WordWriter::WordWriter(std::FILE* out) : out_(out), buffer_(new char[block_size]) {}

void WordWriter::words(std::string_view line) {
  if (const void* hash = std::memchr(line.data(), '#', line.size()))
    line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(hash) - line.data()));
  if (used_ > fill_mark) flush();

  // Every character goes out as it is, except that a blank ending a word
  // becomes a line feed and other blanks vanish. Written without branches:
  // this loop sees every byte of the input.
  char* out = buffer_.get() + used_;
  bool in_word = false;
  for (const char c : line) {
    const bool blank = c == ' ';
    *out = blank ? '\n' : c;
    out += !blank || in_word;
    in_word = !blank;
  }
  if (in_word) *out++ = '\n';
  used_ = static_cast<std::size_t>(out - buffer_.get());
}

void WordWriter::flush() {
  if (used_ == 0) return;
  if (std::fwrite(buffer_.get(), 1, used_, out_) != used_) toolkit::outerr();
  used_ = 0;
}

void WordWriter::finish() {
  flush();
  if (std::fflush(out_) != 0 || std::ferror(out_) != 0) toolkit::outerr();
}

}  // namespace wordlist
