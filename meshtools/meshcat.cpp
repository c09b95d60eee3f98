// meshcat -o new old1 old2 ...: joins mesh files into new.zmf, the header
// line of the first input followed by the drawings of all inputs in order.

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "meshtools/linestream.hpp"
#include "toolkit/banner.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/linein.hpp"
#include "toolkit/output.hpp"

namespace {

using toolkit::errmsg;

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}


}  // namespace

int main(int argc, char** argv) {
  toolkit::holdstd();
  toolkit::prtban();
  if (argc < 5 || std::string(argv[1]) != "-o")
    errmsg("Usage: meshcat -o new_jobname  old_jobname1 old_jobname2 old_jobname3 ...");

  const std::string output_name = toolkit::mkname(argv[2], ".zmf");
  std::vector<std::string> inputs;
  for (int k = 3; k < argc; ++k) inputs.push_back(toolkit::mkname(argv[k], ".zmf"));

  // Every input must exist before the output is created or emptied.
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    std::printf("\nChecking file: %s\n", inputs[k].c_str());
    std::FILE* in = toolkit::openin(inputs[k]);
    if (in == nullptr) errmsg("File not found - jobname.zmf");
    // The first input gives the header line: without one there is nothing
    // to join behind.
    if (k == 0 && std::fgetc(in) == EOF) errmsg("Unexpected end of file");
    std::fclose(in);
    // Opening the output would empty this input before it is read.
    if (inputs[k] == output_name || same_file(inputs[k], output_name))
      errmsg("Output file is also an input file - jobname.zmf");
  }

  std::printf("\nWriting file: %s\n", output_name.c_str());
  std::FILE* out = std::fopen(output_name.c_str(), "w");
  if (out == nullptr) errmsg("Unable to open output file - jobname.zmf");

  // The joined file so far ends inside a line: an input's last line had no
  // line end.
  bool open_line = false;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    std::printf("\nReading file: %s\n", inputs[k].c_str());
    std::FILE* in = toolkit::openin(inputs[k]);
    if (in == nullptr) errmsg("File not found - jobname.zmf");
    meshtools::LineStream lines(in, "jobname.zmf");
    // The header line of the first input leads the output; the others are
    // dropped, whole whatever their length.
    if (lines.copy_title(k == 0 ? out : nullptr, "jobname.zmf") == 0 && k == 0)
      errmsg("Unexpected end of file");
    if (k == 0) open_line = !lines.at_line_end();
    if (lines.more()) {
      // That last line is a line all the same: the next one must not be
      // glued onto it.
      if (open_line) meshtools::put(out, "\n", 1, "jobname.zmf");
      lines.copy_rest(out, "jobname.zmf");
      open_line = !lines.at_line_end();
    }
    std::fclose(in);
  }

  toolkit::closeout(out, "jobname.zmf");
  std::printf("\n");
  toolkit::endout();
  return 0;
}
