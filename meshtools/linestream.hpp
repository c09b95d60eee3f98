#pragma once
// Streaming line copy for the mesh file tools: lines of any length pass
// whole, byte for byte, and memory stays the same whatever the file size.

#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace meshtools {

class LineStream {
 public:
  // in: an open input; generic_name: its name in messages ("jobname.zmf").
  LineStream(std::FILE* in, std::string generic_name);

  // True while at least one more byte is left to read.
  bool more();

  // Reads the next line, its line end included, into line. A line longer than
  // limit bytes stops the program with "Line too long" and its line number,
  // one with a carriage return inside as copy_title does. Returns false at
  // the end of the input.
  bool getline(std::string& line, std::size_t limit);

  // Copies the next n lines to out (or skips them when out is null); returns
  // how many there were. A last line without line end counts as a line.
  std::int64_t copy_lines(std::int64_t n, std::FILE* out, std::string_view out_name);

  // Copies the next line as copy_lines(1, ...) does, a title line such as
  // the header. A carriage return followed by anything but a line end stops
  // the program with "Carriage return inside a line ..." and the line
  // number: old CR-only line ends would make the whole file pass for one
  // line, and the drawings in it for none.
  std::int64_t copy_title(std::FILE* out, std::string_view out_name);

  // Copies everything left to out.
  void copy_rest(std::FILE* out, std::string_view out_name);

  // The number of the line begun last, for an ERROR block: none beyond what
  // the block can print.
  int message_line() const { return lines_ <= INT_MAX ? static_cast<int>(lines_) : 0; }

  // False when the last byte read was not a line feed: the input ended
  // inside its last line.
  bool at_line_end() const { return last_ == '\n'; }

 private:
  bool fill();
  std::int64_t copy(std::int64_t n, std::FILE* out, std::string_view out_name, bool text_line);
  // Refuses a carriage return inside a line in the next bytes of a text
  // line (CR CR LF passes); remembers the last byte.
  void text(const char* from, std::size_t size);

  std::FILE* in_;
  std::string name_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::int64_t lines_ = 0;
  char last_ = '\n';  // the last byte read
};

// Writes bytes to an output file; stops the program when the write fails.
void put(std::FILE* out, const char* data, std::size_t size, std::string_view out_name);

}  // namespace meshtools
