#pragma once
// The usual point line of a curve data file, read where it lies, without
// copying, splitting and checking its words one by one; the general reading
// is left to every other line. bench/pointline measures it against the
// standard conversion (std::from_chars) on the same lines.

#include <cstddef>

namespace plotcad {

// A point line of length characters: blanks and tabs, two words of the
// usual real form ([+-]digits[.digits][e[+-]ddd], at most 2^53 as an
// integer of its digits, a power of ten within 1e22), blanks and tabs, then
// the end of the line (a line feed, a carriage return, a comment or the end
// of the text). Gives the values of the two words: the digits and the power
// of ten are exact doubles, so one multiplication or division gives the
// correctly rounded value of the standard conversion. False for every other
// line. whole tells whether the numbers and blanks make up the line up to a
// line feed that is its last character (the line then holds nothing else:
// no comment, no zero byte, no carriage return). The line is not changed;
// the eight bytes after it must be readable (digits are read eight
// characters at a time).
bool fastpair(const char* line, std::size_t length, double& x, double& y, bool& whole);

}  // namespace plotcad
