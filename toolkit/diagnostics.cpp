#include "toolkit/diagnostics.hpp"

#include <cstdio>

namespace toolkit {

namespace {

void put(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void block(std::string_view kind, std::string_view message, int line) {
  put("\n");
  put(kind);
  put(message);
  put("\n");
  if (line > 0) std::fprintf(stderr, "Line n. %8d\n", line);
}

}  // namespace

void errmsg(std::string_view message, int line) {
  block("ERROR:\n", message, line);
  put("\n");
  stop();
}

void wrnmsg(std::string_view message, int line) {
  block("WARNING:\n", message, line);
}

}  // namespace toolkit
