#include "meshfile/reader.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "toolkit/digitrun.hpp"
#include "toolkit/exactreal.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/platform.hpp"
#include "toolkit/scanning.hpp"

namespace meshfile {

namespace {

// Bytes read at once: large reads cost the least per byte, and the buffer
// stays small beside the arrays the records fill.
constexpr std::size_t block = std::size_t{4} << 20;
// The buffer is refilled while fewer bytes than this are left, so that a
// token that may be a number (token_limit bytes at most) always lies whole
// in it, and a longer one shows that it is longer.
constexpr std::size_t margin = toolkit::token_limit + 2;
// Bytes after the buffer's end that the fast paths may read (up to 16 from a
// position within the buffer), zero.
constexpr std::size_t slack = 24;

class FileSource : public Source {
 public:
  explicit FileSource(std::FILE* file) : file_(file), size_(toolkit::platform::unread(file)) {}
  ~FileSource() override { std::fclose(file_); }
  std::int64_t read(char* into, std::size_t size) override {
    const std::size_t got = std::fread(into, 1, size, file_);
    if (got == 0 && std::ferror(file_)) {
      error_ = errno;
      return -1;
    }
    return static_cast<std::int64_t>(got);
  }
  std::int64_t size() const override { return size_; }
  bool seek(std::int64_t offset) override {
    std::clearerr(file_);
    if (toolkit::platform::seek(file_, offset)) return true;
    error_ = errno;
    return false;
  }
  std::string failure() const override { return std::strerror(error_); }

