#include "plotcad/dxf.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "toolkit/numfmt.hpp"

namespace plotcad {

namespace {

using toolkit::putstr;

constexpr std::string_view generic_name = "jobname.dxf";

// Room for the longest value line: "%15.7lf" of the largest double.
constexpr std::size_t real_room = toolkit::fixed_room + 1;
// Room for the fixed lines of an entity around its values: group codes,
// the layer name and the entity's name.
constexpr std::size_t entity_room = 64;
// Drawing positions within this bound take the whole-number path below.
constexpr double whole_bound = 1e9;

// A real value line, "%15.7lf\n". Drawing positions are whole numbers,
// whose seven decimals are zeros: their digits come without the general
// conversion (bench/plotcad shows what it saves). Negative zero keeps its
// sign through the general one.
char* real(char* out, double value) {
  if (value > -whole_bound && value < whole_bound) {
    const auto whole = static_cast<std::int32_t>(value);
    if (whole == value && (whole != 0 || !std::signbit(value))) {
      out = toolkit::putcols<7>(out, whole);
      return putstr(out, ".0000000\n");
    }
  }
  out = toolkit::putfixed<7, 15>(out, value);
  *out++ = '\n';
  return out;
}

// Whether the value line of a whole number takes the 7 columns before its
// decimals ("%15.7lf" of -999999 to 9999999), as drawing positions do;
// gives the number. Negative zero keeps its sign in the general path.
bool seven_columns(double value, int& whole) {
  if (!(value >= -999999.0 && value <= 9999999.0)) return false;
  whole = static_cast<int>(value);
  return whole == value && (whole != 0 || !std::signbit(value));
}

// The characters of a name or text. A line break inside would split the
// line and break the group structure of the file, so it is written as a
// blank.
char* text_chars(char* out, std::string_view text) {
  for (char c : text) *out++ = (c == '\n' || c == '\r') ? ' ' : c;
  return out;
}

char* text_line(char* out, std::string_view text) {
  out = text_chars(out, text);
  *out++ = '\n';
  return out;
}

char* layer_line(char* out, const Layer& layer) { return text_line(out, layer.data()); }

}  // namespace

toolkit::Writer dxopen(std::string_view job, Layer& layer) {
  dxlayr(layer, "0");
  toolkit::Writer out(toolkit::openout(toolkit::mkname(job, ".dxf"), generic_name, toolkit::Form::text), generic_name);
  out.write("  0\nSECTION\n  2\nENTITIES\n  0\n");
  return out;
}

void dxlayr(Layer& layer, std::string_view name) {
  std::size_t first = 0;
  std::size_t last = name.size();
  while (last > 0 && name[last - 1] == ' ') --last;
  while (first < last && name[first] == ' ') ++first;
  const std::size_t length = std::min<std::size_t>(last - first, layer.size() - 1);
  std::memcpy(layer.data(), name.data() + first, length);
  layer[length] = '\0';
}

void dxline(double x1, double y1, double z1, double x2, double y2, double z2, const Layer& layer,
            toolkit::Writer& out) {
  char* p = putstr(out.room(6 * real_room + entity_room), "LINE\n  8\n");
  p = layer_line(p, layer);
  p = real(putstr(p, " 10\n"), x1);
  p = real(putstr(p, " 20\n"), y1);
  p = real(putstr(p, " 30\n"), z1);
  p = real(putstr(p, " 11\n"), x2);
  p = real(putstr(p, " 21\n"), y2);
  p = real(putstr(p, " 31\n"), z2);
  out.advance(putstr(p, "  0\n"));
}

PolyStream::PolyStream(const Layer& layer, toolkit::Writer& out) : layer_(layer), out_(out) {
  char* p = putstr(out_.room(2 * entity_room), "POLYLINE\n  8\n");
  p = layer_line(p, layer_);
  out_.advance(putstr(p, " 66\n     1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 70\n     8\n  0\n"));
  char* h = putstr(head_, "VERTEX\n  8\n");
  h = layer_line(h, layer_);
  h = putstr(h, " 10\n");
  head_size_ = static_cast<std::size_t>(h - head_);
  char* w = putstr(whole_, {head_, head_size_});
  x_at_ = static_cast<std::size_t>(w - whole_);
  w = putstr(w, "XXXXXXX.0000000\n 20\n");
  y_at_ = static_cast<std::size_t>(w - whole_);
  w = putstr(w, "YYYYYYY.0000000\n 30\n      0.0000000\n 70\n    32\n  0\n");
  whole_size_ = static_cast<std::size_t>(w - whole_);
}

void PolyStream::vertex(double x, double y) {
  char* p = out_.room(3 * real_room + 2 * entity_room);
  int wx;
  int wy;
  if (seven_columns(x, wx) && seven_columns(y, wy)) {
    // The whole template in one fixed-size copy (the room asked holds it),
    // x and y written over their columns.
    std::memcpy(p, whole_, sizeof whole_);
    toolkit::putcols<7>(p + x_at_, wx);
    toolkit::putcols<7>(p + y_at_, wy);
    out_.advance(p + whole_size_);
    return;
  }
  // The whole head array in one fixed-size copy; only its used part counts.
  std::memcpy(p, head_, sizeof head_);
  p += head_size_;
  p = real(p, x);
  p = real(putstr(p, " 20\n"), y);
  out_.advance(putstr(p, " 30\n      0.0000000\n 70\n    32\n  0\n"));
}

void PolyStream::end() {
  char* p = putstr(out_.room(entity_room), "SEQEND\n  8\n");
  p = layer_line(p, layer_);
  out_.advance(putstr(p, "  0\n"));
}

void dxpoly(int n, toolkit::Vec1<double> xs, toolkit::Vec1<double> ys, const Layer& layer, toolkit::Writer& out) {
  PolyStream poly(layer, out);
  for (int k = 1; k <= n; ++k) poly.vertex(xs[k], ys[k]);
  poly.end();
}

void dxtext(double x, double y, double z, double height, std::string_view text, const Layer& layer,
            toolkit::Writer& out) {
  char* p = putstr(out.room(4 * real_room + entity_room), "TEXT\n  8\n");
  p = layer_line(p, layer);
  p = real(putstr(p, " 10\n"), x);
  p = real(putstr(p, " 20\n"), y);
  p = real(putstr(p, " 30\n"), z);
  p = real(putstr(p, " 40\n"), height);
  out.advance(putstr(p, "  1\n"));
  // The text's length is the caller's: it goes in parts.
  constexpr std::size_t part_size = 4096;
  while (!text.empty()) {
    const std::size_t part = std::min(text.size(), part_size);
    out.advance(text_chars(out.room(part), text.substr(0, part)));
    text.remove_prefix(part);
  }
  out.write("\n  0\n");
}

void dxclos(toolkit::Writer& out) {
  out.write("ENDSEC\n  0\nEOF\n");
  out.close();
}

}  // namespace plotcad
