// Fuzz target: a whole rodmesh run, as the program's main makes it. The
// input holds the answers to the dialogue, then after a line "@@zmf@@" the
// mesh file and after a line "@@eva@@" the element values file (named by
// the extension answered). Every solid mesh written holds finite numbers
// only.

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rodmesh/cthick.hpp"
#include "rodmesh/evaread.hpp"
#include "rodmesh/frame.hpp"
#include "rodmesh/mesh.hpp"
#include "rodmesh/meshread.hpp"
#include "rodmesh/meshwrite.hpp"
#include "rodmesh/placement.hpp"
#include "rodmesh/section.hpp"
#include "rodmesh/settings.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

// Bars beyond this many are read but not built: each becomes 20 nodes.
constexpr int max_built_bars = 2000;
constexpr long long max_slots = 1 << 20;

// Everything the run allocates, freed by the target whatever happened.
struct Run {
  rodmesh::Mesh mesh, solid;
  bool mesh_allocated = false, solid_allocated = false;
  rodmesh::BarTemplate tpl;
  bool tpl_allocated = false;
  toolkit::Mat1<double> frame;
  toolkit::Vec1<double> values;

  ~Run() {
    if (values) toolkit::freed1(values);
    if (frame) toolkit::freed2(frame);
    if (tpl_allocated) rodmesh::free_template(tpl);
    if (solid_allocated) rodmesh::free_mesh(solid);
    if (mesh_allocated) rodmesh::free_mesh(mesh);
  }
};

// An extension that names a file of this directory, as the target writes it.
bool plain_name(const std::string& extension) {
  if (extension.size() > 20) return false;
  for (const char c : extension)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

// The solid mesh file: two title lines, then numbers only, all finite.
void check_written(const std::string& text) {
  std::size_t p = 0;
  for (int k = 0; k < 2; ++k) {
    p = text.find('\n', p);
    check(p != std::string::npos, "the title lines of the solid mesh");
    ++p;
  }
  while (p < text.size()) {
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    if (p == text.size()) break;
    const char* start = text.c_str() + p;
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    check(end != start && std::isfinite(v), "a finite number in the solid mesh");
    p += static_cast<std::size_t>(end - start);
  }
}

void build(Run& r, std::string_view eva, bool has_eva) {
  using namespace rodmesh;
  const Settings settings = ask_settings();
  const bool values_file = settings.source == Source::areas || settings.source == Source::angles;
  if (values_file) {
    toolkit::mkname("job", values_ending(settings.extension));
    const std::string name = "job" + values_ending(settings.extension);
    if (has_eva && plain_name(settings.extension)) fuzz::write_file(name.c_str(), eva);
  }

  const toolkit::FileOwner file = toolkit::openin("job.zmf");
  check(file != nullptr, "the mesh file opens");
  Titles titles;
  {
    toolkit::Reader reader(file.get(), "jobname.zmf");
    read_head(reader, titles, r.mesh);
    if (r.mesh.ne > max_built_bars ||
        static_cast<long long>(r.mesh.ne) * r.mesh.width + 3LL * r.mesh.nn + r.mesh.ns > max_slots)
      return;
    allocate_mesh(r.mesh);
    r.mesh_allocated = true;
    read_records(reader, r.mesh);
  }

  for (int i = 1; i <= r.mesh.ne; ++i) {
    if (r.mesh.nnode[i] < 2) toolkit::errmsg("Number of nodes of an element is less than 2");
    if (r.mesh.nnode[i] > 2) toolkit::wrnmsg("Number of nodes per element should be 2 in all elements");
  }

  const int per_bar = perbar(settings.form);
  r.solid.ne = per_bar * r.mesh.ne;
  r.solid.nn = solid_nodes * r.mesh.ne;
  r.solid.ns = 0;
  r.solid.width = per_bar == 1 ? solid_nodes : face_nodes;
  allocate_mesh(r.solid);
  r.solid_allocated = true;
  allocate_template(r.tpl, settings.form);
  r.tpl_allocated = true;
  toolkit::allod2(r.frame, 3, 3);
  toolkit::allod1(r.values, r.mesh.ne);

  if (values_file) read_values(r.mesh.ne, "job", settings.extension, r.values);

  for (int k = 1; k <= r.mesh.ne; ++k) {
    const Section section = section_of(settings, values_file ? r.values[k] : 0.0);
    const double length = section_frame(k, section.angle, r.mesh, r.frame);
    cthick(settings.form, section.radius, section.halfw, section.halfh, settings.shape, r.tpl);
    place_bar(k, r.tpl, r.frame, length, r.mesh.coord[r.mesh.lnods[k][1]], r.solid);
  }

  write_mesh("job_th.zmf", titles, r.solid);
  check_written(fuzz::read_file("job_th.zmf"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::enter_workdir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::NoOpenFiles no_open_files;
  const std::string_view input = fuzz::bytes(data, size);
  const std::size_t zmf_at = input.find("@@zmf@@\n");
  if (zmf_at == std::string_view::npos) return 0;
  std::string_view rest = input.substr(zmf_at + 8);
  const std::size_t eva_at = rest.find("@@eva@@\n");
  const std::string_view eva = eva_at == std::string_view::npos ? std::string_view() : rest.substr(eva_at + 8);
  fuzz::write_file("answers", input.substr(0, zmf_at));
  fuzz::write_file("job.zmf", rest.substr(0, eva_at));
  std::remove("job_th.zmf");
  check(std::freopen("answers", "r", stdin) != nullptr, "answers on standard input");

  try {
    Run run;
    build(run, eva, eva_at != std::string_view::npos);
  } catch (const toolkit::Stopped&) {
  }
  return 0;
}
