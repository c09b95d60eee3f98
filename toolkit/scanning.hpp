#pragma once
// Line and word scanning on zero-terminated lines held in caller's buffers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace toolkit {

// A line read takes at most 999 characters and a terminating zero.
inline constexpr std::size_t line_limit = 1000;
using LineBuf = std::array<char, line_limit>;

// The longest token that the readers hand out whole: no line of the formats
// is longer, so neither is a number. A longer token comes cut to
// token_limit + 1 bytes, which no caller takes for a number.
inline constexpr std::size_t token_limit = line_limit - 1;

// The longest line that splitw takes, and the most words in it.
inline constexpr std::size_t word_line_limit = 980;
inline constexpr int max_words = 100;
using Words = std::array<char*, max_words>;

// Removes the line feed (and a carriage return before it) of a line that was
// read whole; stops the program when the line has no line feed.
void elimnl(char* line);

// The stop of elimnl for a line read without its line feed (a line too long
// for one read, or a last line without line end): "elimnl: internal error 1
// (CR in the string)" when it ends in a carriage return, "... 2 (LF
// expected)" otherwise.
[[noreturn]] void nolf(std::string_view line);

// The blanks that separate the words of a line: blank and tab.
inline bool blank(char c) { return c == ' ' || c == '\t'; }

// The white space that separates the numbers of a record section, as the
// standard formatted reading in the C locale skips it: the blank and the
// five controls from tab to carriage return.
inline bool space(char c) { return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t'; }

// Cuts the comment from the first '#' and splits the rest of the line into
// blank- or tab-separated words, in place; returns the number of words.
int splitw(LineBuf& line, Words& words);

// Length of the text without trailing blanks.
inline int lentrm(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return static_cast<int>(n);
}

// Number of leading blanks; 0 for an empty or all-blank text.
int nlead(std::string_view text);

// Removes leading and trailing blanks in place.
void trimst(char* text);

// Checks on a piece of a line that a reader hands out. A zero byte would
// hide the rest of its line from every routine that takes the line as a
// text. A carriage return followed by anything but another carriage return
// or a line feed is an old CR-only line end, which would make many lines
// pass for one: before is the byte before the piece (a line feed at the
// start of a line), and a carriage return that ends the piece is judged by
// the next piece.
bool nulbyte(std::string_view piece);
bool crinside(std::string_view piece, char before = '\n');

// The same checks, stopping the program with "NUL byte in the line" and
// "Carriage return inside a line (line ends must be LF or CR LF)" and the
// line number.
void refusenul(std::string_view piece, std::int64_t line);
void refusecr(std::string_view piece, std::int64_t line, char before = '\n');

}  // namespace toolkit
