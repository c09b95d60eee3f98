#pragma once
// The suite's mesh file (.zmf), read: the one definition of its grammar,
// for the programs, the core that Python loads and any other host. Nothing
// here ends the process or throws (but std::bad_alloc): a fault is a value
// that says where and what.
//
// A mesh file is a header line, then drawings. A drawing is a label line, a
// count line (elements, nodes, special nodes) and its records: elements
// "number node-count node...", nodes "number x y z", special nodes "number
// node", numbered 1, 2, 3, ... in each section, every node number within 1
// and the nodes. The count line and the records are one stream of numbers
// separated by white space, whatever line each stands on.
//
//   std::string why;
//   auto source = meshfile::open_file(path, why);   // null: why says
//   meshfile::Reader reader(std::move(source));
//   if (!reader.open(drawing)) return reader.fault();
//   std::span<const std::int64_t> nodes;
//   for (std::int64_t i = 0; i < reader.elements(); ++i)
//     if (!reader.element(nodes)) return reader.fault();
//   ... reader.node(xyz) for each node, reader.special(node) for each special node
//
// The records come in the file's order, each section whole before the next.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meshfile {

// Where the bytes of a file come from: a file, memory, or a host's own
// reader.
class Source {
 public:
  virtual ~Source() = default;
  // Up to size bytes into `into`: the number read, 0 at the end, -1 when
  // the source failed (failure() says why).
  virtual std::int64_t read(char* into, std::size_t size) = 0;
  // The bytes the source hands out from its start, or -1 when unknown.
  virtual std::int64_t size() const { return -1; }
  // Back to a byte offset from the start, for another pass; false when the
  // source cannot go back.
  virtual bool seek(std::int64_t) { return false; }
  // Why the last read or seek failed, in the system's words.
  virtual std::string failure() const { return {}; }
};

// A file opened for reading; null, with the system's words in `failure`,
// when it cannot be opened (a folder cannot).
std::unique_ptr<Source> open_file(const std::string& path, std::string& failure);
// Bytes held in memory, which must outlive the source.
std::unique_ptr<Source> over_bytes(std::string_view bytes);

// Where a fault stands.
enum class Part { header, label, counts, element, node, special };

struct Fault {
  enum Kind {
    none,
    unreadable,      // the source failed: `system` says why
    ended,           // the file ends where the item is due
    not_integer,     // a token where an integer is due
    not_real,        // a token where a real number is due
    not_finite,      // a real number beyond the range of a double
    wrong_number,    // a record's number is not its place in its section
    negative_count,  // a count below 0
    big_count,       // a count beyond 32 bits
    few_nodes,       // a node count below 1
    many_nodes,      // a node count above the maximum (limit)
    node_range,      // a node number outside 1 to the nodes (limit)
    long_title,      // a title line beyond title_limit bytes
    no_drawing,      // the drawing asked (record) is not in the file (limit: the drawings it holds)
    exhausted,       // a record asked for beyond its section's count
  };
  Kind kind = none;
  Part part = Part::header;
  // The record's place in its section, from 1 (0 for titles and counts);
  // for no_drawing, the drawing asked.
  std::int64_t record = 0;
  // Which number of the record: 0 its own number; of an element, 1 the node
  // count and 1 + k its k-th node; of a node, 1 to 3 the coordinates; of a
  // special node, 1 its node; of the count line, 0 to 2 the count.
  std::int64_t item = 0;
  // The line of the faulty token, or where the file ends; 0 when none.
  std::int64_t line = 0;
  // The bound broken (node_range, many_nodes, no_drawing); at a record's
  // own number, the records of its section.
  std::int64_t limit = 0;
  std::string token;   // the faulty token, empty at the end of the file
  std::string system;  // unreadable: the system's words

  explicit operator bool() const { return kind != none; }
};

// The fault in one line, without the file's name: "line 5: special node
// 1: node 2 out of range (1 to 1)".
std::string describe(const Fault& fault);

// A title line: its bytes, without the line feed.
struct Title {
  std::string bytes;
  bool ended = false;  // a line feed ended it
  // The text, without a carriage return before the line end.
  std::string_view text() const;
};

// A title line longer than this is no title: the file is no mesh file.
inline constexpr std::size_t title_limit = std::size_t{1} << 20;