 private:
  std::FILE* file_;
  std::int64_t size_;
  int error_ = 0;
};

class MemorySource : public Source {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::int64_t read(char* into, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size() - at_);
    std::memcpy(into, bytes_.data() + at_, n);
    at_ += n;
    return static_cast<std::int64_t>(n);
  }
  std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  bool seek(std::int64_t offset) override {
    at_ = std::min(static_cast<std::size_t>(offset), bytes_.size());
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A word quoted for a message, cut when long, its control and other
// non-ASCII bytes escaped so that the message stays one line.
std::string shown(std::string_view word) {
  constexpr std::size_t longest = 40;
  const bool cut = word.size() > longest;
  if (cut) word = word.substr(0, longest - 3);
  std::string text = "'";
  for (const char c : word) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f && c != '\\' && c != '\'') {
      text += c;
    } else {
      static constexpr char hex[] = "0123456789abcdef";
      text += "\\x";
      text += hex[u >> 4];
      text += hex[u & 15];
    }
  }
  return text + (cut ? "...'" : "'");
}

std::string str(std::int64_t n) { return std::to_string(n); }

const char* const axes[3] = {"x", "y", "z"};

// What is due at a place of the file, for the fault of its end.
std::string due(const Fault& f) {
  const std::string record = str(f.record);
  switch (f.part) {
    case Part::header: return "the header line";
    case Part::label: return "the drawing line";
    case Part::counts: return "the count line";
    case Part::element:
      if (f.item == 0) return "element " + record + " of " + str(f.limit);
      if (f.item == 1) return "the node count of element " + record;
      return "node " + str(f.item - 1) + " of element " + record;
    case Part::node:
      if (f.item == 0) return "node " + record + " of " + str(f.limit);
      return std::string("the ") + axes[(f.item - 1) % 3] + " coordinate of node " + record;
    case Part::special:
      if (f.item == 0) return "special node " + record + " of " + str(f.limit);
      return "the node number of special node " + record;
  }
  return "more";
}

const char* section(Part part) {
  switch (part) {
    case Part::element: return "element";
    case Part::node: return "node";
    case Part::special: return "special node";
    default: return "record";
  }
}

std::string what(const Fault& f) {
  const std::string record = std::string(section(f.part)) + " " + str(f.record);
  switch (f.kind) {
    case Fault::none: return "no fault";
    case Fault::unreadable: return f.system;
    case Fault::ended: return "the file ends where " + due(f) + " is due";
    case Fault::long_title:
      return std::string(f.part == Part::header ? "the header line" : "the drawing line") + " runs over " +
             str(static_cast<std::int64_t>(title_limit)) + " bytes: not a mesh file";
    case Fault::no_drawing:
      if (f.record < 1) return "drawing " + str(f.record) + " asked: drawings are numbered from 1";
      return "drawing " + str(f.record) + " asked, the file holds " + str(f.limit);
    case Fault::exhausted: return std::string("no ") + section(f.part) + " left to read";
    case Fault::negative_count: return "negative count in the count line";
    case Fault::big_count: return "the count line: count " + shown(f.token) + " out of range";
    default: break;
  }
  if (f.part == Part::counts)
    return "the count line must hold three integers: elements, nodes, special nodes (found " + shown(f.token) + ")";
  if (f.item == 0) return record + " expected, found " + shown(f.token) + " (records are numbered 1, 2, 3, ... in order)";
  if (f.part == Part::node) return record + ": " + shown(f.token) + " is not a finite real number";
  if (f.part == Part::element && f.item == 1) {
    if (f.kind == Fault::not_integer) return record + ": " + shown(f.token) + " is not a node count";
    if (f.kind == Fault::few_nodes) return record + ": a node count of " + f.token + " (at least 1)";
    return record + ": a node count of " + f.token + " (at most " + str(f.limit) + ")";
  }
  if (f.kind == Fault::not_integer) return record + ": " + shown(f.token) + " is not a node number";
  return record + ": node " + f.token + " out of range (1 to " + str(f.limit) + ")";
}

constexpr std::uint64_t blanks = 0x2020202020202020ULL;
constexpr std::uint64_t scales[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Skips white space from p, counting the line feeds; blanks are skipped up
// to sixteen at a time, without a branch on their number (the fields of the
// records are padded with blanks of every width). Stops at the first other
// byte: at the latest at the zero after the buffer.
inline const char* skip_space(const char* p, std::int64_t& line) {
  for (;;) {
    std::uint64_t first;
    std::uint64_t second;
    std::memcpy(&first, p, 8);
    std::memcpy(&second, p + 8, 8);
    const int head = std::countr_zero(first ^ blanks) / 8;  // 8 when all are blanks
    p += head < 8 ? head : 8 + std::countr_zero(second ^ blanks) / 8;
    if (*p == ' ') continue;
    if (!toolkit::space(*p)) return p;
    line += *p == '\n';
    ++p;
  }
}

// The digits at p added to m, eight at a time; their count. m wraps beyond
// 2^64, which callers refuse by the count.
inline const char* scan_digits(const char* p, std::uint64_t& m, std::ptrdiff_t& count) {
  for (;;) {
    const toolkit::DigitRun run = toolkit::digit_run(p);
    m = m * scales[run.length] + run.value;
    count += run.length;
    p += run.length;
    if (run.length < 8) return p;
  }
}

// One field of the writers' node lines, " %15.8lf" of a value within
// +-10^6: a blank, blanks, an optional minus, one to six digits, the point
// at byte 7 and eight decimals. Its value, as exactreal gives it (at most
// fourteen digits: an exact mantissa, one division), or false for any other
// field. Reads sixteen bytes, the field, without a branch on its digits.
inline bool fixed_real(const char* r, double& value) {
  std::uint64_t head;
  std::uint64_t tail;
  std::memcpy(&head, r, 8);
  std::memcpy(&tail, r + 8, 8);
  const std::uint64_t x = head ^ 0x3030303030303030ULL;
  const std::uint64_t y = tail ^ 0x3030303030303030ULL;
  // Bytes 0 to 6 before the point; byte 6 must be a digit, byte 0 cannot.
  const std::uint64_t other = toolkit::nondigits(x) & 0x0080808080808080ULL;
  const int last = (63 - std::countl_zero(other | 1)) / 8;  // the last byte that is no digit
  const std::uint64_t before = (std::uint64_t{1} << (8 * last + 8)) - 1;  // bytes 0 to last
  const std::uint64_t lead = (head ^ blanks) & before;  // zero but for a minus at byte last
  const bool negative = lead != 0;
  if (r[7] != '.' || toolkit::nondigits(y) != 0 || (other & 0x0080000000000000ULL) != 0 || other == 0 ||
      (negative && (lead != (std::uint64_t{'-' ^ ' '} << (8 * last)) || last == 0)))
    return false;
  const std::uint64_t whole = toolkit::eightdigits((x & ~before & 0x00FFFFFFFFFFFFFFULL) << 8);
  const double v = static_cast<double>(whole * 100000000 + toolkit::eightdigits(y)) / 1e8;
  value = negative ? -v : v;
  return true;
}

inline bool digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

}  // namespace

std::unique_ptr<Source> open_file(const std::string& path, std::string& failure) {
  errno = 0;
  std::FILE* file = toolkit::platform::openin(path);
  if (file == nullptr) {
    failure = errno != 0 ? std::strerror(errno) : std::strerror(EISDIR);
    return nullptr;
  }
  return std::make_unique<FileSource>(file);
}

std::unique_ptr<Source> over_bytes(std::string_view bytes) { return std::make_unique<MemorySource>(bytes); }

std::string describe(const Fault& fault) {
  return (fault.line > 0 ? "line " + str(fault.line) + ": " : std::string()) + what(fault);
}

std::string_view Title::text() const {
  std::string_view view = bytes;
  if (!view.empty() && view.back() == '\r') view.remove_suffix(1);
  return view;
}

Reader::Reader(std::unique_ptr<Source> source) : Reader(std::move(source), Options{}) {}

Reader::Reader(std::unique_ptr<Source> source, Options options) : source_(std::move(source)), options_(options) {
  if (!source_) {
    // A file that could not be opened: its reading fails at once.
    source_ = over_bytes({});
    fault_.kind = Fault::unreadable;
    fault_.system = "no file to read";
  }
  // A small file needs no more than its size.
  size_ = source_->size();
  const std::size_t size = size_ >= 0 ? static_cast<std::size_t>(size_) : block;
  capacity_ = std::min(size, block) + margin;
  buffer_.reset(new char[capacity_ + slack]);
  std::memset(buffer_.get(), 0, slack);
}

Reader::Reader(Reader&&) noexcept = default;
Reader& Reader::operator=(Reader&&) noexcept = default;
Reader::~Reader() = default;

bool Reader::fail(Fault::Kind kind, Part part, std::int64_t record, std::int64_t item, std::int64_t limit) {
  if (fault_) return false;  // the first fault stands: a read that failed, say
  fault_.kind = kind;
  fault_.part = part;
  fault_.record = record;
  fault_.item = item;
  fault_.limit = limit;
  // Where the reader stands: the end of the file, a title, the place of a
  // missing drawing.
  fault_.line = kind == Fault::exhausted || (kind == Fault::no_drawing && record < 1) ? 0 : line_;
  return false;
}

// The fault of the last token, or of the end of the file where there was
// none.
bool Reader::fail_token(Part part, std::int64_t record, std::int64_t item, Fault::Kind kind, std::int64_t limit) {
  if (word_.empty()) return fail(Fault::ended, part, record, item, limit);
  if (fault_) return false;
  fail(kind, part, record, item, limit);
  fault_.line = token_line_;
  fault_.token = word_;
  return false;
}

// Keeps the unread bytes, moved to the front, and reads after them until
// the buffer is full or the source ends; false when nothing more came.
bool Reader::fill() {
  if (eof_) return false;
  char* b = buffer_.get();
  const std::size_t kept = end_ - pos_;
  std::memmove(b, b + pos_, kept);
  pos_ = 0;
  end_ = kept;
  const std::size_t before = end_;
  while (end_ < capacity_) {
    const std::int64_t got = source_->read(b + end_, capacity_ - end_);
    if (got <= 0) {
      if (got < 0 && !fault_) {
        fault_.kind = Fault::unreadable;
        fault_.system = source_->failure();
      }
      eof_ = true;
      break;
    }
    end_ += static_cast<std::size_t>(got);
    offset_ += got;
  }
  // A zero after the bytes stops the fast paths' scans (white space and
  // digits) without a bound check.
  std::memset(b + end_, 0, slack);
  return end_ > before;
}

std::string_view Reader::token() {
  for (;;) {
    if (end_ - pos_ < margin && !eof_) fill();
    const char* const b = buffer_.get();
    const char* p = b + pos_;
    const char* const e = b + end_;
    while (p < e && toolkit::space(*p)) {
      line_ += *p == '\n';
      ++p;
    }
    pos_ = static_cast<std::size_t>(p - b);
    if (p == e) {
      if (eof_) return {};
      continue;
    }
    if (static_cast<std::size_t>(e - p) < margin && !eof_) continue;
    const char* const start = p;
    while (p < e && !toolkit::space(*p)) ++p;
    // Longer than any number: cut, as the suite's line reads cut it.
    const std::size_t length = std::min(static_cast<std::size_t>(p - start), toolkit::token_limit + 1);
    pos_ = static_cast<std::size_t>(start - b) + length;
    token_line_ = line_;
    return {start, length};
  }
}

// The fast paths take a number that ends in white space inside the buffer:
// the zero after the buffer is none, so that a number that the buffer cuts
// goes to token(), which reads on. Any other word goes there too, to the
// toolkit's conversions of the record tokens.
inline bool Reader::next_int(std::int64_t& value) {
  const char* const b = buffer_.get();
  std::int64_t line = line_;
  // Node numbers of five digits or more stand one blank apart: that is
  // tried first, without waiting for the scan of the blanks.
  const char* const at = b + pos_;
  const char* const start = at[0] == ' ' && digit(at[1]) ? at + 1 : skip_space(at, line);
  const bool negative = *start == '-';
  const char* p = start + (negative || *start == '+');
  std::uint64_t v = 0;
  std::ptrdiff_t digits = 0;
  p = scan_digits(p, v, digits);
  // Eighteen digits cannot overflow.
  if (digits >= 1 && digits <= 18 && toolkit::space(*p)) {
    pos_ = static_cast<std::size_t>(p - b);
    line_ = token_line_ = line;
    word_ = {start, static_cast<std::size_t>(p - start)};
    value = negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
    return true;
  }
  pos_ = static_cast<std::size_t>(start - b);
  line_ = line;
  word_ = token();
  return toolkit::recint(word_, value);
}

inline bool Reader::next_real(double& value) {
  const char* const b = buffer_.get();
  std::int64_t line = line_;
  const char* const start = skip_space(b + pos_, line);
  const bool negative = *start == '-';
  const char* p = start + (negative || *start == '+');
  std::uint64_t m = 0;
  std::ptrdiff_t digits = 0;
  p = scan_digits(p, m, digits);
  std::ptrdiff_t decimals = 0;
  if (*p == '.') p = scan_digits(p + 1, m, decimals);
  digits += decimals;
  int scale = -static_cast<int>(decimals);
  if (*p == 'e' || *p == 'E') {
    const bool down = p[1] == '-';
    const toolkit::DigitRun exponent = toolkit::digit_run(p + 1 + (down || p[1] == '+'));
    // Longer exponents take the general path.
    scale = exponent.length >= 1 && exponent.length <= 4
                ? scale + (down ? -1 : 1) * static_cast<int>(exponent.value)
                : toolkit::exact_power + 1;
    p += 1 + (down || p[1] == '+') + exponent.length;
  }
  double v;
  // Nineteen digits stay below 2^64; exactreal tells whether they are exact.
  if (digits >= 1 && digits <= 19 && toolkit::space(*p) && toolkit::exactreal(m, scale, v)) {
    pos_ = static_cast<std::size_t>(p - b);
    line_ = token_line_ = line;
    word_ = {start, static_cast<std::size_t>(p - start)};
    value = negative ? -v : v;
    return true;
  }
  pos_ = static_cast<std::size_t>(start - b);
  line_ = line;
  word_ = token();
  return toolkit::recreal(word_, value) && std::isfinite(value);
}

bool Reader::title(Title& into, Part part) {
  into.bytes.clear();
  into.ended = false;
  const std::size_t most = options_.title_read > 0 ? options_.title_read : title_limit + 1;
  if (end_ == pos_ && !fill()) return options_.title_read > 0 && !fault_ ? true : fail(Fault::ended, part, 0, 0);
  for (;;) {
    const char* const b = buffer_.get();
    const std::size_t room = most - into.bytes.size();
    const std::size_t look = std::min(end_ - pos_, room);
    const void* lf = std::memchr(b + pos_, '\n', look);
    const std::size_t stop = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - b) : pos_ + look;
    into.bytes.append(b + pos_, stop - pos_);
    pos_ = stop;
    if (lf) {
      ++pos_;
      ++line_;
      into.ended = true;
      return true;
    }
    if (into.bytes.size() == most) return options_.title_read > 0 || fail(Fault::long_title, part, 0, 0);
    if (!fill()) return !fault_;
  }
}

