#include "toolkit/numbers.hpp"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "toolkit/scanning.hpp"

namespace toolkit {

namespace {

bool digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }
bool sign(char c) { return c == '+' || c == '-'; }
bool emark(char c) { return c == 'e' || c == 'E'; }

constexpr NumCheck good{true, 0};
constexpr NumCheck bad_at(std::size_t column) { return {false, static_cast<int>(column)}; }

// The start that every number word shares: blanks, then at most one sign.
// Moves i past them; a second sign makes the word bad there.
NumCheck skiplead(std::string_view word, std::size_t n, std::size_t& i) {
  while (i < n && word[i] == ' ') ++i;
  for (int signs = 0; i < n && sign(word[i]); ++i)
    if (++signs > 1) return bad_at(i + 1);
  return good;
}

// The real-number machine. Its states are passed in one order (blanks, sign,
// integer digits, point, fraction digits, exponent mark, exponent sign,
// exponent digits), each taking its own characters, so it runs as one loop
// per state. A character that no state from the current one on takes, a
// state that takes more than its share, and an exponent without a mantissa
// before it make the word bad at that character; a word that ends before
// it is complete is bad one past its trimmed end. A word without 'e' or
// 'E' ends with the fraction digits. No state before the exponent mark
// takes an 'e', so the first one, if the word gets that far, stands right
// after the fraction digits: whether the word has one needs no search of
// its own, and a word that goes bad before it is bad at the same column
// either way.
NumCheck realsyntax(std::string_view word, std::size_t max_exponent) {
  const std::size_t n = static_cast<std::size_t>(lentrm(word));
  std::size_t i = 0;
  if (const NumCheck lead = skiplead(word, n, i); !lead.ok) return lead;
  std::size_t mantissa = 0;
  for (; i < n && digit(word[i]); ++i) ++mantissa;
  for (int points = 0; i < n && word[i] == '.'; ++i)
    if (++points > 1) return bad_at(i + 1);
  for (; i < n && digit(word[i]); ++i) ++mantissa;
  if (i == n || !emark(word[i])) {
    if (i < n) return bad_at(i + 1);
    if (n > 0 && mantissa == 0) return bad_at(n + 1);
    return good;
  }
  int marks = 0;
  for (; i < n && emark(word[i]); ++i)
    if (++marks > 1 || mantissa == 0) return bad_at(i + 1);
  for (int signs = 0; i < n && sign(word[i]); ++i)
    if (++signs > 1 || mantissa == 0 || marks == 0) return bad_at(i + 1);
  std::size_t digits = 0;
  for (; i < n && digit(word[i]); ++i)
    if (++digits > max_exponent || mantissa == 0 || marks == 0) return bad_at(i + 1);
  if (i < n) return bad_at(i + 1);
  if (digits == 0) return bad_at(n + 1);
  return good;
}

}  // namespace

NumCheck chkint(std::string_view word) {
  const std::size_t n = static_cast<std::size_t>(lentrm(word));
  std::size_t i = 0;
  if (const NumCheck lead = skiplead(word, n, i); !lead.ok) return lead;
  std::size_t digits = 0;
  for (; i < n; ++i) {
    if (!digit(word[i])) return bad_at(i + 1);
    ++digits;
  }
  if (n > 0 && digits == 0) return bad_at(n + 1);
  return good;
}

NumCheck chkrea(std::string_view word) { return realsyntax(word, 3); }

bool isrecreal(std::string_view token) {
  // The machine trims and skips blanks, which a token never holds.
  return !token.empty() && token.front() != ' ' && token.back() != ' ' &&
         realsyntax(token, std::numeric_limits<std::size_t>::max()).ok;
}

const char* scanint(const char* first, const char* last, std::int64_t& value) {
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (p != last && sign(*p)) ++p;
  if (p == last || !digit(*p)) return nullptr;
  // from_chars takes the minus sign but no plus; a value beyond the range
  // leaves the end of its digits and an error, and is held at the bound.
  auto [end, error] = std::from_chars(negative ? p - 1 : p, last, value);
  if (error == std::errc::result_out_of_range)
    value = negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
  return end;
}

bool toint(std::string_view word, std::int64_t& value) {
  const char* first = word.data();
  const char* last = first + word.size();
  while (first != last && *first == ' ') ++first;
  // An empty view may have no address: its end is then the null that
  // scanint gives for "no digits".
  const char* const end = scanint(first, last, value);
  return end != nullptr && end == last;
}

bool recint(std::string_view token, std::int64_t& value) {
  return token.size() <= token_limit && toint(token, value);
}

bool recreal(std::string_view token, double& value) {
  if (token.size() > token_limit || !isrecreal(token)) return false;
  value = toreal(token);
  return true;
}

double toreal(std::string_view word) {
  while (!word.empty() && word.front() == ' ') word.remove_prefix(1);
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  const char* last = word.data() + word.size();
  double value = 0.0;
  auto [end, error] = std::from_chars(word.data(), last, value, std::chars_format::general);
  if (error != std::errc::result_out_of_range) return value;
  // Out of range either way: the C conversion, in the C locale the programs
  // never leave, gives an infinity or the nearest of 0 and the subnormals.
  const std::string copy(word);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace toolkit