class Reader {
 public:
  struct Options {
    // The most nodes an element may list.
    std::int64_t max_nodes = INT32_MAX;
    // 0: a title is a whole line (to title_limit). N: a title is what one
    // line read of at most N bytes gives, rodmesh's reading (999): a longer
    // line is cut there, its rest the next line; the end of the file gives
    // an empty title, no fault.
    std::size_t title_read = 0;
  };

  // A null source gives a reader whose first read fails (unreadable).
  explicit Reader(std::unique_ptr<Source> source);
  Reader(std::unique_ptr<Source> source, Options options);
  Reader(Reader&&) noexcept;
  Reader& operator=(Reader&&) noexcept;
  ~Reader();

  // Reads the header line and drawing `drawing` (from 1) up to its count
  // line, reading and checking the records of the drawings before it.
  bool open(std::int64_t drawing = 1);

  // Reads and checks the records left of the drawing read, then the next
  // drawing up to its count line: false with no fault when nothing but
  // white space follows.
  bool next();

  // A place in the records of a drawing, to read on from again.
  struct Place {
    std::int64_t offset = 0;  // in the source
    std::int64_t line = 1;
    std::int64_t elements = 0, nodes = 0, specials = 0;  // the drawing's counts
    std::int64_t element = 0, node = 0, special = 0;     // records read before it
  };
  // Where the reader stands now.
  Place place() const;
  // Back (or on) to a place noted before, in a drawing of this source.
  bool go(const Place& place);

  // The last fault; it stays once made.
  const Fault& fault() const { return fault_; }

  const Title& header() const { return header_; }
  const Title& label() const { return label_; }
  std::int64_t elements() const { return elements_; }
  std::int64_t nodes() const { return nodes_; }
  std::int64_t specials() const { return specials_; }

  // The next element's node numbers, each within 1 and nodes(); valid until
  // the next call.
  bool element(std::span<const std::int64_t>& nodes);
  // The next node's coordinates, finite; reads through the elements left.
  bool node(std::array<double, 3>& xyz);
  // The next special node's node, within 1 and nodes(); reads through the
  // nodes left.
  bool special(std::int64_t& node);

  // Reads and checks every record left, keeping none.
  bool check();
  // Back before the first element, for another pass.
  bool restart();

  // The bytes the source hands out, or -1 when unknown; those read so far.
  std::int64_t size() const { return size_; }
  std::int64_t position() const { return place().offset; }

  // Whether the rest of the file is too short for the records its counts
  // announce (each number a digit and a blank at least); false when its
  // size is unknown. Counts are checked so before anything is laid out for
  // them: check() then says where the records run out.
  bool too_short() const;

 private:
  bool fill();
  std::string_view token();
  bool next_int(std::int64_t& value);
  bool next_real(double& value);
  bool title(Title& into, Part part);
  bool counts();
  bool record(Part part, std::int64_t& done, std::int64_t count, std::int64_t& number);
  bool drawing_head();
  void skip_line();
  bool fail(Fault::Kind kind, Part part, std::int64_t record, std::int64_t item, std::int64_t limit = 0);
  bool fail_token(Part part, std::int64_t record, std::int64_t item, Fault::Kind kind, std::int64_t limit = 0);

  std::unique_ptr<Source> source_;
  Options options_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  std::int64_t line_ = 1;        // the line of the byte at pos_
  std::int64_t token_line_ = 1;  // the line of the last token
  std::string_view word_;        // the last token, until the next read
  std::int64_t offset_ = 0;      // the offset of buffer_[end_] in the source
  std::int64_t size_ = -1;

  Fault fault_;
  Title header_;
  Title label_;
  std::int64_t elements_ = 0;
  std::int64_t nodes_ = 0;
  std::int64_t specials_ = 0;

  // Where the records of the drawing read begin.
  Place start_;
  // Records handed out in the current pass, per section.
  std::int64_t element_ = 0;
  std::int64_t node_ = 0;
  std::int64_t special_ = 0;
  std::vector<std::int64_t> row_;
};

// The three counts of a count line held as a text, as meshcut reads them:
// each the integer ([sign]digits) after white space, whatever follows its
// digits. A fault (part counts, item k) is not_integer, big_count (beyond
// 32 bits either way) or negative_count, in that order.
Fault count_line(std::string_view line, std::int64_t (&counts)[3]);

}  // namespace meshfile
