// Fuzz target: the line and word scanning routines and the number checks,
// each against a plain restatement of what it promises.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/support.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/scanning.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

bool digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trailing_trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Blanks, at most one sign, at least one digit; or nothing but blanks.
bool integer_word(std::string_view s) {
  s = trailing_trimmed(s);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return true;
  if (s[i] == '+' || s[i] == '-') ++i;
  const std::size_t first = i;
  while (i < s.size() && digit(s[i])) ++i;
  return i == s.size() && i > first;
}

// Blanks, a sign, a mantissa with a digit and at most one point, and an
// exponent of one to three digits; or nothing but blanks.
bool real_word(std::string_view s) {
  s = trailing_trimmed(s);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return true;
  if (s[i] == '+' || s[i] == '-') ++i;
  std::size_t mantissa = 0;
  while (i < s.size() && digit(s[i])) ++i, ++mantissa;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && digit(s[i])) ++i, ++mantissa;
  }
  if (mantissa == 0) return false;
  if (i == s.size()) return true;
  if (s[i] != 'e' && s[i] != 'E') return false;
  ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t exponent = 0;
  while (i < s.size() && digit(s[i])) ++i, ++exponent;
  return i == s.size() && exponent >= 1 && exponent <= 3;
}

void check_numbers(std::string_view word) {
  const int n = toolkit::lentrm(word);
  const std::string text(word.substr(0, static_cast<std::size_t>(n)));

  const toolkit::NumCheck i = toolkit::chkint(word);
  check(i.ok == integer_word(word), "chkint verdict");
  check(i.ok ? i.column == 0 : i.column >= 1 && i.column <= n + 1, "chkint column");
  if (i.ok && !trailing_trimmed(word).empty() && text.find('\0') == std::string::npos) {
    // The standard conversion takes the whole word (a value out of range
    // saturates, which the callers check).
    char* end = nullptr;
    errno = 0;
    (void)std::strtoll(text.c_str(), &end, 10);
    check(end == text.c_str() + text.size(), "a chkint word converts in full");
  }

  const toolkit::NumCheck r = toolkit::chkrea(word);
  check(r.ok == real_word(word), "chkrea verdict");
  check(r.ok ? r.column == 0 : r.column >= 1 && r.column <= n + 1, "chkrea column");
  if (r.ok && !trailing_trimmed(word).empty() && text.find('\0') == std::string::npos) {
    char* end = nullptr;
    (void)std::strtod(text.c_str(), &end);
    check(end == text.c_str() + text.size(), "a chkrea word converts in full");
  }
}

// splitw against its rules: at most 990 characters seen, more than 980
// refused, the comment, CR or LF cut, words separated by blanks and tabs,
// more than 100 refused.
void check_splitw(const toolkit::LineBuf& original) {
  toolkit::LineBuf line = original;
  std::string seen(original.data(), strnlen(original.data(), 990));
  const bool too_long = seen.size() > 980;
  seen = seen.substr(0, seen.find_first_of("#\r\n"));
  std::vector<std::pair<std::size_t, std::size_t>> expected;  // offset, length
  for (std::size_t p = 0; p < seen.size();) {
    if (seen[p] == ' ' || seen[p] == '\t') {
      ++p;
      continue;
    }
    const std::size_t start = p;
    while (p < seen.size() && seen[p] != ' ' && seen[p] != '\t') ++p;
    expected.emplace_back(start, p - start);
  }
  const bool too_many = expected.size() > 100;

  toolkit::Words words;
  int count = -1;
  bool stopped = false;
  try {
    count = toolkit::splitw(line, words);
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  check(stopped == (too_long || too_many), "splitw stops exactly on a long line or too many words");
  if (stopped) return;
  check(count == static_cast<int>(expected.size()), "splitw word count");
  check(count <= toolkit::max_words, "splitw count within the words array");
  for (int k = 0; k < count; ++k) {
    const char* w = words[k];
    check(w >= line.data() && w < line.data() + 990, "a word points inside the line buffer");
    const auto [offset, length] = expected[static_cast<std::size_t>(k)];
    check(static_cast<std::size_t>(w - line.data()) == offset, "word position");
    check(std::strlen(w) == length && std::memcmp(w, original.data() + offset, length) == 0, "word text");
    check_numbers(w);
  }
}

void check_elimnl(const toolkit::LineBuf& original) {
  toolkit::LineBuf line = original;
  const std::string before(original.data());
  const std::size_t n = before.size();
  const bool bad = n > 0 && before.back() != '\n';
  bool stopped = false;
  try {
    toolkit::elimnl(line.data());
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  check(stopped == bad, "elimnl stops exactly on a line without line feed");
  if (stopped) return;
  std::string after = before;
  if (n > 0) after.pop_back();
  if (!after.empty() && after.back() == '\r') after.pop_back();
  check(after == line.data(), "elimnl removes LF and CR LF");
}

void check_trimming(std::string_view text) {
  std::size_t e = text.size();
  while (e > 0 && text[e - 1] == ' ') --e;
  std::size_t b = 0;
  if (e > 0)
    while (text[b] == ' ') ++b;
  check(toolkit::lentrm(text) == static_cast<int>(e), "lentrm");
  check(toolkit::nlead(text) == static_cast<int>(b), "nlead");

  std::string buffer(text);
  buffer.resize(std::strlen(buffer.c_str()));
  const std::string c_text = buffer;
  std::size_t ce = c_text.size();
  while (ce > 0 && c_text[ce - 1] == ' ') --ce;
  std::size_t cb = 0;
  if (ce > 0)
    while (c_text[cb] == ' ') ++cb;
  toolkit::trimst(buffer.data());
  check(std::string(buffer.c_str()) == c_text.substr(cb, ce - cb), "trimst");
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  // One line read of the readers: at most 999 bytes and a zero, whatever
  // bytes they are.
  toolkit::LineBuf line;
  const std::size_t n = input.size() < toolkit::line_limit - 1 ? input.size() : toolkit::line_limit - 1;
  std::memcpy(line.data(), input.data(), n);
  line[n] = '\0';

  check_splitw(line);
  check_elimnl(line);
  check_trimming(input.substr(0, n));
  // Whole inputs as words, blanks and odd bytes included.
  check_numbers(input.substr(0, n < 200 ? n : 200));
}
