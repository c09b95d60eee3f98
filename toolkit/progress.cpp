#include "toolkit/progress.hpp"

#include <cstdio>

#include "toolkit/platform.hpp"

namespace toolkit {

namespace {

using Clock = std::chrono::steady_clock;

// Runs shorter than this show nothing; a shown line is rewritten at most
// this often.
constexpr auto quiet = std::chrono::seconds(3);
constexpr auto refresh = std::chrono::milliseconds(250);
// Steps between two looks at the clock.
constexpr std::int64_t stride = 4096;

// The width of the line on the terminal, to be blanked out.
int shown_width = 0;

// Runs are timed from the start of the program: a pass that starts late
// shows its progress at once.
const Clock::time_point program_start = Clock::now();

}  // namespace

Progress::Progress(std::string_view what, std::int64_t total)
    : what_(what), total_(total), last_(Clock::now()) {
  // Without a terminal the clock is never looked at again.
  if (!platform::errterminal()) next_ = INT64_MAX;
}

Progress::~Progress() {
  if (shown_) clear();
}

void Progress::look(std::int64_t done) {
  next_ = done + stride;
  const Clock::time_point now = Clock::now();
  if (now - program_start < quiet || (shown_ && now - last_ < refresh)) return;
  last_ = now;
  shown_ = true;
  char line[128];
  const int width = std::snprintf(line, sizeof line, "%.*s %lld of %lld", static_cast<int>(what_.size()),
                                  what_.data(), static_cast<long long>(done), static_cast<long long>(total_));
  // Over a longer line that was there, blanks to its end.
  std::fprintf(stderr, "\r%-*s", width > shown_width ? width : shown_width, line);
  std::fflush(stderr);
  shown_width = width > shown_width ? width : shown_width;
}

void Progress::clear() {
  if (shown_width <= 0) return;
  std::fprintf(stderr, "\r%*s\r", shown_width, "");
  std::fflush(stderr);
  shown_width = 0;
}

}  // namespace toolkit
