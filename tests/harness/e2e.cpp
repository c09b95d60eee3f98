#include "tests/harness/e2e.hpp"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace harness {

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string test_name() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info == nullptr) return "outside_test";
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

}  // namespace

Scratch::Scratch() : dir_(std::string(PPT_SCRATCH_DIR) + "/" + test_name()) {
  fs::remove_all(dir_);
  fs::create_directories(dir_);
}

Scratch::Scratch(std::string_view name) : dir_(std::string(PPT_SCRATCH_DIR) + "/" + test_name() + ".") {
  std::string tail(name);
  std::replace(tail.begin(), tail.end(), '/', '_');
  dir_ += tail;
  fs::remove_all(dir_);
  fs::create_directories(dir_);
}

std::string Scratch::path(std::string_view name) const { return dir_ + "/" + std::string(name); }

void Scratch::write(std::string_view name, std::string_view content) const {
  std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path(name));
}

std::string Scratch::read(std::string_view name) const { return read_file(path(name)); }

bool Scratch::exists(std::string_view name) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path(name), ec));
}

std::vector<std::string> Scratch::files() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(".run_", 0) != 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void Scratch::symlink(std::string_view name, std::string_view target) const {
  fs::create_symlink(std::string(target), path(name));
}

namespace {

constexpr uid_t nobody = 65534;

}  // namespace

bool become_unprivileged() {
  if (geteuid() != 0) return true;
  return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0 && geteuid() == nobody;
}

std::string program_file(std::string_view program) {
  static const std::map<std::string_view, std::string_view> files{
      {"plotcad", PPT_PLOTCAD}, {"rodmesh", PPT_RODMESH},   {"meshcut", PPT_MESHCUT},
      {"meshcat", PPT_MESHCAT}, {"wordlist", PPT_WORDLIST},
  };
  const auto file = files.find(program);
  if (file == files.end()) throw std::invalid_argument("not a program of the suite: " + std::string(program));
  return std::string(file->second);
}

bool windows() {
  const char* dir = std::getenv("PPT_WINDOWS_BIN");
  return dir != nullptr && *dir != '\0';
}

namespace {

// The text as the Linux programs write it: every CR LF made LF. A bare LF
// is a test failure, named after where it was found.
std::string from_crlf(const std::string& text, const std::string& where) {
  std::string lf;
  lf.reserve(text.size());
  bool bare = false;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') continue;
    if (text[k] == '\n' && (k == 0 || text[k - 1] != '\r')) bare = true;
    lf += text[k];
  }
  if (bare) ADD_FAILURE() << where << ": a line ends with a bare LF in Windows text";
  return lf;
}

// The regular files of a directory (links left out) with what tells a
// rewritten one from an untouched one.
using Snapshot = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;

Snapshot snapshot(const Scratch& scratch) {
  Snapshot files;
  for (const std::string& name : scratch.files()) {
    const fs::path path = scratch.path(name);
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec))) continue;
    files[name] = {fs::file_size(path, ec), fs::last_write_time(path, ec)};
  }
  return files;
}

