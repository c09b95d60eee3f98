#pragma once
// Syntax checks of number words, made before a word is converted.

#include <string_view>

namespace toolkit {

struct NumCheck {
  bool ok;
  // 0 for an acceptable word; otherwise the 1-based position of the
  // character at which the word went bad, or its trimmed length plus 1 when
  // it ended before it was complete.
  int column;
};

// Optional leading blanks, at most one sign, at least one digit.
NumCheck chkint(std::string_view word);

// Optional leading blanks, an optional sign, a mantissa with at least one
// digit and at most one point, and optionally 'e' or 'E' with an optional
// sign and one to three digits.
NumCheck chkrea(std::string_view word);

}  // namespace toolkit
