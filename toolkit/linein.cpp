#include "toolkit/linein.hpp"

// No lock taken per byte: the programs have a single thread.
#ifdef _WIN32
#define PPT_GETC _getc_nolock
#else
#define PPT_GETC getc_unlocked
#endif

namespace toolkit {

std::size_t getln(std::FILE* file, LineBuf& line) {
  std::size_t n = 0;
  while (n < line_limit - 1) {
    const int c = PPT_GETC(file);
    if (c == EOF) break;
    line[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[n] = '\0';
  return n;
}

}  // namespace toolkit

#include "toolkit/platform.hpp"

namespace toolkit {

std::FILE* openin(const std::string& name) { return platform::openin(name); }

}  // namespace toolkit
