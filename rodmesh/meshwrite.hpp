#pragma once
// Writing the solids as jobname_th.zmf, one drawing in the written layout
// of the mesh file format, in a single pass: the element lines depend only
// on the bar numbers, and each bar's node lines are written as soon as its
// solid is placed.

#include <string>
#include <string_view>

#include "rodmesh/cthick.hpp"
#include "rodmesh/mesh.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/writer.hpp"

namespace rodmesh {

// Consecutive numbers in the "%5d" layout of the records, each made from the
// one before by a decimal increment of its text: the element and node
// numbers of the solid mesh follow one another, and an increment costs a
// fraction of formatting the number.
class Numbering {
 public:
  explicit Numbering(int first) { set(first); }
  // Copies the text to out, which has room for 16 bytes; returns the end of
  // the text.
  char* put(char* out) const;
  void next();

 private:
  void set(int value);
  int value_ = 0;
  std::size_t size_ = 0;
  char text_[24] = {};
};

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
  // The node count of the last element line with the blanks around it.
  int count_ = -1;
  char count_text_[24] = {};
  std::size_t count_size_ = 0;
  Numbering element_{1};
  Numbering first_node_{1};  // of the next bar in the element lines
  Numbering node_{1};        // of the next node line
};

}  // namespace rodmesh
