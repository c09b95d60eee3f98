#include "toolkit/linein.hpp"

namespace toolkit {

std::size_t getln(std::FILE* file, LineBuf& line) {
  std::size_t n = 0;
  while (n < line_limit - 1) {
    const int c = getc_unlocked(file);
    if (c == EOF) break;
    line[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[n] = '\0';
  return n;
}

}  // namespace toolkit

#include <sys/stat.h>

namespace toolkit {

std::FILE* openin(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "r");
  if (file == nullptr) return nullptr;
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace toolkit
