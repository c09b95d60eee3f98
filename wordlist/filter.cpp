#include "wordlist/filter.hpp"

#include <cstring>
#include <string>
#include <string_view>

#include "toolkit/diagnostics.hpp"
#include "toolkit/scanning.hpp"
#include "wordlist/wordwriter.hpp"

namespace wordlist {

void filter(toolkit::Reader& input, std::FILE* out) {
  WordWriter output(out);

  for (;;) {
    // A read that may wait: everything so far goes out first, and a read
    // error that stops the program finds it written.
    if (!input.ready()) output.finish();
    std::string_view piece = input.piece();
    if (piece.empty()) break;
    // A read is a zero-terminated text: a zero byte read from the input ends
    // the line there, and what follows it up to the line feed is never seen.
    if (const void* zero = std::memchr(piece.data(), '\0', piece.size()))
      piece = piece.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - piece.data()));
    if (piece.empty()) continue;
    if (piece.back() != '\n') {
      // A line too long for one read, or a last line without line end:
      // elimnl stops with its message once the earlier words are out.
      output.finish();
      std::string line(piece);
      toolkit::elimnl(line.data());
      toolkit::errmsg("elimnl: internal error 2 (LF expected)");
    }
    piece.remove_suffix(1);
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    output.words(piece);
  }

  output.finish();
}

}  // namespace wordlist
