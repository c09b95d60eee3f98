#include "meshtools/split.hpp"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "meshtools/linestream.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/fileowner.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/linein.hpp"
#include "toolkit/output.hpp"
#include "toolkit/platform.hpp"

namespace meshtools {

namespace {

using toolkit::errmsg;

// A line as the mesh file format allows: 998 characters and its line feed.
constexpr std::size_t max_line = 999;

// The body of a drawing is as many lines as its three counts add up to.
std::int64_t body_lines(const std::string& count_line, int line_number) {
  const char* p = count_line.c_str();
  std::int64_t total = 0;
  for (int k = 0; k < 3; ++k) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(p, &end, 10);
    if (end == p) errmsg("Count line without three integers", line_number);
    if (errno == ERANGE || value > INT_MAX || value < INT_MIN) errmsg("Count out of range", line_number);
    if (value < 0) errmsg("Negative count in the count line", line_number);
    total += value;
    p = end;
  }
  return total;
}

}  // namespace

void split(std::string_view job) {
  const std::string input_name = toolkit::mkname(job, ".zmf");
  std::printf("\nReading file: %s\n", input_name.c_str());
  const toolkit::FileOwner in(toolkit::openin(input_name));
  if (!in) errmsg("File not found - jobname.zmf");
  LineStream lines(in.get(), "jobname.zmf");

  std::string header;
  if (!lines.getline(header, max_line)) errmsg("Unexpected end of file");

  // Counted in 64 bits: a file of gigabytes may hold more short drawings
  // than a 32-bit number can count.
  std::int64_t drawing = 1;
  std::string count_line;
  while (lines.more()) {
    char ending[32];
    std::snprintf(ending, sizeof ending, "_%2.2lld.zmf", static_cast<long long>(drawing));
    const std::string output_name = toolkit::mkname(job, ending);
    std::printf("\nWriting file: %s\n", output_name.c_str());
    toolkit::FileOwner out(toolkit::platform::openout(output_name, false));
    if (!out) errmsg("Unable to open output file - jobname.zmf");

    put(out.get(), header.data(), header.size(), "jobname.zmf");
    lines.copy_lines(1, out.get(), "jobname.zmf");  // the drawing line
    if (!lines.getline(count_line, max_line)) errmsg("Unexpected end of file");
    put(out.get(), count_line.data(), count_line.size(), "jobname.zmf");
    const std::int64_t total = body_lines(count_line, lines.message_line());
    if (total >= 1 && lines.copy_lines(total, out.get(), "jobname.zmf") < total) errmsg("Unexpected end of file");
    toolkit::closeout(out.release(), "jobname.zmf");
    ++drawing;
  }

  std::printf("\nN. of drawings splitted into files = %8lld\n", static_cast<long long>(drawing - 1));
}

}  // namespace meshtools