bool Reader::counts() {
  std::int64_t values[3];
  for (int k = 0; k < 3; ++k) {
    word_ = token();
    std::int64_t& count = values[k];
    if (word_.empty() || !toolkit::recint(word_, count)) return fail_token(Part::counts, 0, k, Fault::not_integer);
    if (count < 0) return fail_token(Part::counts, 0, k, Fault::negative_count);
    if (!toolkit::fits32(count)) return fail_token(Part::counts, 0, k, Fault::big_count);
  }
  elements_ = values[0];
  nodes_ = values[1];
  specials_ = values[2];
  return true;
}

// The rest of the line of the last record, its line feed included.
void Reader::skip_line() {
  for (;;) {
    const char* const b = buffer_.get();
    if (const void* lf = std::memchr(b + pos_, '\n', end_ - pos_)) {
      pos_ = static_cast<std::size_t>(static_cast<const char*>(lf) - b) + 1;
      ++line_;
      return;
    }
    pos_ = end_;
    if (!fill()) return;
  }
}

// The label and count lines of a drawing, and where its records begin.
bool Reader::drawing_head() {
  if (!title(label_, Part::label) || !counts()) return false;
  element_ = node_ = special_ = 0;
  start_ = place();
  return true;
}

bool Reader::open(std::int64_t drawing) {
  if (drawing < 1) return fail(Fault::no_drawing, Part::header, drawing, 0);
  if (!title(header_, Part::header) || !drawing_head()) return false;
  for (std::int64_t k = 2; k <= drawing; ++k) {
    if (!check()) return false;
    skip_line();
    if (fault_) return false;
    if (end_ == pos_ && !fill()) return fail(Fault::no_drawing, Part::label, drawing, 0, k - 1);
    if (!drawing_head()) return false;
  }
  return true;
}

