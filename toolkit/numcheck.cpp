#include "toolkit/numcheck.hpp"

#include "toolkit/scanning.hpp"

namespace toolkit {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }

constexpr NumCheck good{true, 0};
constexpr NumCheck bad_at(int column) { return {false, column}; }

// The states of the real-number machines, in the order they are passed.
enum State { lead, sign, integer, point, frac, emark, esign, exp, nstates };

// Which character a state takes.
bool takes(State s, char c) {
  switch (s) {
    case lead: return c == ' ';
    case sign: return is_sign(c);
    case integer: return is_digit(c);
    case point: return c == '.';
    case frac: return is_digit(c);
    case emark: return c == 'e' || c == 'E';
    case esign: return is_sign(c);
    case exp: return is_digit(c);
    default: return false;
  }
}

}  // namespace

NumCheck chkint(std::string_view word) {
  const int n = lentrm(word);
  enum { lead_, sign_, digits_ };
  int count[3] = {0, 0, 0};
  int state = lead_;
  for (int i = 0; i < n; ++i) {
    const char c = word[i];
    if (state == lead_) {
      if (c == ' ') {
        ++count[lead_];
        continue;
      }
      state = sign_;
    }
    if (state == sign_) {
      if (is_sign(c)) {
        ++count[sign_];
        if (count[sign_] > 1) return bad_at(i + 1);
        continue;
      }
      state = digits_;
    }
    if (!is_digit(c)) return bad_at(i + 1);
    ++count[digits_];
  }
  if (n > 0 && count[digits_] == 0) return bad_at(n + 1);
  return good;
}

NumCheck chkrea(std::string_view word) {
  const int n = lentrm(word);
  bool has_exponent = false;
  for (int i = 0; i < n; ++i) has_exponent = has_exponent || word[i] == 'e' || word[i] == 'E';

  // The plain machine fails where the exponent machine would go on to EMARK.
  const State last = has_exponent ? exp : frac;
  int count[nstates] = {};
  State state = lead;
  for (int i = 0; i < n; ++i) {
    const char c = word[i];
    while (!takes(state, c)) {
      if (state == last) return bad_at(i + 1);
      state = static_cast<State>(state + 1);
    }
    ++count[state];
    const int mantissa = count[integer] + count[frac];
    if (count[sign] > 1 || count[point] > 1 || count[emark] > 1 || count[esign] > 1 || count[exp] > 3)
      return bad_at(i + 1);
    if ((state == emark || state == esign || state == exp) && mantissa == 0) return bad_at(i + 1);
    if ((state == esign || state == exp) && count[emark] == 0) return bad_at(i + 1);
  }
  if (has_exponent) {
    if (count[exp] == 0) return bad_at(n + 1);
  } else if (n > 0 && count[integer] + count[frac] == 0) {
    return bad_at(n + 1);
  }
  return good;
}

}  // namespace toolkit
