#pragma once
// Uniform reporting: every condition that stops a program goes through errmsg.

#include <climits>
#include <cstdint>
#include <string_view>

namespace toolkit {

// Writes the ERROR block to standard error and ends the process with status 1.
// A line number above 0 is printed as "Line n. %8d".
[[noreturn]] void errmsg(std::string_view message, int line = 0);

// The number of a line for an ERROR block, which numbers lines in 32 bits:
// beyond, it names none.
inline int lineno(std::int64_t number) { return number <= INT_MAX ? static_cast<int>(number) : 0; }

// Writes the WARNING block to standard error and returns.
void wrnmsg(std::string_view message, int line = 0);

// Ends the process after an ERROR block. The normal build exits with status 1
// through the runtime's exit path (open C streams are flushed and closed);
// the fuzzing build links a variant that throws toolkit::Stopped
// (stop_fuzz.hpp) back to the fuzz target. Whatever a routine must release
// when it is stopped there (an open file, a buffer) is therefore held by an
// owner that unwinding releases (FileOwner, files.hpp), never freed by hand after
// a call that may stop.
[[noreturn]] void stop();

}  // namespace toolkit
