// Fuzz target: the number conversions of the readers, plotcad's (after
// chkint and chkrea) and the mesh reader's token checks, against the
// standard conversions of the C library.

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "plotcad/numbers.hpp"
#include "rodmesh/numreader.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/numcheck.hpp"

namespace {

using fuzz::check;

bool digit(char c) { return c >= '0' && c <= '9'; }

bool same(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

// strtod of a word it takes whole, as the C library rounds it.
double standard(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  check(end == word.c_str() + word.size(), "the C conversion takes the word whole");
  return value;
}

// plotcad: words that passed the checks, blanks around them allowed.
void check_plotcad(const std::string& word) {
  const bool blank_free = word.find(' ') == std::string::npos;
  if (toolkit::chkint(word).ok && word.find_first_not_of(' ') != std::string::npos) {
    errno = 0;
    const long long v = std::strtoll(word.c_str(), nullptr, 10);
    const bool fits = errno != ERANGE && v >= INT32_MIN && v <= INT32_MAX;
    std::int32_t value = 0;
    check(plotcad::toint(word.c_str(), value) == fits, "toint refuses exactly the values beyond 32 bits");
    if (fits) check(value == v, "toint value");
    const std::int64_t limit = std::int64_t{1} << 40;
    const std::int64_t clamped = v > limit ? limit : v < -limit ? -limit : v;
    check(plotcad::toclamp(word.c_str()) == clamped, "toclamp holds at 2^40");
  }
  const bool real = toolkit::chkrea(word).ok;
  if (blank_free) check(plotcad::isreal(word.c_str()) == real, "isreal is chkrea on a word without blanks");
  double fast = 0;
  if (plotcad::fastreal(word.c_str(), fast)) {
    check(real && blank_free, "fastreal takes only chkrea words");
    check(same(fast, standard(word)), "fastreal value is the C conversion's");
  }
  if (real && word.find_first_not_of(' ') != std::string::npos) {
    std::string trimmed = word;
    while (trimmed.back() == ' ') trimmed.pop_back();
    const double s = standard(trimmed);
    check(same(plotcad::toreal(word.c_str()), s), "toreal value is the C conversion's");
    if (!plotcad::mayovf(word.c_str())) check(std::isfinite(s), "mayovf misses an overflow");
  }
}

// The mesh reader's tokens: a sign and digits for an integer, a decimal
// real, nothing else; values as the C conversions give them.
void check_rodmesh(const std::string& word) {
  std::size_t i = word[0] == '+' || word[0] == '-' ? 1 : 0;
  const std::size_t first = i;
  while (i < word.size() && digit(word[i])) ++i;
  const bool integer = i == word.size() && i > first && word.size() <= 999;
  std::int64_t n = 0;
  const rodmesh::Got got_int = rodmesh::parse_integer(word, n);
  check((got_int == rodmesh::Got::number) == integer, "parse_integer takes exactly sign and digits");
  if (integer) check(n == std::strtoll(word.c_str(), nullptr, 10), "parse_integer saturates as strtoll does");

  std::size_t mantissa = 0;
  i = first;
  while (i < word.size() && digit(word[i])) ++i, ++mantissa;
  if (i < word.size() && word[i] == '.')
    for (++i; i < word.size() && digit(word[i]); ++i) ++mantissa;
  bool real = mantissa > 0;
  if (real && i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
    ++i;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < word.size() && digit(word[i])) ++i, ++exponent;
    real = exponent > 0;
  }
  real = real && i == word.size() && word.size() <= 999;
  double x = 0;
  const rodmesh::Got got_real = rodmesh::parse_real(word, x);
  if (!real) {
    check(got_real == rodmesh::Got::bad, "parse_real refuses what is not a decimal real");
    return;
  }
  const double s = standard(word);
  check(got_real == (std::isfinite(s) ? rodmesh::Got::number : rodmesh::Got::range), "parse_real range");
  if (got_real == rodmesh::Got::number) check(same(x, s), "parse_real value is the C conversion's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string word(fuzz::bytes(data, size));
  // The readers' words are C strings of at most a line.
  word.resize(std::strlen(word.c_str()));
  if (word.empty() || word.size() > 1000) return 0;
  check_plotcad(word);
  check_rodmesh(word);
  return 0;
}