bool Reader::next() {
  if (!check()) return false;
  skip_line();
  // Nothing but white space after the last drawing ends the file. (White
  // space that fills a whole buffer is passed, its lines counted.)
  for (;;) {
    const char* const b = buffer_.get();
    const char* p = b + pos_;
    const char* const e = b + end_;
    while (p < e && toolkit::space(*p)) ++p;
    if (p < e) break;
    if (end_ - pos_ >= block) {
      line_ += std::count(b + pos_, e, '\n');
      pos_ = end_;
    }
    if (!fill()) {
      // Read to its end.
      line_ += std::count(buffer_.get() + pos_, buffer_.get() + end_, '\n');
      pos_ = end_;
      return false;
    }
  }
  return drawing_head();
}

Reader::Place Reader::place() const {
  return {offset_ - static_cast<std::int64_t>(end_ - pos_), line_, elements_, nodes_, specials_,
          element_, node_, special_};
}

bool Reader::go(const Place& place) {
  if (fault_) return false;
  if (!source_->seek(place.offset)) {
    fault_.kind = Fault::unreadable;
    fault_.system = source_->failure();
    return false;
  }
  offset_ = place.offset;
  pos_ = end_ = 0;
  std::memset(buffer_.get(), 0, slack);
  eof_ = false;
  line_ = place.line;
  elements_ = place.elements;
  nodes_ = place.nodes;
  specials_ = place.specials;
  element_ = place.element;
  node_ = place.node;
  special_ = place.special;
  return true;
}

