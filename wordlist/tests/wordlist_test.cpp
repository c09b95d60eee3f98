#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/e2e.hpp"

namespace {

using harness::error_block;

harness::Outcome wordlist(std::string_view input, const harness::RunOptions& options = {}) {
  harness::Scratch scratch;
  return harness::run(scratch, "wordlist", {}, input, options);
}

void expect_words(std::string_view input, std::string_view words) {
  auto outcome = wordlist(input);
  EXPECT_EQ(outcome.out, words);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.status, 0);
}

void expect_stop(std::string_view input, std::string_view words, std::string_view message) {
  auto outcome = wordlist(input);
  EXPECT_EQ(outcome.out, words);
  EXPECT_EQ(outcome.err, error_block(message));
  EXPECT_EQ(outcome.status, 1);
}

constexpr const char* no_lf = "elimnl: internal error 2 (LF expected)";
constexpr const char* cr = "elimnl: internal error 1 (CR in the string)";

TEST(Wordlist, WritesEveryWordOnALineOfItsOwn) {
  expect_words("alpha beta # gamma\nalpha#beta\n", "alpha\nbeta\nalpha\n");
  expect_words("   one   two three    \n\n     \n# only a comment\n  #\nfour\n", "one\ntwo\nthree\nfour\n");
  expect_words("x#\n#y\na b#c d\n", "x\na\nb\n");
  expect_words("", "");
  expect_words("\n\n", "");
}

TEST(Wordlist, BlankIsTheSpaceOnly) {
  expect_words("a\tb\n", "a\tb\n");
  expect_words("\t\n", "\t\n");
  expect_words("a\fb\vc d\n", "a\fb\vc\nd\n");
  expect_words("\xc3\xa9t\xc3\xa9 \x01\x7f\n", "\xc3\xa9t\xc3\xa9\n\x01\x7f\n");
}

TEST(Wordlist, CarriageReturnLineFeedEndsALineLikeALineFeed) {
  expect_words("alpha beta\r\ngamma\r\n\r\n", "alpha\nbeta\ngamma\n");
  // Only the carriage return next to the line feed belongs to the line end.
  expect_words("a\rb c\n", "a\rb\nc\n");
  expect_words("a \r\r\n", "a\n\r\n");
  expect_words("a#\r\r\n", "a\n");
}

