// Fuzz target: the number conversions of the toolkit (after chkint, chkrea
// and the record-token check), the mesh reader's token checks and plotcad's
// point line, against the standard conversions of the C library.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "plotcad/pointline.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/scanning.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

bool digit(char c) { return c >= '0' && c <= '9'; }

// Bit for bit: the sign of a zero included.
bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// strtod of a word it takes whole, as the C library rounds it.
double standard(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  check(end == word.c_str() + word.size(), "the C conversion takes the word whole");
  return value;
}

// The end of [sign]digits at i, or npos when no digit follows the sign.
std::size_t signed_digits(const std::string& word, std::size_t i) {
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
  const std::size_t first = i;
  while (i < word.size() && digit(word[i])) ++i;
  return i > first ? i : std::string::npos;
}

// A sign, a mantissa of digits with at most one point and at least one
// digit, and an exponent of any number of digits; nothing else.
bool record_grammar(const std::string& word) {
  std::size_t i = word.empty() || (word[0] != '+' && word[0] != '-') ? 0 : 1;
  std::size_t mantissa = 0;
  while (i < word.size() && digit(word[i])) ++i, ++mantissa;
  if (i < word.size() && word[i] == '.')
    for (++i; i < word.size() && digit(word[i]); ++i) ++mantissa;
  if (mantissa == 0) return false;
  if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
    ++i;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < word.size() && digit(word[i])) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == word.size();
}

// toint and scanint: [blanks][sign]digits, held at the 64-bit bounds as
// strtoll holds them; every other word refused.
void check_integers(const std::string& word) {
  std::size_t lead = 0;
  while (lead < word.size() && word[lead] == ' ') ++lead;
  const std::size_t end = signed_digits(word, lead);
  const bool integer = end == word.size();
  const long long strtoll_value = integer ? std::strtoll(word.c_str(), nullptr, 10) : 0;
  std::int64_t value = 0;
  check(toolkit::toint(word, value) == integer, "toint takes exactly blanks, a sign and digits");
  if (integer) check(value == strtoll_value, "toint saturates as strtoll does");

  // scanint from the first character on, as the readers take a number and go on.
  const char* first = word.data();
  std::int64_t scanned = 0;
  const char* stop = toolkit::scanint(first, first + word.size(), scanned);
  const std::size_t digits_end = signed_digits(word, 0);
  check((stop == nullptr) == (digits_end == std::string::npos), "scanint finds a number exactly where one is");
  if (stop != nullptr) {
    check(stop == first + digits_end, "scanint ends after the digits");
    check(scanned == std::strtoll(word.substr(0, digits_end).c_str(), nullptr, 10), "scanint value as strtoll");
  }

  // The mesh reader: the same integers, no longer than a line.
  std::int64_t token_value = 0;
  const bool token_integer = integer && word.size() <= toolkit::token_limit;
  check(toolkit::recint(word, token_value) == token_integer, "recint is toint on a token of a line");
  if (token_integer) check(token_value == strtoll_value, "recint value");
}

// chkrea and isrecreal words convert as strtod converts them, bit for bit.
void check_reals(const std::string& word) {
  const bool record = record_grammar(word);
  check(toolkit::isrecreal(word) == record, "isrecreal is the record-token grammar");
  const bool real = toolkit::chkrea(word).ok && word.find_first_not_of(' ') != std::string::npos;
  if (real || record) {
    std::string trimmed = word.substr(0, static_cast<std::size_t>(toolkit::lentrm(word)));
    const double s = standard(trimmed);
    check(same(toolkit::toreal(word), s), "toreal value is the C conversion's");
  }
  double value = 0;
  const bool token_real = record && word.size() <= toolkit::token_limit;
  check(toolkit::recreal(word, value) == token_real, "recreal is isrecreal on a token of a line");
  if (token_real) check(same(value, standard(word)), "recreal value is the C conversion's");
}

// fastpair takes only lines whose two split words pass chkrea, and gives
// what toreal gives for them.
void check_fastpair(const std::string& text) {
  // The text and at least the eight bytes fastpair may read after it.
  toolkit::LineBuf line{};
  std::memcpy(line.data(), text.data(), text.size());
  double x = 0;
  double y = 0;
  bool whole = false;
  if (text.size() + 8 >= line.size() || !plotcad::fastpair(line.data(), text.size(), x, y, whole)) return;
  check(std::memcmp(line.data(), text.data(), text.size()) == 0, "fastpair leaves the line as it was");
  if (whole)
    check(!text.empty() && text.back() == '\n' && text.find_first_of("#\r") == std::string::npos,
          "a whole point line ends at its only line feed, without comment");
  toolkit::Words words;
  int count = 0;
  try {
    count = toolkit::splitw(line, words);
  } catch (const toolkit::Stopped&) {
    check(false, "splitw takes a line fastpair takes");
  }
  check(count == 2, "a point line has two words");
  check(toolkit::chkrea(words[0]).ok && toolkit::chkrea(words[1]).ok, "fastpair takes only chkrea words");
  check(same(x, toolkit::toreal(words[0])) && same(y, toolkit::toreal(words[1])), "fastpair values are toreal's");
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  std::string word(input);
  // The readers' words are C strings of at most a line.
  word.resize(std::strlen(word.c_str()));
  if (word.empty() || word.size() > 1000) return;
  check_integers(word);
  check_reals(word);
  check_fastpair(word);
}
