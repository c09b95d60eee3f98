#include "rodmesh/meshwrite.hpp"

#include <cstdio>
#include <cstring>

#include "toolkit/files.hpp"
#include "toolkit/numfmt.hpp"

namespace rodmesh {

namespace {

using toolkit::putfixed;
using toolkit::putint;
using toolkit::putstr;

constexpr std::string_view generic_name = "jobname_th.zmf";

// Room for the longest line: a node line of three reals at their widest.
constexpr std::size_t line_room = 4 * toolkit::fixed_room;

toolkit::Writer create(const std::string& name) {
  std::printf("\nWriting file: %s\n", name.c_str());
  return toolkit::Writer(toolkit::openout(name, generic_name, toolkit::Form::text), generic_name);
}

}  // namespace

void Numbering::set(int value) {
  value_ = value;
  size_ = static_cast<std::size_t>(toolkit::putcols<5>(text_, value) - text_);
}

char* Numbering::put(char* out) const {
  std::memcpy(out, text_, 16);
  return out + size_;
}

void Numbering::next() {
  ++value_;
  for (char* p = text_ + size_ - 1;; --p) {
    if (*p == '9') {
      *p = '0';
      // A carry out of the first digit makes the number longer.
      if (p != text_) continue;
    } else if (*p != ' ') {
      ++*p;
      return;
    }
    set(value_);
    return;
  }
}


SolidWriter::SolidWriter(const std::string& name, const Titles& titles, int ne, int nn, int ns) : out_(create(name)) {
  char* p = out_.room(header_length + drawing_length + line_room);
  p = putstr(p, titles.header);
  *p++ = '\n';
  p = putstr(p, titles.drawing);
  *p++ = '\n';
  p = putint(p, ne, 5);
  p = putint(putstr(p, "   "), nn, 5);
  p = putint(putstr(p, "   "), ns, 5);
  *p++ = '\n';
  out_.advance(p);
}

void SolidWriter::elements(const BarTemplate& tpl) {
  // The texts of the bar's 20 node numbers, each behind its blank (at most
  // 12 bytes; each slot is copied as 16).
  char nodes[solid_nodes + 1][32];
  std::size_t sizes[solid_nodes + 1];
  Numbering node = first_node_;
  for (int i = 1; i <= solid_nodes; ++i, node.next()) {
    nodes[i][0] = ' ';
    sizes[i] = static_cast<std::size_t>(node.put(nodes[i] + 1) - nodes[i]);
  }
  first_node_ = node;

  char* p = out_.room(tpl.per_bar * line_room);
  for (int m = 1; m <= tpl.per_bar; ++m, element_.next()) {
    p = element_.put(p);
    const int count = tpl.nnode[m];
    if (count != count_) {
      count_ = count;
      char* c = putstr(count_text_, " ");
      c = putstr(toolkit::putcols<5>(c, count), "   ");
      count_size_ = static_cast<std::size_t>(c - count_text_);
    }
    std::memcpy(p, count_text_, 16);
    p += count_size_;
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
  char* p = out_.room(solid_nodes * line_room);
  for (int i = 0; i < solid_nodes; ++i, xyz += ncoor, node_.next()) {
    p = node_.put(p);
    for (int j = 0; j < ncoor; ++j) {
      *p++ = ' ';
      p = putfixed<8, 15>(p, xyz[j]);
    }
    *p++ = '\n';
  }
  out_.advance(p);
}

}  // namespace rodmesh
