#pragma once
// How far a long run is, for a person watching it: one line on standard
// error that rewrites itself ("Writing bar 1234567 of 10000000"). It shows
// only where standard error is a terminal and only once the program has run
// for a few seconds, and it is cleared before anything else is written to
// standard error (an ERROR or WARNING block) and when the work ends. Where
// standard error is not a terminal, nothing is written at all.

#include <chrono>
#include <cstdint>
#include <string_view>

namespace toolkit {

class Progress {
 public:
  // Work of total steps, named by what (a verb and a noun: "Writing bar").
  Progress(std::string_view what, std::int64_t total);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress();

  // The steps done so far; cheap enough to be called on every step.
  void step(std::int64_t done) {
    if (done >= next_) look(done);
  }

  // Removes a progress line from the terminal, if one is shown.
  static void clear();

 private:
  void look(std::int64_t done);

  std::string_view what_;
  std::int64_t total_;
  std::int64_t next_ = 0;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace toolkit
