#include "wordlist/filter.hpp"

#include <cstring>
#include <string>
#include <string_view>

#include "toolkit/diagnostics.hpp"
#include "toolkit/scanning.hpp"
#include "wordlist/linereader.hpp"
#include "wordlist/wordwriter.hpp"

namespace wordlist {

void filter(int input_fd, std::FILE* out, bool console) {
  LineReader input(input_fd);
  WordWriter output(out);

  for (std::string_view piece; !(piece = input.next()).empty();) {
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
    if (console) output.finish();
  }

  output.finish();
  if (input.failed()) toolkit::errmsg("Error reading standard input");
}

}  // namespace wordlist
