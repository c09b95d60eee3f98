#pragma once
// The fuzzing build's end of a stopped program.

namespace toolkit {

// Thrown by stop() in the fuzzing build once errmsg has written its ERROR
// block. The fuzz target catches it, frees what it allocated itself and
// takes the next input; every file and buffer the stopped routine held is
// released by its owner as the stack unwinds.
struct Stopped {};

}  // namespace toolkit
