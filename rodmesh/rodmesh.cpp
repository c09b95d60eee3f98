// rodmesh [jobname]: puts a cylinder or a prism around every two-node bar of
// the first drawing of jobname.zmf and writes the solids, as 20-node bricks
// or 8-node faces, to jobname_th.zmf.

#include <climits>
#include <cstdio>
#include <string>

#include "rodmesh/cthick.hpp"
#include "rodmesh/evaread.hpp"
#include "rodmesh/mesh.hpp"
#include "rodmesh/meshread.hpp"
#include "rodmesh/settings.hpp"
#include "rodmesh/thicken.hpp"
#include "toolkit/banner.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/dialogue.hpp"
#include "toolkit/files.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/reader.hpp"

namespace {

using toolkit::errmsg;

// Every bar becomes 20 nodes, numbered in 32 bits in the solid mesh.
constexpr int max_bars = INT_MAX / rodmesh::solid_nodes;

}  // namespace

int main(int argc, char** argv) {
  using namespace rodmesh;
  toolkit::platform::holdstd();
  toolkit::prtban();

  std::string job;
  if (argc == 1) {
    toolkit::Answer answer;
    toolkit::askjob(answer);
    job = answer.data();
  } else if (argc == 2) {
    job = argv[1];
  } else {
    errmsg("Usage: rodmesh jobname");
  }
  std::printf("\nJob name = %s\n", job.c_str());
  // A name that does not fit is refused before the questions, not after.
  const std::string input_name = toolkit::mkname(job, ".zmf");
  const std::string output_name = toolkit::mkname(job, "_th.zmf");

  const Settings settings = ask_settings();
  const std::string values_name =
      settings.source != Source::constant ? toolkit::mkname(job, values_ending(settings.extension)) : "";

  Titles titles;
  Mesh mesh;
  // A bar is its element's first two nodes: no more are kept.
  mesh.width = 2;
  {
    const toolkit::FileOwner file = toolkit::openjob("Reading", input_name, "jobname.zmf");
    toolkit::Reader input(file.get(), "jobname.zmf");
    meshfile::Reader reader = mesh_reader(input);
    read_head(reader, titles, mesh);
    if (mesh.ne > max_bars) errmsg("Too many elements for the numbering of the solid mesh");
    read_mesh(reader, mesh);
  }

  thicken(settings, values_name, output_name, titles, mesh);

  free_mesh(mesh);
  std::printf("\n### Success ###\n\n");
  toolkit::endout();
  return 0;
}
