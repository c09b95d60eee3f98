#include "wordlist/filter.hpp"

#include <cstring>
#include <string_view>

#include "toolkit/scanning.hpp"
#include "toolkit/writer.hpp"

namespace wordlist {

namespace {

// Writes every word of the line, up to its first '#', each followed by a
// line feed. Words are separated by blanks (spaces) only. The line is at
// most 999 bytes long.
void words(std::string_view line, toolkit::Writer& out) {
  if (const void* hash = std::memchr(line.data(), '#', line.size()))
    line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(hash) - line.data()));

  // Every character goes out as it is, except that a blank ending a word
  // becomes a line feed and other blanks vanish. Written without branches:
  // this loop sees every byte of the input.
  char* p = out.room(line.size() + 1);
  bool in_word = false;
  for (const char c : line) {
    const bool blank = c == ' ';
    *p = blank ? '\n' : c;
    p += !blank || in_word;
    in_word = !blank;
  }
  if (in_word) *p++ = '\n';
  out.advance(p);
}

}  // namespace

void filter(toolkit::Reader& input, std::FILE* stream) {
  toolkit::Writer out(stream);

  for (;;) {
    // A read that may wait: everything so far goes out first, and a read
    // error that stops the program finds it written.
    if (!input.ready()) out.sync();
    std::string_view piece = input.piece();
    if (piece.empty()) break;
    // A read is a zero-terminated text: a zero byte read from the input ends
    // the line there, and what follows it up to the line feed is never seen.
    if (const void* zero = std::memchr(piece.data(), '\0', piece.size()))
      piece = piece.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - piece.data()));
    if (piece.empty()) continue;
    if (piece.back() != '\n') {
      // A line too long for one read, or a last line without line end:
      // the stop comes once the earlier words are out.
      out.sync();
      toolkit::nolf(piece);
    }
    piece.remove_suffix(1);
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    words(piece, out);
  }

  out.sync();
}

}  // namespace wordlist
