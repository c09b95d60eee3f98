#include "meshtools/titleline.hpp"

#include "toolkit/diagnostics.hpp"
#include "toolkit/scanning.hpp"

namespace meshtools {

namespace {

// Hands the next line's pieces to take, each checked for a carriage return
// inside the line.
template <class Take>
bool checked_line(toolkit::Reader& in, Take take) {
  char before = '\n';
  return in.lines(1, [&](std::string_view piece) {
    toolkit::refusecr(piece, in.count(), before);
    before = piece.back();
    take(piece);
  }) > 0;
}

}  // namespace

bool getline(toolkit::Reader& in, std::string& line) {
  line.clear();
  return checked_line(in, [&](std::string_view piece) {
    if (line.size() + piece.size() > max_line) toolkit::errmsg("Line too long", toolkit::lineno(in.count()));
    line.append(piece);
  });
}

bool copytitle(toolkit::Reader& in, toolkit::Writer* out) {
  return checked_line(in, [&](std::string_view piece) {
    if (out != nullptr) out->write(piece);
  });
}

}  // namespace meshtools
