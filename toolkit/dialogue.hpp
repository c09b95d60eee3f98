#pragma once
// Console questions: a prompt on standard output, one answer line from
// standard input, the echo, and the question again after a bad answer.

#include <array>
#include <cstddef>
#include <string_view>

namespace toolkit {

inline constexpr std::size_t answer_size = 80;
using Answer = std::array<char, answer_size>;

// Reads one line of standard input; stores at most limit-1 characters and a
// zero, drops the rest of a longer line. Stops the program when standard
// input ends before a line was begun.
void rdline(char* buffer, std::size_t limit);

// Reads one answer: the first blank-separated word of a line.
void rdansw(Answer& answer);

// Asks for a job name of letters, digits and $ . / : \ _.
void askjob(Answer& name);

double askrea(std::string_view prompt, double default_value);
int askint(std::string_view prompt, int default_value);

// Asks for one of two letters; returns it in lower case.
char askcha(std::string_view prompt, char first, char second, char default_choice);

// Asks for a free text line; an empty line takes the default.
void askstr(std::string_view prompt, std::string_view default_value, Answer& answer);

}  // namespace toolkit
