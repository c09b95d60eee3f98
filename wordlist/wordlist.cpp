// wordlist: copies every word of standard input to a line of its own on
// standard output, leaving out the comments ('#' to the end of a line).

#include <cstdio>

#include "toolkit/output.hpp"
#include "toolkit/platform.hpp"
#include "wordlist/filter.hpp"

int main() {
  // On a console the words of each line show before the next line is typed.
  toolkit::holdstd();
  wordlist::filter(0, stdout, toolkit::platform::console(stdout));
  toolkit::endout();
  return 0;
}
