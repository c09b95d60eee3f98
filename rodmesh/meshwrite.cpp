#include "rodmesh/meshwrite.hpp"

#include <cstdio>
#include <cstring>

#include "toolkit/files.hpp"

namespace rodmesh {

namespace {

constexpr std::string_view generic_name = "jobname_th.zmf";

toolkit::Writer create(const std::string& name) {
  std::printf("\nWriting file: %s\n", name.c_str());
  return toolkit::Writer(toolkit::openout(name, generic_name, toolkit::Form::text), generic_name);
}

}  // namespace

SolidWriter::SolidWriter(const std::string& name, const Titles& titles, int ne, int nn, int ns) : out_(create(name)) {
  char* p = out_.room(header_length + drawing_length + 2 + meshfile::counts_room);
  p = meshfile::put_titles(p, titles.header, titles.drawing);
  out_.advance(meshfile::put_counts(p, ne, nn, ns));
}

void SolidWriter::elements(const BarTemplate& tpl) {
  // The texts of the bar's 20 node numbers as they stand in an element line,
  // each in a slot of 32 bytes, copied as 16 (at most 12 are used).
  char nodes[solid_nodes + 1][32];
  std::size_t sizes[solid_nodes + 1];
  meshfile::Numbering node = first_node_;
  for (int i = 1; i <= solid_nodes; ++i, node.next())
    sizes[i] = static_cast<std::size_t>(meshfile::put_element_node(nodes[i], node) - nodes[i]);
  first_node_ = node;

  char* p = out_.room(static_cast<std::size_t>(tpl.per_bar) * meshfile::element_room(solid_nodes));
  for (int m = 1; m <= tpl.per_bar; ++m, element_.next()) {
    const int count = tpl.nnode[m];
    p = meshfile::put_element_start(p, element_, count);
    const toolkit::Vec1<std::int32_t>& local = tpl.lnods[m];
    for (int l = 1; l <= count; ++l) {
      const int i = local[l];
      std::memcpy(p, nodes[i], 16);
      p += sizes[i];
    }
    *p++ = '\n';
  }
  out_.advance(p);
}

void SolidWriter::nodes(toolkit::Mat1<double> nodes) {
  // The matrix is walked as the single run it is: row after row.
  const double* xyz = nodes[1].data();
  char* p = out_.room(solid_nodes * meshfile::node_room);
  for (int i = 0; i < solid_nodes; ++i, xyz += ncoor, node_.next()) p = meshfile::put_node(p, node_, xyz);
  out_.advance(p);
}

}  // namespace rodmesh