// Feeds the input to a program through the pipe held, sends it the signal
// once its standard output (in the file out) ends with the text awaited,
// and reaps it when it ended (its raw status in raw). The input stays open
// until the program has ended (Wine hands the signal to a thread of its
// own, which takes a while), or for a minute.
bool interrupt(const std::string& out, pid_t child, int held[2], std::string_view input, const RunOptions& options,
               int& raw) {
  close(held[0]);
  if (!input.empty() && write(held[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
    ADD_FAILURE() << "the input did not fit the pipe";
  const std::string& awaited = options.interrupt_at;
  const auto waiting = [&] {
    std::string text = read_file(out);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text.size() >= awaited.size() && text.compare(text.size() - awaited.size(), awaited.size(), awaited) == 0;
  };
  bool seen = false;
  for (int k = 0; k < 6000 && !(seen = waiting()); ++k) usleep(10000);
  if (seen)
    kill(child, options.interrupt);
  else
    ADD_FAILURE() << "the program never came to \"" << awaited << "\": nothing interrupted";
  bool ended = false;
  for (int k = 0; k < 6000 && !(ended = waitpid(child, &raw, WNOHANG) == child); ++k) usleep(10000);
  close(held[1]);
  return ended;
}

}  // namespace

bool permissions_apply() {
  // Wine runs only as the owner of its prefix.
  if (windows()) return false;
  if (geteuid() != 0) return true;
  // The run enters the scratch directory and opens the program before it
  // drops to user 65534, so a build under a private home (/root) serves too.
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) _exit(become_unprivileged() ? 0 : 1);
  int raw = 0;
  waitpid(child, &raw, 0);
  return WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
}

Outcome run(const Scratch& scratch, std::string_view program, const std::vector<std::string>& args,
            std::string_view input, const RunOptions& options) {
  const bool wine = windows();
  const std::string exe = wine ? std::string(std::getenv("PPT_WINDOWS_BIN")) + "/" + std::string(program) + ".exe"
                               : program_file(program);
  const std::string in_path = options.stdin_path.empty() ? scratch.path(".run_stdin") : options.stdin_path;
  const std::string out_path = options.stdout_path.empty() ? scratch.path(".run_stdout") : options.stdout_path;
  const std::string err_path = scratch.path(".run_stderr");
  scratch.write(".run_stdin", input);
  scratch.write(".run_stdout", "");
  const bool drop = options.unprivileged && geteuid() == 0;
  if (drop) fs::permissions(scratch.dir(), fs::perms::all);

  // plotcad and rodmesh write text files: those they create or rewrite are
  // compared in their Linux form.
  const bool text_outputs = wine && (program == "plotcad" || program == "rodmesh");
  const Snapshot before = text_outputs ? snapshot(scratch) : Snapshot();

  std::vector<std::string> argv_text{exe};
  if (wine) argv_text.insert(argv_text.begin(), "wine");
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);

  int held[2] = {-1, -1};
  if (options.interrupt != 0 && pipe(held) != 0) throw std::runtime_error("no pipe");
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(scratch.dir().c_str()) != 0) _exit(125);
    const int program_fd = drop ? open(exe.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (drop && program_fd < 0) _exit(125);
    if (held[1] >= 0) close(held[1]);
    const int in = held[0] >= 0 ? held[0] : open(in_path.c_str(), O_RDONLY);
    const int out = options.broken_pipe ? -1 : open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || (out < 0 && !options.broken_pipe) || err < 0) _exit(125);
    dup2(in, 0);
    dup2(err, 2);
    close(in);
    close(err);
    if (options.broken_pipe) {
      int ends[2];
      if (pipe(ends) != 0) _exit(125);
      close(ends[0]);
      dup2(ends[1], 1);
      close(ends[1]);
    } else {
      dup2(out, 1);
      close(out);
    }
    if (options.close_stdin) close(0);
    if (options.close_stdout) close(1);
    signal(SIGPIPE, options.ignore_sigpipe ? SIG_IGN : SIG_DFL);
    if (options.interrupt != 0) signal(options.interrupt, SIG_DFL);
    if (drop && !become_unprivileged()) _exit(126);
    // Sanitizer findings must not pass for the programs' own status 1.
    setenv("ASAN_OPTIONS", "allocator_may_return_null=1:exitcode=86", 1);
    setenv("UBSAN_OPTIONS", "halt_on_error=1:exitcode=87:print_stacktrace=1", 1);
    if (wine) {
      setenv("WINEDEBUG", "-all", 1);
      execvp("wine", argv.data());
    }
    if (drop)
      fexecve(program_fd, argv.data(), environ);
    else
      execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int raw = 0;
  if (options.interrupt == 0 || !interrupt(out_path, child, held, input, options, raw))
    waitpid(child, &raw, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  outcome.out = options.stdout_path.empty() ? read_file(out_path) : std::string();
  outcome.err = read_file(err_path);
  if (wine) {
    outcome.out = from_crlf(outcome.out, "standard output");
    outcome.err = from_crlf(outcome.err, "standard error");
    if (text_outputs)
      for (const auto& [name, stamp] : snapshot(scratch)) {
        const auto old = before.find(name);
        if (old == before.end() || old->second != stamp) scratch.write(name, from_crlf(scratch.read(name), name));
      }
  }
  return outcome;
}

std::string banner(std::string_view program) {
  // The text that the build scrambled, its version filled in.
  std::istringstream plain(read_file(std::string(PPT_BANNER_DIR) + "/" + std::string(program) + ".banner"));
  std::string text = "\n";
  for (std::string line; std::getline(plain, line);) text += line + "\n";
  return text;
}

std::string source(std::string_view relative_path) {
  return read_file(std::string(PPT_SOURCE_DIR) + "/" + std::string(relative_path));
}

std::string error_block(std::string_view message, int line) {
  std::string block = "\nERROR:\n" + std::string(message) + "\n";
  if (line > 0) {
    char number[32];
    std::snprintf(number, sizeof number, "Line n. %8d\n", line);
    block += number;
  }
  return block + "\n";
}

}  // namespace harness
