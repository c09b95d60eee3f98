// Fuzz target: the word filter, on any bytes, against a plain restatement
// of its rules: line reads of at most 999 bytes that end at a zero byte as a
// C string does, the line end removed, a comment cut at '#', words separated
// by blanks only, and a stop at the first read that is not a whole line.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/fuzz/support.hpp"
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::NoOpenFiles no_open_files;
  const std::string_view input = fuzz::bytes(data, size);
  const int fd = memfd_create("wordlist-input", 0);
  check(fd >= 0, "memfd_create");
  check(write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size()), "input written");
  check(lseek(fd, 0, SEEK_SET) == 0, "input rewound");

  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* out = open_memstream(&text, &length);
  check(out != nullptr, "open_memstream");
  bool stopped = false;
  try {
    // The console mode hands each line on at once: the same words.
    wordlist::filter(fd, out, size % 2 == 1);
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  std::fclose(out);
  close(fd);

  const Expected expected = filtered(input);
  check(stopped == expected.stops, "stops exactly at a read that is not a whole line");
  check(std::string_view(text, length) == expected.out, "the words written");
  std::free(text);
  return 0;
}
