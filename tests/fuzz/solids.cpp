// Fuzz target: a whole rodmesh run, as the program's main makes it. The
// input holds the answers to the dialogue, then after a line "@@zmf@@" the
// mesh file and after a line "@@eva@@" the element values file (named by
// the extension answered). Every solid mesh written holds finite numbers
// only.

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rodmesh/evaread.hpp"
#include "rodmesh/mesh.hpp"
#include "rodmesh/meshread.hpp"
#include "rodmesh/settings.hpp"
#include "rodmesh/thicken.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/files.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

// Bars beyond this many are read but not built: each becomes 20 nodes.
constexpr int max_built_bars = 2000;
constexpr long long max_slots = 1 << 20;

// The mesh, freed by the target whatever happened.
struct Run {
  rodmesh::Mesh mesh;
  bool mesh_allocated = false;

  ~Run() {
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
  std::string values_name;
  if (settings.source != Source::constant) {
    values_name = toolkit::mkname("job", values_ending(settings.extension));
    if (has_eva && plain_name(settings.extension)) fuzz::write_file(values_name.c_str(), eva);
  }

  const toolkit::FileOwner file = toolkit::openin("job.zmf");
  check(file != nullptr, "the mesh file opens");
  Titles titles;
  r.mesh.width = 2;
  {
    toolkit::Reader input(file.get(), "jobname.zmf");
    meshfile::Reader reader = mesh_reader(input);
    read_head(reader, titles, r.mesh);
    if (r.mesh.ne > max_built_bars ||
        static_cast<long long>(r.mesh.ne) * r.mesh.width + 3LL * r.mesh.nn + r.mesh.ns > max_slots)
      return;
    allocate_mesh(r.mesh);
    r.mesh_allocated = true;
    read_records(reader, r.mesh);
  }

  thicken(settings, values_name, "job_th.zmf", titles, r.mesh);
  check_written(fuzz::read_file("job_th.zmf"));
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  const std::size_t zmf_at = input.find("@@zmf@@\n");
  if (zmf_at == std::string_view::npos) return;
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
}
