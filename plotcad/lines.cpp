#include "plotcad/lines.hpp"

#include <cstring>

#include "plotcad/pointline.hpp"
#include "toolkit/diagnostics.hpp"

namespace plotcad {

bool Lines::next() {
  const std::size_t n = reader_.getln(line);
  if (n == 0) return false;
  const std::string_view text(line.data(), n);
  toolkit::refusenul(text, reader_.count());
  toolkit::refusecr(text, reader_.count());
  return true;
}

int Lines::words() {
  while (next()) {
    const int count = toolkit::splitw(line, word);
    if (count > 0) return count;
  }
  return 0;
}

int Lines::point(double& x, double& y) {
  for (;;) {
    // A line of nothing but the two numbers and blanks is taken where it
    // lies: it can hold no zero byte nor carriage return to report.
    const std::string_view ahead = reader_.peekln();
    bool whole = false;
    if (!ahead.empty() && fastpair(ahead.data(), ahead.size(), x, y, whole) && whole) {
      reader_.take(ahead.size());
      return pair;
    }
    if (!next()) return 0;
    if (fastpair(line.data(), std::strlen(line.data()), x, y, whole)) return pair;
    const int count = toolkit::splitw(line, word);
    if (count > 0) return count;
  }
}

}  // namespace plotcad
