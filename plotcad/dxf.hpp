#pragma once
// The DXF writer: one ENTITIES section of LINE, POLYLINE and TEXT entities
// on named layers. Every writer ends its entity with the group-0 line "  0",
// which the next entity's type name (or ENDSEC) follows directly.

#include <array>
#include <cstddef>
#include <string_view>

#include "toolkit/arrays.hpp"
#include "toolkit/writer.hpp"

namespace plotcad {

// The current layer name: at most 8 characters and a zero.
using Layer = std::array<char, 9>;

// Sets the layer to "0" and creates jobname.dxf with its opening lines;
// stops with "Unable to open output file - jobname.dxf" when it cannot.
toolkit::Writer dxopen(std::string_view job, Layer& layer);

// Sets the layer from a name: outer blanks removed, at most 8 characters.
void dxlayr(Layer& layer, std::string_view name);

void dxline(double x1, double y1, double z1, double x2, double y2, double z2, const Layer& layer,
            toolkit::Writer& out);

// One 3D polyline through the points 1 .. n of the vectors, in the plane
// z = 0 of the drawing.
void dxpoly(int n, toolkit::Vec1<double> xs, toolkit::Vec1<double> ys, const Layer& layer, toolkit::Writer& out);

void dxtext(double x, double y, double z, double height, std::string_view text, const Layer& layer,
            toolkit::Writer& out);

// Writes the closing lines and closes the file. A failed write anywhere in
// the drawing stops the program with "Error writing file - jobname.dxf".
void dxclos(toolkit::Writer& out);

// A polyline written vertex by vertex, for callers that place their points
// one at a time: the same lines as dxpoly, without vectors of all points.
class PolyStream {
 public:
  // Writes the POLYLINE entity.
  PolyStream(const Layer& layer, toolkit::Writer& out);
  PolyStream(const PolyStream&) = delete;
  PolyStream& operator=(const PolyStream&) = delete;

  // A vertex at z = 0: the drawing is plane.
  void vertex(double x, double y);

  // Writes the SEQEND entity.
  void end();

 private:
  const Layer& layer_;
  toolkit::Writer& out_;
  // The lines of a VERTEX up to its x value, the same for every vertex:
  // the entity's name, the layer's group code and name (at most 8
  // characters) and the group code of x.
  char head_[40];
  std::size_t head_size_ = 0;
  // The whole VERTEX of a point at whole drawing positions with z = 0, the
  // usual one, with the 7 columns of x and of y before their decimals to
  // fill in.
  char whole_[128];
  std::size_t whole_size_ = 0;
  std::size_t x_at_ = 0;
  std::size_t y_at_ = 0;
};

}  // namespace plotcad
