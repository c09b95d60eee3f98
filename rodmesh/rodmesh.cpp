// rodmesh [jobname]: puts a cylinder or a prism around every two-node bar of
// the first drawing of jobname.zmf and writes the solids, as 20-node bricks
// or 8-node faces, to jobname_th.zmf.

#include <climits>
#include <cstdio>
#include <string>

#include "rodmesh/cthick.hpp"
#include "rodmesh/evaread.hpp"
#include "rodmesh/frame.hpp"
#include "rodmesh/mesh.hpp"
#include "rodmesh/meshread.hpp"
#include "rodmesh/meshwrite.hpp"
#include "rodmesh/placement.hpp"
#include "rodmesh/section.hpp"
#include "rodmesh/settings.hpp"
#include "toolkit/arrays.hpp"
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
  const bool values_file = settings.source != Source::constant;
  if (values_file) toolkit::mkname(job, values_ending(settings.extension));

  toolkit::FileOwner file = toolkit::openjob("Reading", input_name, "jobname.zmf");
  Titles titles;
  Mesh mesh;
  {
    toolkit::Reader reader(file.get(), "jobname.zmf");
    read_head(reader, titles, mesh);
    if (mesh.ne > max_bars) errmsg("Too many elements for the numbering of the solid mesh");
    read_mesh(reader, mesh);
  }
  file.reset();

  for (int i = 1; i <= mesh.ne; ++i) {
    if (mesh.nnode[i] < 2) errmsg("Number of nodes of an element is less than 2");
    if (mesh.nnode[i] > 2) toolkit::wrnmsg("Number of nodes per element should be 2 in all elements");
  }

  const int per_bar = perbar(settings.form);
  Mesh solid;
  solid.ne = per_bar * mesh.ne;
  solid.nn = solid_nodes * mesh.ne;
  solid.ns = 0;
  // A face needs 8 node slots, not 20: the largest array of a run of faces
  // is thus less than half the size.
  solid.width = settings.form == Output::brick ? solid_nodes : face_nodes;
  allocate_mesh(solid);
  BarTemplate tpl;
  allocate_template(tpl, settings.form);
  toolkit::Mat1<double> frame;
  toolkit::allod2(frame, 3, 3);
  toolkit::Vec1<double> values;
  toolkit::allod1(values, mesh.ne);

  if (values_file) read_values(mesh.ne, job, settings.extension, values);

  for (int k = 1; k <= mesh.ne; ++k) {
    const Section section = section_of(settings, values_file ? values[k] : 0.0);
    const double length = section_frame(k, section.angle, mesh, frame);
    cthick(settings.form, section.radius, section.halfw, section.halfh, settings.shape, tpl);
    place_bar(k, tpl, frame, length, mesh.coord[mesh.lnods[k][1]], solid);
  }

  write_mesh(output_name, titles, solid);

  toolkit::freed1(values);
  toolkit::freed2(frame);
  free_template(tpl);
  free_mesh(solid);
  free_mesh(mesh);
  std::printf("\n### Success ###\n\n");
  toolkit::endout();
  return 0;
}
