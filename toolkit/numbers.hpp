#pragma once
// Number words: their syntax, checked before a word is converted, and their
// conversion. One grammar of integers, and one of reals in two variants:
// the words of the text files and the answers (at most three exponent
// digits, blanks before the number allowed), and the tokens of the record
// sections of the mesh file and the element values file (any number of
// exponent digits).

#include <cstdint>
#include <string_view>

namespace toolkit {

struct NumCheck {
  bool ok;
  // 0 for an acceptable word; otherwise the 1-based position of the
  // character at which the word went bad, or its trimmed length plus 1 when
  // it ended before it was complete.
  int column;
};

// Optional leading blanks, at most one sign, at least one digit. An empty or
// all-blank word passes.
NumCheck chkint(std::string_view word);

// Optional leading blanks, an optional sign, a mantissa with at least one
// digit and at most one point, and optionally 'e' or 'E' with an optional
// sign and one to three digits. An empty or all-blank word passes.
NumCheck chkrea(std::string_view word);

// A token of a record section: a sign, a mantissa as above and an exponent
// of any number of digits, and nothing else.
bool isrecreal(std::string_view token);

// The value of an integer word ([blanks][sign]digits, the form chkint
// passes), held at the nearest 64-bit bound beyond that range, so that each
// caller's own range check refuses it without anything wrapping. False for
// any other word.
bool toint(std::string_view word, std::int64_t& value);

// A token of a record section as a number: false when it is not one
// (toint's integers; isrecreal's reals), or longer than any line of the
// formats. A real beyond the range of a double gives an infinity.
bool recint(std::string_view token, std::int64_t& value);
bool recreal(std::string_view token, double& value);

// Whether an integer that toint or scanint gave fits a signed 32-bit
// number, as counts, answers and options must.
inline bool fits32(std::int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

// The integer ([sign]digits) that starts at first, as toint gives it; the
// end of its digits, or nullptr when no digit follows the sign. For readers
// that take a number and go on.
const char* scanint(const char* first, const char* last, std::int64_t& value);

// The value of a real word that one of the real checks passed (blanks before
// it are skipped): correctly rounded; a magnitude beyond the range of a
// double becomes an infinity, which the callers refuse, and one too small
// for it becomes 0 or a subnormal, as the standard conversion gives them.
double toreal(std::string_view word);

}  // namespace toolkit
