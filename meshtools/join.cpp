#include "meshtools/join.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "meshtools/linestream.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/fileowner.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/linein.hpp"
#include "toolkit/output.hpp"
#include "toolkit/platform.hpp"

namespace meshtools {

using toolkit::errmsg;

void join(std::string_view new_job, std::span<const std::string_view> old_jobs) {
  const std::string output_name = toolkit::mkname(new_job, ".zmf");
  std::vector<std::string> inputs;
  for (const std::string_view job : old_jobs) inputs.push_back(toolkit::mkname(job, ".zmf"));

  // Every input must exist before the output is created or emptied.
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    std::printf("\nChecking file: %s\n", inputs[k].c_str());
    toolkit::FileOwner in(toolkit::openin(inputs[k]));
    if (!in) errmsg("File not found - jobname.zmf");
    // The first input gives the header line: without one there is nothing
    // to join behind.
    if (k == 0 && std::fgetc(in.get()) == EOF) errmsg("Unexpected end of file");
    in.reset();
    // Opening the output would empty this input before it is read.
    if (inputs[k] == output_name || toolkit::platform::samefile(inputs[k], output_name))
      errmsg("Output file is also an input file - jobname.zmf");
  }

  std::printf("\nWriting file: %s\n", output_name.c_str());
  toolkit::FileOwner out(toolkit::platform::openout(output_name, false));
  if (!out) errmsg("Unable to open output file - jobname.zmf");

  // The joined file so far ends inside a line: an input's last line had no
  // line end.
  bool open_line = false;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    std::printf("\nReading file: %s\n", inputs[k].c_str());
    const toolkit::FileOwner in(toolkit::openin(inputs[k]));
    if (!in) errmsg("File not found - jobname.zmf");
    LineStream lines(in.get(), "jobname.zmf");
    // The header line of the first input leads the output; the others are
    // dropped, whole whatever their length.
    if (lines.copy_title(k == 0 ? out.get() : nullptr, "jobname.zmf") == 0 && k == 0)
      errmsg("Unexpected end of file");
    if (k == 0) open_line = !lines.at_line_end();
    if (lines.more()) {
      // That last line is a line all the same: the next one must not be
      // glued onto it.
      if (open_line) put(out.get(), "\n", 1, "jobname.zmf");
      lines.copy_rest(out.get(), "jobname.zmf");
      open_line = !lines.at_line_end();
    }
  }

  toolkit::closeout(out.release(), "jobname.zmf");
}

}  // namespace meshtools
