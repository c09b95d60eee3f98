#include "rodmesh/meshwrite.hpp"

#include <cstdio>
#include <string>

#include "toolkit/files.hpp"
#include "toolkit/numfmt.hpp"
#include "toolkit/writer.hpp"

namespace rodmesh {

namespace {

constexpr std::string_view generic_name = "jobname_th.zmf";

// Room for the longest line: a node line of three reals at their widest.
constexpr std::size_t line_room = 4 * toolkit::fixed_room;

}  // namespace

void write_mesh(const std::string& name, const Titles& titles, const Mesh& mesh) {
  using toolkit::putfix;
  using toolkit::putint;
  std::printf("\nWriting file: %s\n", name.c_str());
  toolkit::Writer out(toolkit::openout(name, generic_name, toolkit::Form::text), generic_name);

  char* p = out.room(2 * header_length + 3 * line_room);
  p = toolkit::putstr(p, titles.header);
  *p++ = '\n';
  p = toolkit::putstr(p, titles.drawing);
  *p++ = '\n';
  p = putint(p, mesh.ne, 5);
  p = putint(toolkit::putstr(p, "   "), mesh.nn, 5);
  p = putint(toolkit::putstr(p, "   "), mesh.ns, 5);
  *p++ = '\n';
  out.advance(p);
  // The matrices are walked as the single runs they are: row after row, no
  // row handle read per line.
  const std::int32_t* nodes = mesh.lnods[1].data();
  for (int i = 1; i <= mesh.ne; ++i, nodes += mesh.width) {
    char* p = out.room(line_room);
    p = putint(p, i, 5);
    *p++ = ' ';
    const int count = mesh.nnode[i];
    p = putint(p, count, 5);
    p = toolkit::putstr(p, "   ");
    for (int k = 0; k < count; ++k) {
      *p++ = ' ';
      p = putint(p, nodes[k], 5);
    }
    *p++ = '\n';
    out.advance(p);
  }
  const double* xyz = mesh.coord[1].data();
  for (int i = 1; i <= mesh.nn; ++i, xyz += ncoor) {
    char* p = out.room(line_room);
    p = putint(p, i, 5);
    for (int j = 0; j < ncoor; ++j) {
      *p++ = ' ';
      p = putfix(p, xyz[j], 15, 8);
    }
    *p++ = '\n';
    out.advance(p);
  }
  for (int i = 1; i <= mesh.ns; ++i) {
    char* p = out.room(line_room);
    p = putint(p, i, 5);
    *p++ = ' ';
    p = putint(p, mesh.spnod[i], 5);
    *p++ = '\n';
    out.advance(p);
  }
  out.close();
}

}  // namespace rodmesh
