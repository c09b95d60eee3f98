#include "bridge/records.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "bridge/tokens.hpp"
#include "toolkit/digitrun.hpp"
#include "toolkit/exactreal.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/scanning.hpp"

namespace bridge {

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
// A title line longer than this is no title: the file is no mesh file.
constexpr std::size_t title_limit = std::size_t{1} << 20;

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

}  // namespace

// Where the bytes come from: an open file, or a file held in memory.
struct Records::Source {
  int fd = -1;
  std::string_view bytes;
  ~Source() {
    if (fd >= 0) ::close(fd);
  }
};

Records::Records(std::unique_ptr<Source> source, std::string name, int drawing)
    : source_(std::move(source)), name_(std::move(name)) {
  // A file in memory, or a small file, needs no more than its size.
  struct stat status;
  std::size_t size = block;
  if (source_->fd < 0) {
    size = source_->bytes.size();
    size_ = static_cast<std::int64_t>(size);
  } else if (::fstat(source_->fd, &status) == 0 && S_ISREG(status.st_mode)) {
    size = static_cast<std::size_t>(status.st_size);
    size_ = static_cast<std::int64_t>(status.st_size);
  }
  capacity_ = std::min(size, block) + margin;
  buffer_.reset(new char[capacity_ + slack]);
  std::memset(buffer_.get(), 0, slack);
  if (drawing < 1) fail(0, "drawing " + str(drawing) + " asked: drawings are numbered from 1");
  head(drawing);
}

Records::Records(Records&&) noexcept = default;
Records& Records::operator=(Records&&) noexcept = default;
Records::~Records() = default;

Records Records::open(const std::string& path, int drawing) {
  auto source = std::make_unique<Source>();
  do {
    source->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (source->fd < 0 && errno == EINTR);
  if (source->fd < 0) throw Fault(path + ": " + std::strerror(errno));
  return Records(std::move(source), path, drawing);
}

Records Records::over(std::string_view bytes, const std::string& name, int drawing) {
  auto source = std::make_unique<Source>();
  source->bytes = bytes;
  return Records(std::move(source), name, drawing);
}

void Records::fail(std::int64_t line, const std::string& what) const {
  throw Fault(name_ + ": " + (line > 0 ? "line " + str(line) + ": " : std::string()) + what);
}

void Records::ended(const std::string& due) const { fail(line_, "the file ends where " + due + " is due"); }

// Keeps the unread bytes, moved to the front, and reads after them until
// the buffer is full or the file ends; false when nothing more came.
bool Records::fill() {
  if (eof_) return false;
  char* b = buffer_.get();
  const std::size_t kept = end_ - pos_;
  std::memmove(b, b + pos_, kept);
  pos_ = 0;
  end_ = kept;
  const std::size_t before = end_;
  while (end_ < capacity_) {
    std::size_t got = 0;
    if (source_->fd < 0) {
      const std::size_t at = static_cast<std::size_t>(offset_);
      got = std::min(capacity_ - end_, source_->bytes.size() - std::min(at, source_->bytes.size()));
      std::memcpy(b + end_, source_->bytes.data() + at, got);
    } else {
      const ssize_t n = ::read(source_->fd, b + end_, capacity_ - end_);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw Fault(name_ + ": " + std::strerror(errno));
      }
      got = static_cast<std::size_t>(n);
    }
    if (got == 0) {
      eof_ = true;
      break;
    }
    end_ += got;
    offset_ += static_cast<std::int64_t>(got);
  }
  // A zero after the bytes stops the fast paths' scans (white space and
  // digits) without a bound check.
  std::memset(b + end_, 0, slack);
  return end_ > before;
}

std::string_view Records::token() {
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
    // Longer than any number: cut, as rodmesh's reader hands it on.
    const std::size_t length = std::min(static_cast<std::size_t>(p - start), toolkit::token_limit + 1);
    pos_ = static_cast<std::size_t>(start - b) + length;
    token_line_ = line_;
    return {start, length};
  }
}

