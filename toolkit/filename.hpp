#pragma once
// File names are the job name with a fixed ending, built in 84-byte buffers.

#include <cstddef>
#include <string>
#include <string_view>

namespace toolkit {

inline constexpr std::size_t name_size = 84;

// The job name followed by the ending. A name that would not fit the 84-byte
// buffers (83 characters and a zero) stops the program: it is never cut.
std::string mkname(std::string_view job, std::string_view ending);

}  // namespace toolkit
