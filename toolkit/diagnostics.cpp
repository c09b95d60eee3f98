#include "toolkit/diagnostics.hpp"

#include <cstdio>

#include "toolkit/progress.hpp"

namespace toolkit {

namespace {

void to_stderr(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void block(std::string_view kind, std::string_view message, int line) {
  Progress::clear();
  to_stderr("\n");
  to_stderr(kind);
  to_stderr(message);
  to_stderr("\n");
  if (line > 0) std::fprintf(stderr, "Line n. %8d\n", line);
}

}  // namespace

void errmsg(std::string_view message, int line) {
  block("ERROR:\n", message, line);
  to_stderr("\n");
  stop();
}

void wrnmsg(std::string_view message, int line) {
  block("WARNING:\n", message, line);
}

}  // namespace toolkit