bool Reader::restart() { return go(start_); }

bool Reader::too_short() const {
  const std::int64_t numbers = 3 * elements_ + 4 * nodes_ + 2 * specials_;
  return size_ >= 0 && numbers > 0 && size_ - start_.offset < 2 * numbers - 1;
}

bool Reader::check() {
  std::span<const std::int64_t> nodes;
  while (element_ < elements_)
    if (!element(nodes)) return false;
  std::array<double, 3> xyz;
  while (node_ < nodes_)
    if (!node(xyz)) return false;
  std::int64_t node = 0;
  while (special_ < specials_)
    if (!special(node)) return false;
  return true;
}

// The next record of a section: its own number, which must be its place.
bool Reader::record(Part part, std::int64_t& done, std::int64_t count, std::int64_t& number) {
  if (fault_) return false;
  if (done >= count) return fail(Fault::exhausted, part, done + 1, 0);
  number = ++done;
  std::int64_t value = 0;
  if (!next_int(value)) return fail_token(part, number, 0, Fault::not_integer, count);
  if (value != number) return fail_token(part, number, 0, Fault::wrong_number, count);
  return true;
}

bool Reader::element(std::span<const std::int64_t>& nodes) {
  std::int64_t number = 0;
  if (!record(Part::element, element_, elements_, number)) return false;
  std::int64_t value = 0;
  std::int64_t count = 0;
  if (!next_int(count)) return fail_token(Part::element, number, 1, Fault::not_integer);
  if (count < 1) return fail_token(Part::element, number, 1, Fault::few_nodes);
  if (count > options_.max_nodes) return fail_token(Part::element, number, 1, Fault::many_nodes, options_.max_nodes);
  // Grown with the nodes read, not with the count announced.
  std::int64_t* row = row_.data();
  for (std::int64_t k = 0; k < count; ++k) {
    if (!next_int(value)) return fail_token(Part::element, number, 2 + k, Fault::not_integer);
    if (value < 1 || value > nodes_) return fail_token(Part::element, number, 2 + k, Fault::node_range, nodes_);
    if (static_cast<std::size_t>(k) == row_.size()) {
      row_.resize(std::max<std::size_t>(32, 2 * row_.size()));
      row = row_.data();
    }
    row[k] = value;
  }
  nodes = {row, static_cast<std::size_t>(count)};
  return true;
}

