#include "bridge/records.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "bridge/tokens.hpp"
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
    : source_(std::move(source)),
      name_(std::move(name)),
      buffer_(new char[block + margin + 1]),
      capacity_(block + margin) {
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
  // A blank after the bytes ends the last token without a bound check.
  b[end_] = ' ';
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
    while (!toolkit::space(*p)) ++p;
    // Longer than any number: cut, as rodmesh's reader hands it on.
    const std::size_t length = std::min(static_cast<std::size_t>(p - start), toolkit::token_limit + 1);
    pos_ = static_cast<std::size_t>(start - b) + length;
    token_line_ = line_;
    return {start, length};
  }
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
  for (int k = 1; k <= drawing; ++k) {
    if (k > 1) {
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
      if (end_ == pos_ && !fill())
        fail(line_, "drawing " + str(drawing) + " asked, the file holds " + str(k - 1));
    }
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
    if (nodes_ < 1) fail(token_line_, "the count line: no node (a drawing holds at least one)");
    element_ = node_ = special_ = 0;
    if (k < drawing) {
      while (element_ < elements_) element();
      while (node_ < nodes_) node();
      while (special_ < specials_) special();
    }
  }
  start_offset_ = offset_ - static_cast<std::int64_t>(end_ - pos_);
  start_line_ = line_;
}

void Records::restart() {
  if (source_->fd >= 0 && ::lseek(source_->fd, start_offset_, SEEK_SET) < 0)
    throw Fault(name_ + ": " + std::strerror(errno));
  offset_ = start_offset_;
  pos_ = end_ = 0;
  eof_ = false;
  line_ = start_line_;
  element_ = node_ = special_ = 0;
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
  std::string_view word = token();
  if (!record_int(word, value) || value != number) bad_number("element", word, number, elements_);
  std::int64_t count = 0;
  word = token();
  if (!record_int(word, count) || count < 1 || count > INT32_MAX) bad_count(word, number);
  row_.clear();
  for (std::int64_t k = 1; k <= count; ++k) {
    word = token();
    if (!record_int(word, value) || value < 1 || value > nodes_) bad_node("element", word, number, k);
    row_.push_back(value);
  }
  return row_;
}

std::array<double, 3> Records::node() {
  while (element_ < elements_) element();
  if (node_ >= nodes_) throw Fault(name_ + ": no node left to read");
  const std::int64_t number = ++node_;
  std::int64_t value = 0;
  std::string_view word = token();
  if (!record_int(word, value) || value != number) bad_number("node", word, number, nodes_);
  std::array<double, 3> xyz;
  for (int axis = 0; axis < 3; ++axis) {
    word = token();
    if (!record_real(word, xyz[axis]) || !std::isfinite(xyz[axis])) bad_real(word, number, axis);
  }
  return xyz;
}

std::int64_t Records::special() {
  while (node_ < nodes_) node();
  if (special_ >= specials_) throw Fault(name_ + ": no special node left to read");
  const std::int64_t number = ++special_;
  std::int64_t value = 0;
  std::string_view word = token();
  if (!record_int(word, value) || value != number) bad_number("special node", word, number, specials_);
  word = token();
  if (!record_int(word, value) || value < 1 || value > nodes_) bad_node("special node", word, number, 0);
  return value;
}

}  // namespace bridge
