#include "rodmesh/thicken.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

#include "rodmesh/cthick.hpp"
#include "rodmesh/evaread.hpp"
#include "rodmesh/frame.hpp"
#include "rodmesh/meshwrite.hpp"
#include "rodmesh/placement.hpp"
#include "rodmesh/section.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/progress.hpp"

namespace rodmesh {

namespace {

// The arrays of a run beside the mesh: the template, the frame and the
// nodes of one bar, and the element values. Released however the run ends
// (a stopped routine unwinds in the fuzzing build).
struct Work {
  explicit Work(const Settings& settings, int ne) {
    allocate_template(tpl, settings.form);
    toolkit::allod2(frame, 3, 3);
    toolkit::allod2(nodes, solid_nodes, ncoor);
    if (settings.source != Source::constant) toolkit::allod1(values, ne);
  }
  Work(const Work&) = delete;
  Work& operator=(const Work&) = delete;
  ~Work() {
    if (values) toolkit::freed1(values);
    toolkit::freed2(nodes);
    toolkit::freed2(frame);
    free_template(tpl);
  }
  BarTemplate tpl;
  // The section the template was last filled for: bars of the same section
  // share it.
  Section filled;
  bool empty = true;
  toolkit::Mat1<double> frame;
  toolkit::Mat1<double> nodes;
  toolkit::Vec1<double> values;
};

void check_elements(const Mesh& mesh) {
  for (int i = 1; i <= mesh.ne; ++i) {
    if (mesh.nnode[i] < 2) toolkit::errmsg("Number of nodes of an element is less than 2");
    if (mesh.nnode[i] > 2) toolkit::wrnmsg("Number of nodes per element should be 2 in all elements");
  }
}

// The same double to the bit: a section of -0 fills the template with other
// signs of zero than one of 0.
bool same(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// Whether no node of a bar can come out beyond the range of a double, seen
// without placing them: the frame holds unit vectors (entries finite and at
// most 2 even when rounded), and the length, the section and the first node
// are so far within the range that no sum of the placement can reach it.
// NaNs fail every comparison. Where this does not hold, the nodes are placed
// and looked at.
bool surely_finite(double length, const Section& section, toolkit::Mat1<double> frame, toolkit::Vec1<double> first) {
  constexpr double far = 1e300;
  bool sure = length <= far && std::fabs(section.radius) <= far && std::fabs(section.halfw) <= far &&
              std::fabs(section.halfh) <= far;
  for (int j = 1; j <= ncoor; ++j) {
    sure = sure && std::fabs(first[j]) <= far;
    for (int m = 1; m <= 3; ++m) sure = sure && std::fabs(frame[j][m]) <= 2.0;
  }
  return sure;
}

// Bar k's section, frame, template and nodes; only checked where place is
// false, as far as that needs.
void build_bar(int k, const Settings& settings, const Mesh& mesh, Work& work, bool place = true) {
  const bool values_file = settings.source != Source::constant;
  const Section section = section_of(settings, values_file ? work.values[k] : 0.0);
  const double length = section_frame(k, section.angle, mesh, work.frame);
  const toolkit::Vec1<double> first = mesh.coord[mesh.lnods[k][1]];
  if (!place && surely_finite(length, section, work.frame, first)) return;
  const Section& last = work.filled;
  if (work.empty || !same(section.radius, last.radius) || !same(section.halfw, last.halfw) ||
      !same(section.halfh, last.halfh)) {
    cthick(settings.form, section.radius, section.halfw, section.halfh, settings.shape, work.tpl);
    work.filled = section;
    work.empty = false;
  }
  place_bar(k, work.tpl, work.frame, length, first, work.nodes);
}

}  // namespace

void thicken(const Settings& settings, const std::string& values_name, const std::string& output_name,
             const Titles& titles, const Mesh& mesh) {
  check_elements(mesh);
  Work work(settings, mesh.ne);
  if (settings.source != Source::constant) read_values(mesh.ne, values_name, work.values);

  // Every error of a bar is found before the output exists, which stays
  // untouched then.
  {
    toolkit::Progress progress("Checking bar", mesh.ne);
    for (int k = 1; k <= mesh.ne; ++k) {
      build_bar(k, settings, mesh, work, false);
      progress.step(k);
    }
  }

  const int per_bar = perbar(settings.form);
  SolidWriter out(output_name, titles, per_bar * mesh.ne, solid_nodes * mesh.ne, 0);
  // The element lists of the template are the same for every bar.
  if (work.empty) cthick(settings.form, 0.0, 0.0, 0.0, settings.shape, work.tpl);
  for (int k = 1; k <= mesh.ne; ++k) out.elements(work.tpl);
  {
    toolkit::Progress progress("Writing bar", mesh.ne);
    for (int k = 1; k <= mesh.ne; ++k) {
      build_bar(k, settings, mesh, work);
      out.nodes(work.nodes);
      progress.step(k);
    }
  }
  out.close();
}

}  // namespace rodmesh
