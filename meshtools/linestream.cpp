#include "meshtools/linestream.hpp"

#include <cstring>

#include "toolkit/diagnostics.hpp"

namespace meshtools {

namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

}  // namespace

void put(std::FILE* out, const char* data, std::size_t size, std::string_view out_name) {
  if (out == nullptr || size == 0) return;
  if (std::fwrite(data, 1, size, out) != size) toolkit::errmsg("Error writing file - " + std::string(out_name));
}

LineStream::LineStream(std::FILE* in, std::string generic_name)
    : in_(in), name_(std::move(generic_name)), buffer_(new char[buffer_size]) {}

bool LineStream::fill() {
  if (pos_ < end_) return true;
  pos_ = 0;
  end_ = std::fread(buffer_.get(), 1, buffer_size, in_);
  if (end_ == 0 && std::ferror(in_)) toolkit::errmsg("Error reading file - " + name_);
  return end_ > 0;
}

bool LineStream::more() { return fill(); }

bool LineStream::getline(std::string& line, std::size_t limit) {
  line.clear();
  if (!fill()) return false;
  ++lines_;
  while (fill()) {
    const char* start = buffer_.get() + pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
    const std::size_t take = lf ? static_cast<std::size_t>(lf - start) + 1 : end_ - pos_;
    text(start, take);
    if (line.size() + take > limit) toolkit::errmsg("Line too long", message_line());
    line.append(start, take);
    pos_ += take;
    if (lf) break;
  }
  return true;
}

void LineStream::text(const char* from, std::size_t size) {
  if (size == 0) return;
  const char* end = from + size;
  auto line_end = [](char c) { return c == '\r' || c == '\n'; };
  bool lone = last_ == '\r' && !line_end(from[0]);
  for (const char* cr = from; !lone && (cr = static_cast<const char*>(std::memchr(cr, '\r', end - cr))); ++cr)
    lone = cr + 1 < end && !line_end(cr[1]);
  if (lone) toolkit::errmsg("Carriage return inside a line (line ends must be LF or CR LF)", message_line());
  last_ = end[-1];
}

std::int64_t LineStream::copy_lines(std::int64_t n, std::FILE* out, std::string_view out_name) {
  return copy(n, out, out_name, false);
}

std::int64_t LineStream::copy_title(std::FILE* out, std::string_view out_name) { return copy(1, out, out_name, true); }

std::int64_t LineStream::copy(std::int64_t n, std::FILE* out, std::string_view out_name, bool text_line) {
  std::int64_t copied = 0;
  bool open_line = false;  // inside a line whose end is not yet read
  while (copied < n && fill()) {
    const char* start = buffer_.get() + pos_;
    const char* p = start;
    const char* stop = buffer_.get() + end_;
    while (copied < n && p < stop) {
      if (!open_line) ++lines_;
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
      if (lf == nullptr) {
        open_line = true;
        p = stop;
        break;
      }
      open_line = false;
      p = lf + 1;
      ++copied;
    }
    if (text_line) text(start, static_cast<std::size_t>(p - start));
    put(out, start, static_cast<std::size_t>(p - start), out_name);
    pos_ += static_cast<std::size_t>(p - start);
    if (p > start) last_ = p[-1];
  }
  // A last line without line end.
  if (open_line) ++copied;
  return copied;
}

void LineStream::copy_rest(std::FILE* out, std::string_view out_name) {
  while (fill()) {
    put(out, buffer_.get() + pos_, end_ - pos_, out_name);
    pos_ = end_;
    last_ = buffer_[end_ - 1];
  }
}

}  // namespace meshtools
