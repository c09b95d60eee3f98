#include "rodmesh/meshwrite.hpp"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "toolkit/diagnostics.hpp"
#include "toolkit/fileowner.hpp"
#include "toolkit/filename.hpp"
#include "toolkit/numfmt.hpp"
#include "toolkit/output.hpp"
#include "toolkit/platform.hpp"

namespace rodmesh {

namespace {

constexpr const char* generic_name = "jobname_th.zmf";

// Lines are formatted into a large block that goes to the file whole. A
// failed write stops the run at once rather than formatting the rest of a
// file that cannot be kept.
class Block {
 public:
  explicit Block(std::FILE* file) : file_(file), data_(new char[size]), end_(data_.get()) {}

  // Room for the longest line: a node line of three reals at their widest.
  char* room() {
    if (static_cast<std::size_t>(end_ - data_.get()) > size - reserve) flush();
    return end_;
  }
  void advance(char* end) { end_ = end; }

  void flush() {
    const std::size_t n = static_cast<std::size_t>(end_ - data_.get());
    if (n > 0 && std::fwrite(data_.get(), 1, n, file_) != n) toolkit::errmsg(std::string("Error writing file - ") + generic_name);
    end_ = data_.get();
  }

 private:
  static constexpr std::size_t size = std::size_t{1} << 20;
  static constexpr std::size_t reserve = 4 * toolkit::fixed_room;
  std::FILE* file_;
  std::unique_ptr<char[]> data_;
  char* end_;
};

char* put(char* out, const char* text) {
  const std::size_t n = std::strlen(text);
  std::memcpy(out, text, n);
  return out + n;
}

}  // namespace

void wrmesh(std::string_view job, const Titles& titles, const Mesh& mesh) {
  using toolkit::putfix;
  using toolkit::putint;
  const std::string name = toolkit::mkname(job, "_th.zmf");
  std::printf("\nWriting file: %s\n", name.c_str());
  toolkit::FileOwner owner(toolkit::platform::openout(name, true));
  if (!owner) toolkit::errmsg(std::string("Unable to open output file - ") + generic_name);
  std::FILE* file = owner.get();

  std::fprintf(file, "%s\n%s\n", titles.header.c_str(), titles.drawing.c_str());
  std::fprintf(file, "%5d   %5d   %5d\n", mesh.ne, mesh.nn, mesh.ns);

  Block block(file);
  // The matrices are walked as the single runs they are: row after row, no
  // row handle read per line.
  const std::int32_t* nodes = mesh.lnods[1].data();
  for (int i = 1; i <= mesh.ne; ++i, nodes += mesh.width) {
    char* p = block.room();
    p = putint(p, i, 5);
    *p++ = ' ';
    const int count = mesh.nnode[i];
    p = putint(p, count, 5);
    p = put(p, "   ");
    for (int k = 0; k < count; ++k) {
      *p++ = ' ';
      p = putint(p, nodes[k], 5);
    }
    *p++ = '\n';
    block.advance(p);
  }
  const double* xyz = mesh.coord[1].data();
  for (int i = 1; i <= mesh.nn; ++i, xyz += ncoor) {
    char* p = block.room();
    p = putint(p, i, 5);
    for (int j = 0; j < ncoor; ++j) {
      *p++ = ' ';
      p = putfix(p, xyz[j], 15, 8);
    }
    *p++ = '\n';
    block.advance(p);
  }
  for (int i = 1; i <= mesh.ns; ++i) {
    char* p = block.room();
    p = putint(p, i, 5);
    *p++ = ' ';
    p = putint(p, mesh.spnod[i], 5);
    *p++ = '\n';
    block.advance(p);
  }
  block.flush();
  toolkit::closeout(owner.release(), generic_name);
}

}  // namespace rodmesh
