#include "meshtools/split.hpp"

#include <cstdint>
#include <cstdio>
#include <string>

#include "meshfile/reader.hpp"
#include "meshtools/titleline.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/writer.hpp"

namespace meshtools {

namespace {

using toolkit::errmsg;

constexpr std::string_view generic_name = "jobname.zmf";

// The body of a drawing is as many lines as its three counts add up to.
std::int64_t body_lines(const std::string& count_line, int line_number) {
  // A zero byte ends the text.
  const std::string_view text(count_line.c_str());
  std::int64_t counts[3];
  switch (meshfile::count_line(text, counts).kind) {
    case meshfile::Fault::none: return counts[0] + counts[1] + counts[2];
    case meshfile::Fault::big_count: errmsg("Count out of range", line_number);
    case meshfile::Fault::negative_count: errmsg("Negative count in the count line", line_number);
    default: errmsg("Count line without three integers", line_number);
  }
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
