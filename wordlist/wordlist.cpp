// wordlist: copies every word of standard input to a line of its own on
// standard output, leaving out the comments ('#' to the end of a line).

#include <cstdio>

#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/reader.hpp"
#include "wordlist/filter.hpp"

int main() {
  toolkit::platform::holdstd();
  toolkit::Reader input(toolkit::Reader::StandardInput{"Error reading standard input"});
  wordlist::filter(input, stdout);
  toolkit::endout();
  return 0;
}
