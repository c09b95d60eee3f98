#pragma once
// End-to-end runs of the built programs in a scratch directory.

#include <string>
#include <string_view>
#include <vector>

#include "tests/harness/capture.hpp"

namespace harness {

// A directory of its own for the running test, emptied when it is made, in
// the build's scratch folder: named after the test (and a case of it), so
// that tests run side by side never meet in one.
class Scratch {
 public:
  Scratch();
  // For one case of the running test: the test's name, a dot and the name.
  explicit Scratch(std::string_view name);

  const std::string& dir() const { return dir_; }
  std::string path(std::string_view name) const;
  void write(std::string_view name, std::string_view content) const;
  std::string read(std::string_view name) const;
  bool exists(std::string_view name) const;
  // Names of the files in the directory, sorted.
  std::vector<std::string> files() const;
  void symlink(std::string_view name, std::string_view target) const;

 private:
  std::string dir_;
};

struct RunOptions {
  bool close_stdin = false;   // start with standard input closed
  bool close_stdout = false;  // start with standard output closed
  std::string stdout_path;    // send standard output to this file instead
  std::string stdin_path;     // read standard input from this path instead
  // Standard output is a pipe whose reading end is already closed; the
  // program may be left to die of SIGPIPE or start with it ignored.
  bool broken_pipe = false;
  bool ignore_sigpipe = false;
  // Run as the unprivileged user and group 65534 when the tests run as the
  // superuser, for whom file permissions do not apply; the scratch
  // directory is opened to that user.
  bool unprivileged = false;
  // A signal sent to the program once its standard output ends with
  // interrupt_at (LF line ends, on Windows too), the question at which it
  // waits: standard input is a pipe that holds the input and stays open
  // until the program has ended. No such output within a minute fails the
  // test.
  int interrupt = 0;
  std::string interrupt_at;
};

// True when the runs start the Windows programs under Wine: the environment
// variable PPT_WINDOWS_BIN names their directory. Console text and the text
// files of plotcad and rodmesh have CR LF line ends there; run hands them to
// the tests with LF, as the Linux programs write them, and fails the test
// when such text has a bare LF.
bool windows();

// The path of one of the suite's programs (plotcad, rodmesh, meshcut,
// meshcat, wordlist) as the build made it; another name fails the test.
std::string program_file(std::string_view program);

// Runs the program with the arguments, in the scratch directory, with
// standard input reading input; captures standard output and error.
Outcome run(const Scratch& scratch, std::string_view program, const std::vector<std::string>& args,
            std::string_view input = {}, const RunOptions& options = {});

// Whether a run with RunOptions::unprivileged is subject to file
// permissions: true when the tests run as an ordinary user, or as the
// superuser able to drop to user 65534.
bool permissions_apply();

// In a child process: gives up the superuser's rights for good (user and
// group 65534), after it has entered the directories it needs; true when
// the process is now bound by file permissions.
bool become_unprivileged();

// The banner as the program prints it: an empty line and the 15 lines, from
// the banner text as the build configured it ("sample" for the toolkit tests).
std::string banner(std::string_view program);

// A file of the source tree, by its path from the top.
std::string source(std::string_view relative_path);

// The ERROR block for a message, as errmsg writes it.
std::string error_block(std::string_view message, int line = 0);

}  // namespace harness
