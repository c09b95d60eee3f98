#include "meshtools/join.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "meshtools/titleline.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/reader.hpp"

namespace meshtools {

namespace {

using toolkit::errmsg;

constexpr std::string_view generic_name = "jobname.zmf";

}  // namespace

void join(std::string_view new_job, std::span<const std::string_view> old_jobs) {
  const std::string output_name = toolkit::mkname(new_job, ".zmf");
  std::vector<std::string> inputs;
  for (const std::string_view job : old_jobs) inputs.push_back(toolkit::mkname(job, ".zmf"));

  // Every input must exist before the output is created or emptied.
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    {
      const toolkit::FileOwner file = toolkit::openjob("Checking", inputs[k], generic_name);
      // The first input gives the header line: without one there is nothing
      // to join behind.
      if (k == 0 && !toolkit::Reader(file.get(), generic_name).more()) errmsg("Unexpected end of file");
    }
    // Opening the output would empty this input before it is read.
    if (inputs[k] == output_name || toolkit::platform::samefile(inputs[k], output_name))
      errmsg("Output file is also an input file - jobname.zmf");
  }

  std::printf("\nWriting file: %s\n", output_name.c_str());
  toolkit::Writer out(toolkit::openout(output_name, generic_name, toolkit::Form::bytes), generic_name);
  auto copy = [&](std::string_view piece) { out.write(piece); };

  // The joined file so far ends inside a line: an input's last line had no
  // line end.
  bool open_line = false;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    const toolkit::FileOwner file = toolkit::openjob("Reading", inputs[k], generic_name);
    toolkit::Reader in(file.get(), generic_name);
    // The header line of the first input leads the output; the others are
    // dropped, whole whatever their length.
    if (!copytitle(in, k == 0 ? &out : nullptr) && k == 0) errmsg("Unexpected end of file");
    if (k == 0) open_line = !in.atlineend();
    if (in.more()) {
      // That last line is a line all the same: the next one must not be
      // glued onto it.
      if (open_line) copy("\n");
      in.rest(copy);
      open_line = !in.atlineend();
    }
  }

  out.close();
}

}  // namespace meshtools
