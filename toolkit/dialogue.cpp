#include "toolkit/dialogue.hpp"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "toolkit/diagnostics.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"

namespace toolkit {

namespace {

void say(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void echo(const char* answer) { std::printf("You answered: %s\n", answer); }

void repeat() { say("\nERROR: repeat answer ...\n"); }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool job_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::strchr("$./:\\_", c) != nullptr;
}

// The answers: standard input, where the end of the input and a failed
// read end an answer alike.
Reader& answers() {
  static Reader input(Reader::StandardInput{""});
  return input;
}

}  // namespace

void rdline(char* buffer, std::size_t limit) {
  if (limit == 0) return;
  // The prompt must be visible before the answer is awaited on a console.
  std::fflush(stdout);
  Reader& in = answers();
  std::size_t stored = 0;
  int c = in.get();
  if (c < 0) errmsg("Unexpected end of input");
  while (c >= 0 && c != '\n') {
    if (c == '\r') {
      // A carriage return ends the line; one with a line feed after it ends
      // just the one line.
      if (in.peek() == '\n') in.get();
      break;
    }
    if (stored + 1 < limit) buffer[stored++] = static_cast<char>(c);
    c = in.get();
  }
  buffer[stored] = '\0';
}

void rdansw(Answer& answer) {
  rdline(answer.data(), answer.size());
  char* text = answer.data();
  std::size_t lead = std::strspn(text, " ");
  std::memmove(text, text + lead, std::strlen(text + lead) + 1);
  if (char* blank = std::strchr(text, ' ')) *blank = '\0';
}

void askjob(Answer& name) {
  for (;;) {
    say("\nJob name ? ");
    rdansw(name);
    echo(name.data());
    const char* p = name.data();
    bool good = *p != '\0';
    for (; *p != '\0'; ++p) good = good && job_char(*p);
    if (good) return;
    repeat();
  }
}

double askrea(std::string_view prompt, double default_value) {
  char shown[64];
  std::snprintf(shown, sizeof shown, "%.15lg", default_value);
  if (!chkrea(shown).ok) errmsg("askrea: invalid default answer");
  Answer answer;
  for (;;) {
    std::printf("\n%.*s [%.15lg] ? ", static_cast<int>(prompt.size()), prompt.data(), default_value);
    rdansw(answer);
    if (answer[0] == '\0') {
      std::printf("You answered: %.15lg\n", default_value);
      return default_value;
    }
    const bool syntax = chkrea(answer.data()).ok;
    const double value = syntax ? toreal(answer.data()) : 0.0;
    echo(answer.data());
    // A value beyond the range of a double would become an infinity.
    if (syntax && std::isfinite(value)) return value;
    repeat();
  }
}

int askint(std::string_view prompt, int default_value) {
  char shown[32];
  std::snprintf(shown, sizeof shown, "%d", default_value);
  if (!chkint(shown).ok) errmsg("askint: invalid default answer");
  Answer answer;
  for (;;) {
    std::printf("\n%.*s [%d] ? ", static_cast<int>(prompt.size()), prompt.data(), default_value);
    rdansw(answer);
    if (answer[0] == '\0') {
      std::printf("You answered: %d\n", default_value);
      return default_value;
    }
    std::int64_t value = 0;
    const bool syntax = chkint(answer.data()).ok && toint(answer.data(), value);
    echo(answer.data());
    // An answer beyond the 32-bit range is refused rather than wrapped.
    if (syntax && fits32(value)) return static_cast<int>(value);
    repeat();
  }
}

char askcha(std::string_view prompt, char first, char second, char default_choice) {
  first = lower(first);
  second = lower(second);
  default_choice = lower(default_choice);
  if (default_choice != first && default_choice != second)
    errmsg("askcha: the default choice must be one of the valid choices");
  Answer answer;
  for (;;) {
    std::printf("\n%.*s (%c/%c) [%c] ? ", static_cast<int>(prompt.size()), prompt.data(), first, second,
                default_choice);
    rdansw(answer);
    for (char* p = answer.data(); *p != '\0'; ++p) *p = lower(*p);
    char candidate = '\0';
    if (answer[0] == '\0') {
      answer[0] = default_choice;
      answer[1] = '\0';
      candidate = default_choice;
    } else if (answer[1] == '\0') {
      candidate = answer[0];
    }
    echo(answer.data());
    if (candidate != '\0' && (candidate == first || candidate == second)) return candidate;
    repeat();
  }
}

void askstr(std::string_view prompt, std::string_view default_value, Answer& answer) {
  const int plen = static_cast<int>(prompt.size());
  if (!default_value.empty())
    std::printf("%.*s [%.*s] ? ", plen, prompt.data(), static_cast<int>(default_value.size()),
                default_value.data());
  else
    std::printf("%.*s ? ", plen, prompt.data());
  rdline(answer.data(), answer.size());
  if (answer[0] == '\0') {
    std::size_t n = std::min(default_value.size(), answer.size() - 1);
    std::memcpy(answer.data(), default_value.data(), n);
    answer[n] = '\0';
  }
  echo(answer.data());
}

}  // namespace toolkit
