#pragma once
// One drawing of a mesh file, read record by record through meshfile::Reader,
// each fault thrown as one line, "FILE: line N: what is wrong".

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "meshfile/reader.hpp"

namespace bridge {

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

  std::string_view header() const { return reader_.header().text(); }
  std::string_view label() const { return reader_.label().text(); }
  std::int64_t elements() const { return reader_.elements(); }
  std::int64_t nodes() const { return reader_.nodes(); }
  std::int64_t specials() const { return reader_.specials(); }

  std::span<const std::int64_t> element() {
    std::span<const std::int64_t> nodes;
    if (!reader_.element(nodes)) fail();
    return nodes;
  }
  std::array<double, 3> node() {
    std::array<double, 3> xyz;
    if (!reader_.node(xyz)) fail();
    return xyz;
  }
  std::int64_t special() {
    std::int64_t node = 0;
    if (!reader_.special(node)) fail();
    return node;
  }
  void restart() {
    if (!reader_.restart()) fail();
  }
  // The one bound of meshfile::Reader, whatever the numbers given.
  bool too_short(std::int64_t) const { return reader_.too_short(); }
  void check() {
    if (!reader_.check() || !reader_.restart()) fail();
  }

 private:
  Records(meshfile::Reader reader, std::string name) : reader_(std::move(reader)), name_(std::move(name)) {}
  [[noreturn]] void fail() const { throw Fault(name_ + ": " + meshfile::describe(reader_.fault())); }
  static Records opened(meshfile::Reader reader, const std::string& name, int drawing);

  meshfile::Reader reader_;
  std::string name_;
};

}  // namespace bridge
