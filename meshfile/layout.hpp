#pragma once
// The lines of the mesh file as the suite writes them: the one home of the
// written layout, for rodmesh's solids and for the writer of a drawing held
// in arrays (writer.hpp).
//
//   header line, label line        "%s\n"
//   count line                     "%5d   %5d   %5d\n"
//   element                        "%5d %5d   " then " %5d" per node, "\n"
//   node                           "%5d" then " %15.8lf" per coordinate, "\n"
//   special node                   "%5d %5d\n"
//
// Each routine writes at p, which has room for the line (the *_room below),
// and returns the end of what it wrote.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "toolkit/numfmt.hpp"

namespace meshfile {

// The most a "%5d" field of a 64-bit number takes, with a blank before it.
inline constexpr std::size_t number_room = 24;
inline constexpr std::size_t node_room = number_room + 3 * (1 + toolkit::fixed_room) + 1;
inline constexpr std::size_t special_room = 2 * number_room + 2;
inline constexpr std::size_t counts_room = 3 * number_room + 8;
inline std::size_t element_room(std::int64_t nodes) {
  return 2 * number_room + 4 + static_cast<std::size_t>(nodes) * number_room + 1;
}

// Consecutive numbers in the "%5d" layout, each made from the one before by
// a decimal increment of its text: the records are numbered 1, 2, 3, ...,
// and an increment costs a fraction of formatting the number.
class Numbering {
 public:
  explicit Numbering(std::int64_t first) { set(first); }
  std::int64_t value() const { return value_; }
  // Copies the text to out, which has room for 16 bytes and the text;
  // returns the end of the text.
  char* put(char* out) const {
    std::memcpy(out, text_, 16);
    if (size_ > 16) std::memcpy(out + 16, text_ + 16, size_ - 16);
    return out + size_;
  }
  void next() {
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

 private:
  void set(std::int64_t value) {
    value_ = value;
    size_ = static_cast<std::size_t>(toolkit::putcols<5>(text_, value) - text_);
  }
  std::int64_t value_ = 0;
  std::size_t size_ = 0;
  char text_[number_room + 16] = {};
};

inline char* put_titles(char* p, std::string_view header, std::string_view label) {
  p = toolkit::putstr(p, header);
  *p++ = '\n';
  p = toolkit::putstr(p, label);
  *p++ = '\n';
  return p;
}

inline char* put_counts(char* p, std::int64_t elements, std::int64_t nodes, std::int64_t specials) {
  p = toolkit::putcols<5>(p, elements);
  p = toolkit::putcols<5>(toolkit::putstr(p, "   "), nodes);
  p = toolkit::putcols<5>(toolkit::putstr(p, "   "), specials);
  *p++ = '\n';
  return p;
}

// The start of an element line: its number and node count.
inline char* put_element_start(char* p, const Numbering& number, std::int64_t count) {
  p = number.put(p);
  *p++ = ' ';
  return toolkit::putstr(toolkit::putcols<5>(p, count), "   ");
}

// One node of an element line.
inline char* put_element_node(char* p, std::int64_t node) {
  *p++ = ' ';
  return toolkit::putcols<5>(p, node);
}
inline char* put_element_node(char* p, const Numbering& node) {
  *p++ = ' ';
  return node.put(p);
}

inline char* put_node(char* p, const Numbering& number, const double* xyz) {
  p = number.put(p);
  for (int j = 0; j < 3; ++j) {
    *p++ = ' ';
    p = toolkit::putfixed<8, 15>(p, xyz[j]);
  }
  *p++ = '\n';
  return p;
}

inline char* put_special(char* p, const Numbering& number, std::int64_t node) {
  p = number.put(p);
  *p++ = ' ';
  p = toolkit::putcols<5>(p, node);
  *p++ = '\n';
  return p;
}

}  // namespace meshfile
