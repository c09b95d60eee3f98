#pragma once
// The joiner: mesh files one after the other in a new mesh file.

#include <span>
#include <string_view>

namespace meshtools {

// Writes new_job.zmf: the header line of the first old job's file, then the
// drawings of every old job's file in order. Checks that every input can be
// read before the output is created; prints the progress lines. Stops the
// program on any error.
void join(std::string_view new_job, std::span<const std::string_view> old_jobs);

}  // namespace meshtools
