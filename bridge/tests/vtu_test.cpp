#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include "bridge/records.hpp"
#include "bridge/vtu.hpp"

namespace {

// The digits after `key` in the text, or "" without it.
std::string after(const std::string& text, const std::string& key) {
  std::size_t at = text.find(key);
  if (at == std::string::npos) return "";
  at += key.size();
  return text.substr(at, text.find('"', at) - at);
}

// The bytes of base64 text, by the book.
std::string decoded(std::string_view text) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0, held = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = bits << 6 | static_cast<unsigned>(alphabet.find(c));
    if ((held += 6) >= 8) out += static_cast<char>(bits >> (held -= 8));
  }
  return out;
}

std::uint64_t word(const std::string& bytes, std::size_t k) {
  std::uint64_t value = 0;
  std::memcpy(&value, bytes.data() + 8 * k, 8);
  return value;
}

// The bytes of the inline array after `key`: one text of its byte count and
// its bytes, or, compressed, one of the blocks' header and one of the blocks.
std::string array(const std::string& file, const std::string& key) {
  std::size_t at = file.find(key);
  if (at == std::string::npos) return "";
  at = file.find('>', at) + 1;
  const std::string text = file.substr(at, file.find('<', at) - at);
  if (file.find("compressor=\"vtkZLibDataCompressor\"") == std::string::npos) {
    const std::string bytes = decoded(text);
    return bytes.substr(8, word(bytes, 0));
  }
  const std::uint64_t blocks = word(decoded(text.substr(0, 32)), 0);
  const std::size_t size = (3 + blocks) * 8;
  const std::string header = decoded(text.substr(0, (size + 2) / 3 * 4));
  const std::string data = decoded(text.substr((size + 2) / 3 * 4));
  std::string out;
  for (std::size_t k = 0, from = 0; k < blocks; from += word(header, 3 + k), ++k) {
    std::string block(word(header, 1), '\0');
    uLongf n = block.size();
    uncompress(reinterpret_cast<Bytef*>(block.data()), &n, reinterpret_cast<const Bytef*>(data.data() + from),
               word(header, 3 + k));
    out.append(block.data(), n);
  }
  return out;
}

// A grid file in one line: its sizes and its arrays.
std::string summary(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text = "P" + after(file, "NumberOfPoints=\"") + " C" + after(file, "NumberOfCells=\"");
  // Each point as x + 2y + 4z: the meshes below have one distinct value a point.
  const std::string points = array(file, "Name=\"Points\"");
  if (!points.empty()) {
    text += " x=";
    for (std::size_t k = 0; k < points.size() / 24; ++k) {
      double xyz[3];
      std::memcpy(xyz, points.data() + k * 24, 24);
      text += std::to_string(static_cast<int>(xyz[0] + 2 * xyz[1] + 4 * xyz[2])) + (k + 1 < points.size() / 24 ? "," : "");
    }
  }
  for (const char* name : {"connectivity", "offsets", "types", "special"}) {
    const std::string bytes = array(file, std::string("Name=\"") + name + "\"");
    if (bytes.empty()) continue;
    text += std::string(" ") + name[0] + "=";
    std::size_t width = std::string(name) == "types" ? 1 : 8;
    for (std::size_t k = 0; k < bytes.size() / width; ++k) {
      std::int64_t value = 0;
      std::memcpy(&value, bytes.data() + k * width, width);
      text += std::to_string(value) + (k + 1 < bytes.size() / width ? "," : "");
    }
  }
  return text;
}

// A folder of the test's own, removed with what it holds.
struct Folder {
  std::string path;
  Folder() {
    std::string name = ::testing::TempDir() + "vtu_test.XXXXXX";
    path = std::string(::mkdtemp(name.data())) + "/";
  }
  ~Folder() { std::filesystem::remove_all(path); }
};

const std::string mesh =
    "H\nD\n3 6 1\n1 2 1 2\n2 6 1 2 3 4 5 6\n3 2 5 6\n"
    "1 0 0 0\n2 1 0 0\n3 0 1 0\n4 0 0 1\n5 1 0 1\n6 0 1 1\n1 6\n";

struct Case {
  int pieces;
  std::set<std::string> keep;
  std::string text;                  // the mesh file
  std::vector<std::string> grids;    // each file written, or the fault
};

