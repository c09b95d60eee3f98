#pragma once
// The drawings of a mesh file, read record by record in blocks of some MiB,
// with the grammar and checks of rodmesh's reader: the records are a stream
// of white-space-delimited tokens whatever line they stand on, each number
// equal to its position, every node number within 1..nodes(). The file is
// read, never mapped: mapped pages would count in the caller's peak memory.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bridge {

// A file that cannot be read: one line, "FILE: line N: what is wrong".
struct Fault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Records {
 public:
  // Drawing number `drawing` (from 1) of the file at path; reads up to its
  // count line. Throws Fault.
  static Records open(const std::string& path, int drawing);
  // The same over the bytes of a file held in memory (which must outlive the
  // Records); name is the file's name in messages.
  static Records over(std::string_view bytes, const std::string& name, int drawing);

  Records(Records&&) noexcept;
  Records& operator=(Records&&) noexcept;
  ~Records();

  // The header line and the drawing's label line, without their line ends.
  const std::string& header() const { return header_; }
  const std::string& label() const { return label_; }

  std::int64_t elements() const { return elements_; }
  std::int64_t nodes() const { return nodes_; }
  std::int64_t specials() const { return specials_; }

  // The next element's node numbers, 1-based, each checked within
  // 1..nodes(); valid until the next call. The elements come first, then
  // the nodes, then the special nodes, each section read whole in order.
  std::span<const std::int64_t> element();
  // The next node's coordinates, finite.
  std::array<double, 3> node();
  // The next special node's node number, checked within 1..nodes().
  std::int64_t special();

  // Back before the first element record, for a second pass.
  void restart();

  // On to the next drawing of the file: reads and checks what is left of
  // this one, then the next drawing's label and count line. False at the end
  // of the file, where the records of the last drawing end.
  bool next();

  // How far the reading has come: the bytes of the file read so far, and
  // the file's size (-1 when unknown).
  std::int64_t position() const { return offset_ - static_cast<std::int64_t>(end_ - pos_); }
  std::int64_t size() const { return size_; }

  // Whether the rest of the file is too short for `numbers` more numbers of
  // the records (a digit and a blank each, at least); false when its size is
  // unknown. Counts are checked so before output is laid out for them.
  bool too_short(std::int64_t numbers) const;
  // Reads and checks every record without keeping any, then restarts: says
  // where a file too short for its counts falls short.
  void check();

 private:
  struct Source;
  Records(std::unique_ptr<Source> source, std::string name, int drawing);

  // The next token of the records (cut after token_limit + 1 bytes), or an
  // empty view at the end of the file; token_line_ is the line it stands on.
  std::string_view token();
  // The next integer or finite real of the records: read where it lies when
  // it has the writers' form, through token() otherwise. False when the
  // token is none (or the file ended); word_ holds the token either way.
  bool next_int(std::int64_t& value);
  bool next_real(double& value);
  bool fill();
  [[noreturn]] void bad_number(const char* what, std::string_view word, std::int64_t number,
                               std::int64_t count) const;
  [[noreturn]] void bad_count(std::string_view word, std::int64_t number) const;
  [[noreturn]] void bad_node(const char* what, std::string_view word, std::int64_t number, std::int64_t k) const;
  [[noreturn]] void bad_real(std::string_view word, std::int64_t number, int axis) const;
  [[noreturn]] void fail(std::int64_t line, const std::string& what) const;
  [[noreturn]] void ended(const std::string& due) const;
  std::string title(const char* due);
  void head(int drawing);
  // The drawing line and the count line of the drawing that starts here.
  void enter();

  std::unique_ptr<Source> source_;
  std::string name_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  std::int64_t line_ = 1;        // the line of the byte at pos_
  std::int64_t token_line_ = 1;  // the line of the last token
  std::string_view word_;        // the last token, until the next read

  std::string header_;
  std::string label_;
  std::int64_t elements_ = 0;
  std::int64_t nodes_ = 0;
  std::int64_t specials_ = 0;

  // Where the records were entered: the offset in the file, its line.
  std::int64_t start_offset_ = 0;
  std::int64_t start_line_ = 0;
  std::int64_t offset_ = 0;  // the offset of buffer_[end_] in the file
  std::int64_t size_ = -1;   // the file's size, where it has one

  // Records handed out in the current pass, per section.
  std::int64_t element_ = 0;
  std::int64_t node_ = 0;
  std::int64_t special_ = 0;
  std::vector<std::int64_t> row_;
};

}  // namespace bridge
