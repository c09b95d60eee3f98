// meshcut jobname: writes each drawing of jobname.zmf to a mesh file of its
// own, jobname_01.zmf, jobname_02.zmf, ..., each with the input's header line.

#include <cstdio>

#include "meshtools/split.hpp"
#include "toolkit/banner.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"

int main(int argc, char** argv) {
  toolkit::platform::holdstd();
  toolkit::prtban();
  if (argc != 2) toolkit::errmsg("Usage: meshcut jobname");
  meshtools::split(argv[1]);
  std::printf("\n");
  toolkit::endout();
  return 0;
}