TEST(Vtu, WritesCellsAndWindowsOrFailsLeavingNothing) {
  std::string bad_node = mesh;
  bad_node.replace(bad_node.find("\n4 0 0 1\n"), 9, "\n4 0 x 1\n");
  const Case cases[] = {
      {0, {}, mesh, {"P6 C3 x=0,1,2,4,5,6 c=0,1,0,2,1,3,5,4,4,5 o=2,8,10 t=3,13,3 s=-1,-1,-1,-1,-1,0"}},
      {2, {}, mesh, {"P2 C1 x=0,1 c=0,1 o=2 t=3 s=-1,-1", "P6 C2 x=0,1,2,4,5,6 c=0,2,1,3,5,4,4,5 o=6,8 t=13,3 s=-1,-1,-1,-1,-1,0"}},
      {3, {}, mesh, {"P2 C1 x=0,1 c=0,1 o=2 t=3 s=-1,-1", "P6 C1 x=0,1,2,4,5,6 c=0,2,1,3,5,4 o=6 t=13 s=-1,-1,-1,-1,-1,0",
                     "P2 C1 x=5,6 c=0,1 o=2 t=3 s=-1,0"}},
      {0, {"line"}, mesh, {"P6 C2 x=0,1,2,4,5,6 c=0,1,4,5 o=2,4 t=3,3 s=-1,-1,-1,-1,-1,0"}},
      {2, {"line"}, mesh, {"P2 C1 x=0,1 c=0,1 o=2 t=3 s=-1,-1", "P2 C1 x=5,6 c=0,1 o=2 t=3 s=-1,0"}},
      {4, {}, mesh, {"--pieces 4: more pieces than the 3 cells to write"}},
      {0, {"tetra", "line"}, mesh, {"--cells: no cells of type tetra in the mesh (it holds line, wedge)"}},
      {0, {}, bad_node, {"in.zmf: line 10: node 4: 'x' is not a finite real number"}},
      {2, {}, bad_node, {"in.zmf: line 10: node 4: 'x' is not a finite real number"}},
      // Counts far beyond what the file holds: its own fault, before any output is laid out.
      {0, {}, "H\nD\n1 2147483647 0\n1 2 1 2\n1 0 0 0\n", {"in.zmf: line 6: the file ends where node 2 of 2147483647 is due"}},
  };
  const Folder folder;
  const std::string& dir = folder.path;
  // An output laid out for counts that the file cannot hold would pass its
  // size: that write then fails (EFBIG) instead of ending the process.
  rlimit was{};
  getrlimit(RLIMIT_FSIZE, &was);
  rlimit small = was;
  small.rlim_cur = std::min<rlim_t>(was.rlim_cur, rlim_t{16} << 20);
  setrlimit(RLIMIT_FSIZE, &small);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  for (const Case& c : cases) for (int level : {0, 6}) {
    std::ofstream(dir + "in.zmf", std::ios::binary) << c.text;
    bridge::vtu::Options options;
    options.pieces = c.pieces;
    options.keep = c.keep;
    options.compression = level;
    const std::string out = dir + (c.pieces ? "out.pvtu" : "out.vtu");
    std::vector<std::string> files = {out};
    for (int k = 1; k <= c.pieces; ++k) files.push_back(bridge::vtu::piece_path(out, k));
    // Earlier outputs of the same names, which only a whole conversion replaces.
    for (const std::string& file : files) std::ofstream(file, std::ios::binary) << "old";
    std::vector<std::string> got;
    try {
      bridge::vtu::convert(dir + "in.zmf", out, options);
      for (std::size_t k = c.pieces ? 1 : 0; k < files.size(); ++k) got.push_back(summary(files[k]));
    } catch (const bridge::Fault& fault) {
      std::string what = fault.what();
      got.push_back(what.substr(what.find(dir) == 0 ? dir.size() : 0));
      for (const std::string& file : files) {
        std::ifstream kept(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old") << file;
        EXPECT_FALSE(std::ifstream(file + ".part" + std::to_string(getpid())).good()) << file << " left behind";
      }
    }
    EXPECT_EQ(got, c.grids) << "pieces " << c.pieces << ", compression " << level;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), std::ptrdiff_t(files.size()) + 1)
        << "scratch files left";
    for (const std::string& file : files) std::remove(file.c_str());
  }
  std::signal(SIGXFSZ, previous);
  setrlimit(RLIMIT_FSIZE, &was);
}

TEST(Vtu, NamesPiecesBesideThePvtu) {
  const std::pair<const char*, const char*> cases[] = {
      {"job.pvtu", "job_2.vtu"}, {"dir.v/job.pvtu", "dir.v/job_2.vtu"}, {"dir.v/job", "dir.v/job_2.vtu"}};
  for (const auto& [pvtu, piece] : cases) EXPECT_EQ(bridge::vtu::piece_path(pvtu, 2), piece);
}

}  // namespace

namespace {

TEST(Vtu, RefusesToWriteOverItsInput) {
  const Folder folder;
  const std::string& dir = folder.path;
  // The input's name, the output's, the pieces.
  const std::tuple<const char*, const char*, int> cases[] = {
      {"in.zmf", "in.zmf", 0}, {"x_2.vtu", "x.pvtu", 2}, {"x.pvtu", "x.pvtu", 1}};
  for (const auto& [in, out, pieces] : cases) {
    std::ofstream(dir + in, std::ios::binary) << mesh;
    bridge::vtu::Options options;
    options.pieces = pieces;
    EXPECT_THROW(bridge::vtu::convert(dir + in, dir + out, options), bridge::Fault) << in;
    std::ifstream kept(dir + in, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), mesh) << in;
    std::remove((dir + in).c_str());
  }
}

}  // namespace

namespace {

TEST(Vtu, StopsWhenInterruptedLeavingNothing) {
  const Folder folder;
  const std::string& dir = folder.path;
  std::ofstream(dir + "in.zmf", std::ios::binary) << mesh;
  bridge::vtu::Options options;
  for (int pieces : {0, 2}) {
    options.pieces = pieces;
    const std::string out = dir + (pieces ? "out.pvtu" : "out.vtu");
    bridge::vtu::interrupt(true);
    EXPECT_THROW(bridge::vtu::convert(dir + "in.zmf", out, options), bridge::Fault);
    bridge::vtu::interrupt(false);
    EXPECT_FALSE(std::ifstream(out).good());
    EXPECT_FALSE(std::ifstream(bridge::vtu::piece_path(out, 1)).good());
  }
  std::remove((dir + "in.zmf").c_str());
}

}  // namespace