namespace {

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

// Eight digits, the first in the lowest byte, each taken off '0' (x), as one
// number: the combination of toolkit::digit_run.
inline std::uint64_t eight_digits(std::uint64_t x) {
  x = x * 10 + (x >> 8);
  return ((((x & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
           (((x >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
          32) &
         0xFFFFFFFFULL;
}

// The bytes of a word that are no digit: 0x80 in each, 0 in the others.
inline std::uint64_t no_digits(std::uint64_t x) {
  return (((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL;
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
  const std::uint64_t other = no_digits(x) & 0x0080808080808080ULL;
  const int last = (63 - std::countl_zero(other | 1)) / 8;  // the last byte that is no digit
  const std::uint64_t before = (std::uint64_t{1} << (8 * last + 8)) - 1;  // bytes 0 to last
  const std::uint64_t lead = (head ^ blanks) & before;  // zero but for a minus at byte last
  const bool negative = lead != 0;
  if (r[7] != '.' || no_digits(y) != 0 || (other & 0x0080000000000000ULL) != 0 || other == 0 ||
      (negative && (lead != (std::uint64_t{'-' ^ ' '} << (8 * last)) || last == 0)))
    return false;
  const std::uint64_t whole = eight_digits((x & ~before & 0x00FFFFFFFFFFFFFFULL) << 8);
  const double v = static_cast<double>(whole * 100000000 + eight_digits(y)) / 1e8;
  value = negative ? -v : v;
  return true;
}

}  // namespace

// The fast paths take a token that ends in white space inside the buffer:
// the zero after the buffer is none, so that a token that the buffer cuts
// goes to token(), which reads on.
inline bool Records::next_int(std::int64_t& value) {
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
  return record_int(word_, value);
}

inline bool Records::next_real(double& value) {
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
  double v;
  // Nineteen digits stay below 2^64; exactreal tells whether they are exact.
  if (digits >= 1 && digits <= 19 && toolkit::space(*p) && toolkit::exactreal(m, -static_cast<int>(decimals), v)) {
    pos_ = static_cast<std::size_t>(p - b);
    line_ = token_line_ = line;
    word_ = {start, static_cast<std::size_t>(p - start)};
    value = negative ? -v : v;
    return true;
  }
  pos_ = static_cast<std::size_t>(start - b);
  line_ = line;
  word_ = token();
  return record_real(word_, value) && std::isfinite(value);
}

std::string Records::title(const char* due) {
  if (end_ == pos_ && !fill()) ended(due);
  std::string text;
  for (;;) {
    const char* const b = buffer_.get();
    const void* lf = std::memchr(b + pos_, '\n', end_ - pos_);
    const std::size_t stop = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - b) : end_;
    text.append(b + pos_, stop - pos_);
    if (text.size() > title_limit)
      fail(line_, std::string(due) + " runs over " + str(title_limit) + " bytes: not a mesh file");
    pos_ = stop;
    if (lf) {
      ++pos_;
      break;
    }
    if (!fill()) break;
  }
  ++line_;
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

void Records::head(int drawing) {
  header_ = title("the header line");
  enter();
  for (int k = 2; k <= drawing; ++k)
    if (!next()) fail(line_, "drawing " + str(drawing) + " asked, the file holds " + str(k - 1));
}

void Records::enter() {
  label_ = title("the drawing line");
  std::int64_t counts[3];
  for (std::int64_t& count : counts) {
    const std::string_view word = token();
    if (word.empty()) ended("the count line");
    if (!record_int(word, count))
      fail(token_line_, "the count line must hold three integers: elements, nodes, special nodes (found " +
                            shown(word) + ")");
    if (count < 0) fail(token_line_, "negative count in the count line");
    if (!toolkit::fits32(count)) fail(token_line_, "the count line: count " + shown(word) + " out of range");
  }
  elements_ = counts[0];
  nodes_ = counts[1];
  specials_ = counts[2];
  element_ = node_ = special_ = 0;
  start_offset_ = position();
  start_line_ = line_;
}

bool Records::next() {
  while (element_ < elements_) element();
  while (node_ < nodes_) node();
  while (special_ < specials_) special();
  // The rest of the line of the last record, then the next drawing.
  for (;;) {
    const char* const b = buffer_.get();
    if (const void* lf = std::memchr(b + pos_, '\n', end_ - pos_)) {
      pos_ = static_cast<std::size_t>(static_cast<const char*>(lf) - b) + 1;
      ++line_;
      break;
    }
    pos_ = end_;
    if (!fill()) break;
  }
  if (end_ == pos_ && !fill()) return false;
  enter();
  return true;
}

void Records::restart() {
  if (source_->fd >= 0 && ::lseek(source_->fd, start_offset_, SEEK_SET) < 0)
    throw Fault(name_ + ": " + std::strerror(errno));
  offset_ = start_offset_;
  pos_ = end_ = 0;
  std::memset(buffer_.get(), 0, slack);
  eof_ = false;
  line_ = start_line_;
  element_ = node_ = special_ = 0;
}

bool Records::too_short(std::int64_t numbers) const {
  return size_ >= 0 && numbers > 0 && size_ - start_offset_ < 2 * numbers - 1;
}

void Records::check() {
  restart();
  for (std::int64_t i = 0; i < elements_; ++i) element();
  for (std::int64_t i = 0; i < nodes_; ++i) node();
  for (std::int64_t i = 0; i < specials_; ++i) special();
  restart();
}

// The faults of the records, away from the hot paths: each names the record
// and the line of the faulty token, or of the end of the file.
void Records::bad_number(const char* what, std::string_view word, std::int64_t number, std::int64_t count) const {
  if (word.empty()) ended(std::string(what) + " " + str(number) + " of " + str(count));
  fail(token_line_, std::string(what) + " " + str(number) + " expected, found " + shown(word) +
                        " (records are numbered 1, 2, 3, ... in order)");
}

void Records::bad_count(std::string_view word, std::int64_t number) const {
  const std::string what = "element " + str(number);
  if (word.empty()) ended("the node count of " + what);
  std::int64_t count = 0;
  if (!record_int(word, count)) fail(token_line_, what + ": " + shown(word) + " is not a node count");
  if (count < 1) fail(token_line_, what + ": a node count of " + std::string(word) + " (at least 1)");
  fail(token_line_, what + ": a node count of " + std::string(word) + " (at most " + str(INT32_MAX) + ")");
}

void Records::bad_node(const char* what, std::string_view word, std::int64_t number, std::int64_t k) const {
  const std::string record = std::string(what) + " " + str(number);
  if (word.empty()) ended(k > 0 ? "node " + str(k) + " of " + record : "the node number of " + record);
  std::int64_t value = 0;
  if (!record_int(word, value)) fail(token_line_, record + ": " + shown(word) + " is not a node number");
  fail(token_line_, record + ": node " + std::string(word) + " out of range (1 to " + str(nodes_) + ")");
}

void Records::bad_real(std::string_view word, std::int64_t number, int axis) const {
  const std::string record = "node " + str(number);
  if (word.empty()) ended(std::string("the ") + axes[axis] + " coordinate of " + record);
  fail(token_line_, record + ": " + shown(word) + " is not a finite real number");
}

std::span<const std::int64_t> Records::element() {
  if (element_ >= elements_) throw Fault(name_ + ": no element left to read");
  const std::int64_t number = ++element_;
  std::int64_t value = 0;
  if (!next_int(value) || value != number) bad_number("element", word_, number, elements_);
  std::int64_t count = 0;
  if (!next_int(count) || count < 1 || count > INT32_MAX) bad_count(word_, number);
  // Grown with the nodes read, not with the count announced.
  std::int64_t* row = row_.data();
  for (std::int64_t k = 0; k < count; ++k) {
    if (!next_int(value) || value < 1 || value > nodes_) bad_node("element", word_, number, k + 1);
    if (static_cast<std::size_t>(k) == row_.size()) {
      row_.resize(std::max<std::size_t>(32, 2 * row_.size()));
      row = row_.data();
    }
    row[k] = value;
  }
  return {row, static_cast<std::size_t>(count)};
}

std::array<double, 3> Records::node() {
  while (element_ < elements_) element();
  if (node_ >= nodes_) throw Fault(name_ + ": no node left to read");
  const std::int64_t number = ++node_;
  std::int64_t value = 0;
  if (!next_int(value) || value != number) bad_number("node", word_, number, nodes_);
  std::array<double, 3> xyz;
  // The writers' layout: three fields of 16 bytes, then white space; each
  // read on its own, none waiting for the end of the one before.
  const char* const q = buffer_.get() + pos_;
  if (static_cast<std::size_t>(end_ - pos_) > 48 && toolkit::space(q[48]) && fixed_real(q, xyz[0]) &&
      fixed_real(q + 16, xyz[1]) && fixed_real(q + 32, xyz[2])) {
    pos_ += 48;
    return xyz;
  }
  for (int axis = 0; axis < 3; ++axis)
    if (!next_real(xyz[axis])) bad_real(word_, number, axis);
  return xyz;
}

std::int64_t Records::special() {
  while (node_ < nodes_) node();
  if (special_ >= specials_) throw Fault(name_ + ": no special node left to read");
  const std::int64_t number = ++special_;
  std::int64_t value = 0;
  if (!next_int(value) || value != number) bad_number("special node", word_, number, specials_);
  if (!next_int(value) || value < 1 || value > nodes_) bad_node("special node", word_, number, 0);
  return value;
}

}  // namespace bridge
