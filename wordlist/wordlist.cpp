// wordlist: copies every word of standard input to a line of its own on
// standard output, leaving out the comments ('#' to the end of a line).

#include <unistd.h>

#include <cstdio>

#include "toolkit/output.hpp"
#include "wordlist/filter.hpp"

int main() {
  // On a console the words of each line show before the next line is typed.
  wordlist::filter(STDIN_FILENO, stdout, isatty(STDOUT_FILENO) != 0);
  toolkit::endout();
  return 0;
}
