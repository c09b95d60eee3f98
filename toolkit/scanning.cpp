#include "toolkit/scanning.hpp"

#include <cstring>

#include "toolkit/diagnostics.hpp"

namespace toolkit {

void elimnl(char* line) {
  std::size_t n = std::strlen(line);
  if (n == 0) return;
  if (line[n - 1] != '\n') nolf({line, n});
  line[n - 1] = '\0';
  if (n > 1 && line[n - 2] == '\r') line[n - 2] = '\0';
}

void nolf(std::string_view line) {
  if (!line.empty() && line.back() == '\r') errmsg("elimnl: internal error 1 (CR in the string)");
  errmsg("elimnl: internal error 2 (LF expected)");
}

int splitw(LineBuf& line, Words& words) {
  // At most 990 characters are looked at, whatever the buffer holds.
  line[word_line_limit + 10] = '\0';
  if (std::strlen(line.data()) > word_line_limit) errmsg("Line too long");
  char* text = line.data();
  for (char* p = text; *p != '\0'; ++p)
    if (*p == '#' || *p == '\r' || *p == '\n') {
      *p = '\0';
      break;
    }

  int count = 0;
  bool after_gap = true;
  for (char* p = text; *p != '\0'; ++p) {
    if (blank(*p)) {
      *p = '\0';
      after_gap = true;
    } else {
      if (after_gap) {
        if (count == max_words) errmsg("Too many words in a single line");
        words[count++] = p;
      }
      after_gap = false;
    }
  }
  return count;
}

int nlead(std::string_view text) {
  if (lentrm(text) == 0) return 0;
  int b = 0;
  while (text[b] == ' ') ++b;
  return b;
}

void trimst(char* text) {
  std::string_view view(text);
  int e = lentrm(view);
  int b = nlead(view);
  std::memmove(text, text + b, static_cast<std::size_t>(e - b));
  text[e - b] = '\0';
}

bool nulbyte(std::string_view piece) { return piece.find('\0') != std::string_view::npos; }

bool crinside(std::string_view piece, char before) {
  auto line_end = [](char c) { return c == '\r' || c == '\n'; };
  if (piece.empty()) return false;
  if (before == '\r' && !line_end(piece[0])) return true;
  for (std::size_t cr = piece.find('\r'); cr != std::string_view::npos; cr = piece.find('\r', cr + 1))
    if (cr + 1 < piece.size() && !line_end(piece[cr + 1])) return true;
  return false;
}

void refusenul(std::string_view piece, std::int64_t line) {
  if (nulbyte(piece)) errmsg("NUL byte in the line", lineno(line));
}

void refusecr(std::string_view piece, std::int64_t line, char before) {
  if (crinside(piece, before)) errmsg("Carriage return inside a line (line ends must be LF or CR LF)", lineno(line));
}

}  // namespace toolkit