bool Reader::node(std::array<double, 3>& xyz) {
  std::span<const std::int64_t> nodes;
  while (element_ < elements_)
    if (!element(nodes)) return false;
  std::int64_t number = 0;
  if (!record(Part::node, node_, nodes_, number)) return false;
  // The writers' layout: three fields of 16 bytes, then white space; each
  // read on its own, none waiting for the end of the one before.
  const char* const q = buffer_.get() + pos_;
  if (static_cast<std::size_t>(end_ - pos_) > 48 && toolkit::space(q[48]) && fixed_real(q, xyz[0]) &&
      fixed_real(q + 16, xyz[1]) && fixed_real(q + 32, xyz[2])) {
    pos_ += 48;
    return true;
  }
  for (int axis = 0; axis < 3; ++axis) {
    if (!next_real(xyz[axis])) {
      double any = 0.0;
      const bool real = toolkit::recreal(word_, any);
      return fail_token(Part::node, number, 1 + axis, real ? Fault::not_finite : Fault::not_real);
    }
  }
  return true;
}

bool Reader::special(std::int64_t& node) {
  std::array<double, 3> xyz;
  while (node_ < nodes_)
    if (!this->node(xyz)) return false;
  std::int64_t number = 0;
  if (!record(Part::special, special_, specials_, number)) return false;
  std::int64_t value = 0;
  if (!next_int(value)) return fail_token(Part::special, number, 1, Fault::not_integer);
  if (value < 1 || value > nodes_) return fail_token(Part::special, number, 1, Fault::node_range, nodes_);
  node = value;
  return true;
}

Fault count_line(std::string_view line, std::int64_t (&counts)[3]) {
  const char* p = line.data();
  const char* const last = p + line.size();
  Fault fault;
  fault.part = Part::counts;
  for (int k = 0; k < 3; ++k) {
    while (p != last && toolkit::space(*p)) ++p;
    const char* const end = toolkit::scanint(p, last, counts[k]);
    fault.item = k;
    if (end == nullptr) {
      fault.kind = Fault::not_integer;
      fault.token = std::string(p, static_cast<std::size_t>(std::find_if(p, last, toolkit::space) - p));
      return fault;
    }
    fault.token.assign(p, end);
    if (!toolkit::fits32(counts[k])) fault.kind = Fault::big_count;
    else if (counts[k] < 0) fault.kind = Fault::negative_count;
    if (fault) return fault;
    p = end;
  }
  return {};
}

}  // namespace meshfile
