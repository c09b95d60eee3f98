#pragma once
// Conversion of number words that passed chkint or chkrea, without the
// undefined or silent results of the C conversions at the edges of range.

#include <cstddef>
#include <cstdint>

namespace plotcad {

// The value of an integer word (optional blanks and sign, then digits);
// false when it lies outside the signed 32-bit range.
bool toint(const char* word, std::int32_t& value);

// The value of an integer word, held at +-2^40 when larger in magnitude, so
// that a huge word compares unequal to every count without overflowing.
std::int64_t toclamp(const char* word);

// The value of a real word as the standard conversion gives it: correctly
// rounded, a tiny magnitude becomes 0 or a subnormal, one beyond the range
// of a double becomes an infinity (which the callers refuse).
double toreal(const char* word);

// The verdict of chkrea on a word without blanks, reached at once for the
// usual forms ([+-]digits[.digits][e[+-]ddd]); other words go to chkrea.
bool isreal(const char* word);

// The usual real word ([+-]digits[.digits][e[+-]ddd], at most 2^53 as an
// integer of its digits, a power of ten within 1e22) checked and converted
// in one go: the digits and the power of ten are exact doubles, so one
// multiplication or division gives the correctly rounded value that the
// standard conversion gives. False for every other word, which the caller
// then checks and converts in full.
bool fastreal(const char* word, double& value);

// The longest line that splitw takes: a longer one stops the program.
inline constexpr std::size_t short_line = 980;

// A usual point line of length characters, read without splitting it:
// blanks and tabs, two words that fastreal takes, blanks and tabs, then the
// end of the line (a line feed, a carriage return, a comment or the end of
// the text). Gives the values that fastreal gives for the two words splitw
// finds; false for every other line, which the caller then splits and
// checks in full. The line is not changed; the eight bytes after it must
// be readable (the numbers are read eight characters at a time).
bool fastpair(const char* line, std::size_t length, double& x, double& y);

// As fastpair; whole tells whether the numbers and blanks make up the line
// up to a line feed that is its last character (the line then holds
// nothing else: no comment, no NUL byte, no carriage return).
bool fastpair(const char* line, std::size_t length, double& x, double& y, bool& whole);

// True when a real word may lie beyond the range of a double: only a word
// with a three-digit exponent or a very long mantissa can. Lets a reader
// skip the conversion of ordinary words.
bool mayovf(const char* word);

}  // namespace plotcad
