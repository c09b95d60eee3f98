#include "meshtools/split.hpp"

#include <cstdint>
#include <cstdio>
#include <string>

#include "meshtools/titleline.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/writer.hpp"

namespace meshtools {

namespace {

using toolkit::errmsg;

constexpr std::string_view generic_name = "jobname.zmf";

// The body of a drawing is as many lines as its three counts add up to.
std::int64_t body_lines(const std::string& count_line, int line_number) {
  const char* p = count_line.c_str();  // a zero byte ends the text
  const char* const last = p + std::char_traits<char>::length(p);
  std::int64_t total = 0;
  for (int k = 0; k < 3; ++k) {
    while (p != last && toolkit::space(*p)) ++p;
    std::int64_t value = 0;
    const char* end = toolkit::scanint(p, last, value);
    if (end == nullptr) errmsg("Count line without three integers", line_number);
    if (!toolkit::fits32(value)) errmsg("Count out of range", line_number);
    if (value < 0) errmsg("Negative count in the count line", line_number);
    total += value;
    p = end;
  }
  return total;
}

}  // namespace

void split(std::string_view job) {
  const std::string input_name = toolkit::mkname(job, ".zmf");
  const toolkit::FileOwner in_file = toolkit::openjob("Reading", input_name, generic_name);
  toolkit::Reader in(in_file.get(), generic_name);

  std::string header;
  if (!getline(in, header)) errmsg("Unexpected end of file");

  // Counted in 64 bits: a file of gigabytes may hold more short drawings
  // than a 32-bit number can count.
  std::int64_t drawing = 1;
  std::string count_line;
  while (in.more()) {
    char ending[32];
    std::snprintf(ending, sizeof ending, "_%2.2lld.zmf", static_cast<long long>(drawing));
    const std::string output_name = toolkit::mkname(job, ending);
    std::printf("\nWriting file: %s\n", output_name.c_str());
    // An output that is the input under another name (a link) would be
    // emptied before it is read.
    if (toolkit::platform::samefile(output_name, input_name)) errmsg("Output file is also an input file - jobname.zmf");
    toolkit::Writer out(toolkit::openout(output_name, generic_name, toolkit::Form::bytes), generic_name);
    auto copy = [&](std::string_view piece) { out.write(piece); };

    copy(header);
    in.lines(1, copy);  // the drawing line
    if (!getline(in, count_line)) errmsg("Unexpected end of file");
    copy(count_line);
    const std::int64_t total = body_lines(count_line, toolkit::lineno(in.count()));
    if (total >= 1 && in.lines(total, copy) < total) errmsg("Unexpected end of file");
    out.close();
    ++drawing;
  }

  std::printf("\nN. of drawings splitted into files = %8lld\n", static_cast<long long>(drawing - 1));
}

}  // namespace meshtools