TEST(Wordlist, ArgumentsAreIgnored) {
  harness::Scratch scratch;
  auto outcome = harness::run(scratch, "wordlist", {"-o", "x", "--help"}, "a b\n");
  EXPECT_EQ(outcome.out, "a\nb\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(scratch.files(), std::vector<std::string>{});
}

TEST(Wordlist, LastLineWithoutLineEndStopsAfterTheEarlierWords) {
  expect_stop("first line\nsecond", "first\nline\n", no_lf);
  expect_stop("first line\nsecond\r", "first\nline\n", cr);
  expect_stop("x", "", no_lf);
  expect_stop("# even a comment\n# needs its line end", "", no_lf);
}

TEST(Wordlist, LinesOfUpTo998CharactersPass) {
  const std::string longest(998, 'w');
  expect_words(longest + "\nend\n", longest + "\nend\n");
  std::string spaced;
  for (int k = 0; k < 499; ++k) spaced += "a ";
  ASSERT_EQ(spaced.size(), 998u);
  std::string expected;
  for (int k = 0; k < 499; ++k) expected += "a\n";
  expect_words(spaced + "\n", expected);
  // 997 characters and CR LF are 999 bytes too.
  expect_words(std::string(997, 'c') + "\r\n", std::string(997, 'c') + "\n");
}

TEST(Wordlist, LinesOf999CharactersStop) {
  expect_stop("before\n" + std::string(999, 'w') + "\nafter\n", "before\n", no_lf);
  expect_stop("before\n" + std::string(998, 'c') + "\r\n", "before\n", cr);
  // Even when the rest of the line is a comment.
  expect_stop("a b\n" + std::string(500, ' ') + "#" + std::string(600, '#') + "\n", "a\nb\n", no_lf);
}

// A zero byte ends the text of a read, as it ends a C string: the line feed
// behind it is not seen.
TEST(Wordlist, ZeroByteEndsTheTextOfARead) {
  using namespace std::string_literals;
  expect_stop("a b\nc\0d\ne\n"s, "a\nb\n", no_lf);
  expect_stop("a b\nc\r\0d\ne\n"s, "a\nb\n", cr);
  // A read whose text is empty is passed over, with all it holds.
  expect_words("\0hidden words\nshown\n"s, "shown\n");
  expect_words("x\n\0"s, "x\n");
  // The rest of a line longer than one read comes as a read of its own.
  expect_words("\0"s + std::string(998, 'h') + " tail words\n", "tail\nwords\n");
}

// The words of random texts, spread over many input blocks, against a plain
// line-by-line model of the filter.
TEST(Wordlist, LargeInputsMatchTheLineModel) {
  std::uint64_t state = 2024;
  auto next = [&state](std::uint64_t n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return (state >> 33) % n;
  };
  const char alphabet[] = "abcxyz019 .,;+-\t#\r";
  std::string input;
  std::string expected;
  while (input.size() < (std::size_t{5} << 20)) {
    // Some lines near the limit of 999 bytes a read, line end included.
    const std::size_t length = next(8) == 0 ? 900 + next(98) : next(80);
    std::string line;
    for (std::size_t k = 0; k < length; ++k) line += alphabet[next(k % 7 == 0 ? 18 : 10)];
    const bool crlf = next(4) == 0;
    input += line + (crlf ? "\r\n" : "\n");
    // A carriage return that the line feed follows belongs to the line end.
    if (!crlf && !line.empty() && line.back() == '\r') line.pop_back();
    line = line.substr(0, line.find('#'));
    std::size_t pos = 0;
    while (pos < line.size()) {
      const std::size_t end = std::min(line.find(' ', pos), line.size());
      if (end > pos) expected += line.substr(pos, end - pos) + "\n";
      pos = end + 1;
    }
  }
  auto outcome = wordlist(input);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  ASSERT_EQ(outcome.out.size(), expected.size());
  EXPECT_TRUE(outcome.out == expected);
}

TEST(Wordlist, WriteErrorsStopWithStatusOne) {
  harness::RunOptions full;
  full.stdout_path = "/dev/full";
  const harness::Outcome small = wordlist("a b\n", full);
  EXPECT_EQ(small.err, error_block("Error writing standard output"));
  EXPECT_EQ(small.status, 1);
  std::string big;
  for (int k = 0; k < 300000; ++k) big += "word word word\n";
  const harness::Outcome large = wordlist(big, full);
  EXPECT_EQ(large.err, error_block("Error writing standard output"));
  EXPECT_EQ(large.status, 1);
  // The words before a bad line cannot be written either: that is told first.
  const harness::Outcome both = wordlist("a\nb", full);
  EXPECT_EQ(both.err, error_block("Error writing standard output"));
  EXPECT_EQ(both.status, 1);
  harness::RunOptions closed_stdout;
  closed_stdout.close_stdout = true;
  const harness::Outcome closed = wordlist("a b\n", closed_stdout);
  EXPECT_EQ(closed.err, error_block("Error writing standard output"));
  EXPECT_EQ(closed.status, 1);
  // Nothing to write, nothing lost.
  const harness::Outcome quiet = wordlist("# nothing\n", full);
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.status, 0);
}

TEST(Wordlist, UnreadableInputIsAnError) {
  harness::RunOptions closed_stdin;
  closed_stdin.close_stdin = true;
  auto outcome = wordlist("a b\n", closed_stdin);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, error_block("Error reading standard input"));
  EXPECT_EQ(outcome.status, 1);
}

// A reader that went away ends the filter without a message.
TEST(Wordlist, ClosedPipeEndsQuietly) {
  harness::Scratch scratch;
  std::string input;
  for (int k = 0; k < 100000; ++k) input += "some words to write\n";
  scratch.write("in.txt", input);
  if (harness::windows()) {
    // No SIGPIPE there: the failed write stops the filter with status 1.
    harness::RunOptions pipe;
    pipe.broken_pipe = true;
    const harness::Outcome o = harness::run(scratch, "wordlist", {}, input, pipe);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "");
    return;
  }
  for (bool ignore_sigpipe : {false, true}) {
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    close(pipe_fds[0]);
    const std::string exe = harness::program_file("wordlist");
    const std::string in = scratch.path("in.txt");
    const std::string err = scratch.path("err.txt");
    const pid_t child = fork();
    if (child == 0) {
      if (!freopen(in.c_str(), "r", stdin) || !freopen(err.c_str(), "w", stderr)) _exit(125);
      dup2(pipe_fds[1], 1);
      signal(SIGPIPE, ignore_sigpipe ? SIG_IGN : SIG_DFL);
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(pipe_fds[1]);
    int raw = 0;
    waitpid(child, &raw, 0);
    if (ignore_sigpipe) {
      EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw;
    } else {
      EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGPIPE) << raw;
    }
    EXPECT_EQ(scratch.read("err.txt"), "");
  }
}

}  // namespace
