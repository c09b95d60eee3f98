#pragma once
// Uniform reporting: every condition that stops a program goes through errmsg.

#include <string_view>

namespace toolkit {

// Writes the ERROR block to standard error and ends the process with status 1.
// A line number above 0 is printed as "Line n. %8d".
[[noreturn]] void errmsg(std::string_view message, int line = 0);

// Writes the WARNING block to standard error and returns.
void wrnmsg(std::string_view message, int line = 0);

// Ends the process after an ERROR block. The normal build exits with status 1
// through the runtime's exit path (open C streams are flushed and closed);
// fuzzing builds link a variant that hands control back to the fuzz target.
[[noreturn]] void stop();

}  // namespace toolkit
