#include "rodmesh/meshwrite.hpp"

#include <cstdio>

#include "toolkit/files.hpp"
#include "toolkit/numfmt.hpp"

namespace rodmesh {

namespace {

using toolkit::putfix;
using toolkit::putint;
using toolkit::putstr;

constexpr std::string_view generic_name = "jobname_th.zmf";

// Room for the longest line: a node line of three reals at their widest.
constexpr std::size_t line_room = 4 * toolkit::fixed_room;

}  // namespace

toolkit::Writer write_head(const std::string& name, const Titles& titles, int ne, int nn, int ns) {
  std::printf("\nWriting file: %s\n", name.c_str());
  toolkit::Writer out(toolkit::openout(name, generic_name, toolkit::Form::text), generic_name);
  char* p = out.room(header_length + drawing_length + line_room);
  p = putstr(p, titles.header);
  *p++ = '\n';
  p = putstr(p, titles.drawing);
  *p++ = '\n';
  p = putint(p, ne, 5);
  p = putint(putstr(p, "   "), nn, 5);
  p = putint(putstr(p, "   "), ns, 5);
  *p++ = '\n';
  out.advance(p);
  return out;
}

void write_elements(toolkit::Writer& out, int k, const BarTemplate& tpl) {
  const int offset = solid_nodes * (k - 1);
  char* p = out.room(tpl.per_bar * line_room);
  for (int m = 1; m <= tpl.per_bar; ++m) {
    p = putint(p, tpl.per_bar * (k - 1) + m, 5);
    *p++ = ' ';
    const int count = tpl.nnode[m];
    p = putint(p, count, 5);
    p = putstr(p, "   ");
    const toolkit::Vec1<std::int32_t>& local = tpl.lnods[m];
    for (int l = 1; l <= count; ++l) {
      *p++ = ' ';
      p = putint(p, local[l] + offset, 5);
    }
    *p++ = '\n';
  }
  out.advance(p);
}

void write_nodes(toolkit::Writer& out, int k, toolkit::Mat1<double> nodes) {
  const int first = solid_nodes * (k - 1) + 1;
  // The matrix is walked as the single run it is: row after row.
  const double* xyz = nodes[1].data();
  char* p = out.room(solid_nodes * line_room);
  for (int i = 0; i < solid_nodes; ++i, xyz += ncoor) {
    p = putint(p, first + i, 5);
    for (int j = 0; j < ncoor; ++j) {
      *p++ = ' ';
      p = putfix(p, xyz[j], 15, 8);
    }
    *p++ = '\n';
  }
  out.advance(p);
}

}  // namespace rodmesh
