#include "plotcad/linereader.hpp"

#include <climits>
#include <cstring>

#include "toolkit/diagnostics.hpp"
#include "toolkit/linein.hpp"

namespace plotcad {

bool LineReader::next() {
  const std::size_t n = toolkit::getln(file_, line_);
  if (n == 0) return false;
  if (number_ == INT_MAX) toolkit::errmsg("Too many lines in the file");
  ++number_;
  const char* text = line_.data();
  if (std::strlen(text) != n) toolkit::errmsg("NUL byte in the line", number_);
  const void* cr = std::memchr(text, '\r', n);
  if (cr != nullptr) {
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - text);
    const bool line_end = at == n - 1 || (at == n - 2 && text[n - 1] == '\n');
    if (!line_end) toolkit::errmsg("Carriage return inside a line (line ends must be LF or CR LF)", number_);
  }
  return true;
}

void bigbuf(std::FILE* file) { std::setvbuf(file, nullptr, _IOFBF, 1 << 18); }

}  // namespace plotcad
