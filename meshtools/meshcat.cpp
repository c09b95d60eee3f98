// meshcat -o new old1 old2 ...: joins mesh files into new.zmf, the header
// line of the first input followed by the drawings of all inputs in order.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "meshtools/join.hpp"
#include "toolkit/banner.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"

int main(int argc, char** argv) {
  toolkit::platform::holdstd();
  toolkit::prtban();
  if (argc < 5 || std::string(argv[1]) != "-o")
    toolkit::errmsg("Usage: meshcat -o new_jobname  old_jobname1 old_jobname2 old_jobname3 ...");
  const std::vector<std::string_view> old_jobs(argv + 3, argv + argc);
  meshtools::join(argv[2], old_jobs);
  std::printf("\n");
  toolkit::endout();
  return 0;
}
