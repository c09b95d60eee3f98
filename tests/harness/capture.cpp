#include "tests/harness/capture.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace harness {

namespace {

std::string slurp(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  std::fclose(file);
  return text;
}

}  // namespace

Outcome capture(const std::function<void()>& body, std::string_view input) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  // An empty view may have no data at all, which fwrite must never be given.
  if (!input.empty()) std::fwrite(input.data(), 1, input.size(), in);
  std::fflush(in);
  std::rewind(in);
  std::fflush(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    dup2(fileno(in), 0);
    dup2(fileno(out), 1);
    dup2(fileno(err), 2);
    lseek(0, 0, SEEK_SET);
    std::clearerr(stdin);
    body();
    std::exit(0);
  }
  int raw = 0;
  waitpid(child, &raw, 0);
  Outcome outcome{slurp(out), slurp(err), 0};
  std::fclose(in);
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return outcome;
}

}  // namespace harness
