// Fuzz target: the word filter, on any bytes, against a plain restatement
// of its rules: line reads of at most 999 bytes that end at a zero byte as a
// C string does, the line end removed, a comment cut at '#', words separated
// by blanks only, and a stop at the first read that is not a whole line.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/fuzz/support.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/stop_fuzz.hpp"
#include "wordlist/filter.hpp"

namespace {

using fuzz::check;

struct Expected {
  std::string out;
  bool stops = false;
};

Expected filtered(std::string_view in) {
  Expected e;
  while (!in.empty()) {
    const std::size_t lf = in.substr(0, 999).find('\n');
    const std::size_t n = lf == std::string_view::npos ? std::min<std::size_t>(999, in.size()) : lf + 1;
    std::string_view line = in.substr(0, n);
    in.remove_prefix(n);
    line = line.substr(0, line.find('\0'));
    if (line.empty()) continue;
    if (line.back() != '\n') {
      e.stops = true;
      return e;
    }
    line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('#'));
    for (std::size_t p = 0; p < line.size();) {
      if (line[p] == ' ') {
        ++p;
        continue;
      }
      const std::size_t start = p;
      while (p < line.size() && line[p] != ' ') ++p;
      e.out.append(line.substr(start, p - start));
      e.out += '\n';
    }
  }
  return e;
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  const int fd = memfd_create("wordlist-input", 0);
  check(fd >= 0, "memfd_create");
  check(write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size()), "input written");
  check(lseek(fd, 0, SEEK_SET) == 0, "input rewound");
  std::FILE* in = fdopen(fd, "rb");
  check(in != nullptr, "fdopen");

  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* out = open_memstream(&text, &length);
  check(out != nullptr, "open_memstream");
  bool stopped = false;
  // Odd sizes come on the standard input, which the program reads, as a
  // console or a pipe hands it out (the words handed on before each read
  // that may wait); even sizes from a file.
  const bool standard_input = input.size() % 2 == 1;
  const int saved = standard_input ? dup(0) : -1;
  if (standard_input) check(saved >= 0 && dup2(fd, 0) == 0, "input on descriptor 0");
  try {
    if (standard_input) {
      toolkit::Reader reader(toolkit::Reader::StandardInput{"Error reading standard input"});
      wordlist::filter(reader, out);
    } else {
      toolkit::Reader reader(in, "standard input");
      wordlist::filter(reader, out);
    }
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  if (standard_input) {
    check(dup2(saved, 0) == 0, "descriptor 0 restored");
    close(saved);
  }
  std::fclose(out);
  std::fclose(in);

  const Expected expected = filtered(input);
  check(stopped == expected.stops, "stops exactly at a read that is not a whole line");
  check(std::string_view(text, length) == expected.out, "the words written");
  std::free(text);
}
