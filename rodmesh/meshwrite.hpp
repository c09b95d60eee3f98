#pragma once
// Writing the solids as jobname_th.zmf, one drawing in the mesh file's
// written layout (meshfile/layout.hpp), in a single pass: the element lines
// depend only on the bar numbers, and each bar's node lines are written as
// soon as its solid is placed.

#include <string>

#include "meshfile/layout.hpp"
#include "rodmesh/cthick.hpp"
#include "rodmesh/mesh.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/writer.hpp"

namespace rodmesh {

class SolidWriter {
 public:
  // Prints the progress line, creates (or replaces) the file of that name
  // and writes the two title lines and the count line.
  SolidWriter(const std::string& name, const Titles& titles, int ne, int nn, int ns);

  // The element lines of the next bar: the template's elements, numbered on
  // from the last element written, with their node numbers moved on by 20
  // for every bar before.
  void elements(const BarTemplate& tpl);

  // The node lines of the next bar: its 20 nodes (rows of x, y, z), numbered
  // on from the last node written.
  void nodes(toolkit::Mat1<double> nodes);

  void close() { out_.close(); }

 private:
  toolkit::Writer out_;
  meshfile::Numbering element_{1};
  meshfile::Numbering first_node_{1};  // of the next bar in the element lines
  meshfile::Numbering node_{1};        // of the next node line
};

}  // namespace rodmesh
