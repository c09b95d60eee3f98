// The two readers of the mesh file's records, rodmesh's (run in a child
// process, where its faults end the process) and the core's, on random and
// mutated files: both take a file or both refuse it, with the same records,
// or with the fault in the same record and of the same kind (the end of the
// file or another). Known differences are named where they are allowed.

#include <bit>
#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/records.hpp"
#include "rodmesh/mesh.hpp"
#include "rodmesh/meshread.hpp"
#include "tests/harness/capture.hpp"
#include "toolkit/files.hpp"
#include "toolkit/reader.hpp"

namespace {

std::string records_text(std::int64_t ne, std::int64_t nn, std::int64_t ns, auto element, auto node, auto special) {
  std::string text = "counts " + std::to_string(ne) + " " + std::to_string(nn) + " " + std::to_string(ns) + "\n";
  for (std::int64_t i = 1; i <= ne; ++i) text += element(i) + "\n";
  char buffer[80];
  for (std::int64_t i = 1; i <= nn; ++i) {
    const auto xyz = node(i);
    std::snprintf(buffer, sizeof buffer, "%016llx %016llx %016llx\n",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(xyz[0])),
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(xyz[1])),
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(xyz[2])));
    text += buffer;
  }
  for (std::int64_t i = 1; i <= ns; ++i) text += std::to_string(special(i)) + "\n";
  return text;
}

// What a reader made of a file: its titles and records, or where it stopped.
struct Verdict {
  bool read = false;
  std::string header, label, records;
  std::string where;  // "head", "element 3", "node 2", "special node 1", "title"
  bool ended = false; // the fault is the end of the file
  std::string said;
};

constexpr const char* marker = "\n@@records@@\n";

Verdict rodmesh_reads(const std::string& file) {
  const std::string path = testing::TempDir() + "readers_agree.zmf";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  const harness::Outcome run = harness::capture([&] {
    const toolkit::FileOwner in = toolkit::openin(path);
    toolkit::Reader reader(in.get(), "jobname.zmf");
    rodmesh::Titles titles;
    rodmesh::Mesh mesh;
    rodmesh::read_head(reader, titles, mesh);
    rodmesh::read_mesh(reader, mesh);
    std::string text = marker + titles.header + "\n" + titles.drawing + "\n";
    text += records_text(
        mesh.ne, mesh.nn, mesh.ns,
        [&](std::int64_t i) {
          std::string row;
          for (int k = 1; k <= mesh.nnode[i]; ++k) row += std::to_string(mesh.lnods[i][k]) + ",";
          return row;
        },
        [&](std::int64_t i) {
          return std::array<double, 3>{mesh.coord[i][1], mesh.coord[i][2], mesh.coord[i][3]};
        },
        [&](std::int64_t i) { return mesh.spnod[i]; });
    std::fwrite(text.data(), 1, text.size(), stdout);
  });
  Verdict verdict;
  verdict.said = run.err;
  if (run.status == 0) {
    const std::string body = run.out.substr(run.out.find(marker) + std::string(marker).size());
    const std::size_t a = body.find('\n');
    const std::size_t b = body.find('\n', a + 1);
    verdict.read = true;
    verdict.header = body.substr(0, a);
    verdict.label = body.substr(a + 1, b - a - 1);
    verdict.records = body.substr(b + 1);
    return verdict;
  }
  std::smatch m;
  static const std::regex at("Reading (element|node|special node) n\\. +([0-9]+)");
  if (run.err.find("Reading the count line") != std::string::npos)
    verdict.where = "head";
  else if (std::regex_search(run.err, m, at))
    verdict.where = m[1].str() + " " + m[2].str();
  else if (run.err.find("elimnl") != std::string::npos)
    verdict.where = "title";
  verdict.ended = run.err.find("Unexpected end of file") != std::string::npos;
  return verdict;
}

Verdict core_reads(const std::string& file) {
  Verdict verdict;
  try {
    bridge::Records records = bridge::Records::over(file, "f", 1);
    verdict.header = records.header();
    verdict.label = records.label();
    verdict.records = records_text(
        records.elements(), records.nodes(), records.specials(),
        [&](std::int64_t) {
          std::string row;
          for (const std::int64_t node : records.element()) row += std::to_string(node) + ",";
          return row;
        },
        [&](std::int64_t) { return records.node(); }, [&](std::int64_t) { return records.special(); });
    verdict.read = true;
  } catch (const bridge::Fault& fault) {
    const std::string said = fault.what();
    verdict.said = said;
    std::smatch m;
    static const std::regex special("special node ([0-9]+)"), element("element ([0-9]+)"), node("node ([0-9]+)");
    if (std::regex_search(said, m, special))
      verdict.where = "special node " + m[1].str();
    else if (std::regex_search(said, m, element))
      verdict.where = "element " + m[1].str();
    else if (std::regex_search(said, m, node))
      verdict.where = "node " + m[1].str();
    else
      verdict.where = "head";
    verdict.ended = said.find("the file ends where") != std::string::npos;
  }
  return verdict;
}

// rodmesh's titles: taken as a zero-terminated text, blanks (not tabs) off
// both ends, cut to length.
std::string trimmed(std::string text, std::size_t limit) {
  text = text.substr(0, text.find('\0'));
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  return text.substr(0, limit);
}

// A random drawing as the writers lay it out or as a person might.
std::string random_file(std::mt19937& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* const gaps[] = {" ", "  ", "\t", "\n", "\r\n", " \n ", "\v", "\f"};
  auto gap = [&] { return std::string(pick(3) ? " " : gaps[pick(8)]); };
  auto real = [&] {
    const double v = (pick(2) ? -1 : 1) * std::ldexp(static_cast<double>(random()), pick(40) - 40);
    char text[64];
    switch (pick(5)) {
      case 0: std::snprintf(text, sizeof text, " %15.8f", v); break;
      case 1: std::snprintf(text, sizeof text, "%g", v); break;
      case 2: std::snprintf(text, sizeof text, "%.17e", v); break;
      case 3: std::snprintf(text, sizeof text, "%d", pick(2000) - 1000); break;
      default: std::snprintf(text, sizeof text, "%+.3f", v); break;
    }
    return std::string(text);
  };
  const char* const titles[] = {"Title", "  spaced title  ", "", "T\r", "LABEL", "a b\tc", "D1"};
  std::string file = std::string(titles[pick(7)]) + "\n" + titles[pick(7)] + "\n";
  const int ne = pick(6), nn = 1 + pick(8), ns = pick(4);
  file += std::to_string(ne) + gap() + std::to_string(nn) + gap() + std::to_string(ns) + "\n";
  for (int i = 1; i <= ne; ++i) {
    const int m = pick(10) ? 1 + pick(4) : 1 + pick(20);
    file += std::to_string(i) + gap() + std::to_string(m);
    for (int k = 0; k < m; ++k) file += gap() + std::to_string(1 + pick(nn));
    file += "\n";
  }
  for (int i = 1; i <= nn; ++i) {
    file += std::to_string(i);
    for (int j = 0; j < 3; ++j) file += gap() + real();
    file += "\n";
  }
  for (int i = 1; i <= ns; ++i) file += std::to_string(i) + gap() + std::to_string(1 + pick(nn)) + "\n";
  return file;
}

void mutate(std::string& file, std::mt19937& random) {
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % std::max<std::size_t>(n, 1)); };
  static const std::string bytes = std::string("0123456789 \n\t-+.eEx") + std::string("\0\r\x01", 3);
  const int changes = 1 + static_cast<int>(pick(3));
  for (int c = 0; c < changes && !file.empty(); ++c) {
    const std::size_t at = pick(file.size());
    switch (pick(5)) {
      case 0: file.erase(at, 1); break;
      case 1: file.insert(at, 1, bytes[pick(bytes.size())]); break;
      case 2: file[at] = bytes[pick(bytes.size())]; break;
      case 3: file.resize(at); break;
      default: file.insert(at, file.substr(pick(file.size()), 1 + pick(6))); break;
    }
  }
}

TEST(ReadersAgree, RandomAndMutatedFiles) {
  std::mt19937 random(26);
  int read = 0, refused = 0;
  for (int n = 0; n < 1500; ++n) {
    std::string file = random_file(random);
    if (n % 3 != 0) mutate(file, random);
    const Verdict a = rodmesh_reads(file);
    const Verdict b = core_reads(file);
    SCOPED_TRACE("file:\n" + file + "\nrodmesh said:" + a.said + "\ncore said: " + b.said);
    // rodmesh takes a title line of at most 999 bytes, with its line feed
    // and no zero byte; the core takes any.
    if (a.where == "title") continue;
    // rodmesh takes elements of up to 20 nodes.
    if (a.said.find("Too many nodes in the element") != std::string::npos) continue;
    ASSERT_EQ(a.read, b.read);
    if (a.read) {
      ++read;
      EXPECT_EQ(a.header, trimmed(b.header, rodmesh::header_length));
      EXPECT_EQ(a.label, trimmed(b.label, rodmesh::drawing_length));
      EXPECT_EQ(a.records, b.records);
    } else {
      ++refused;
      EXPECT_EQ(a.where, b.where);
      EXPECT_EQ(a.ended, b.ended);
    }
  }
  EXPECT_GT(read, 300);
  EXPECT_GT(refused, 300);
}

}  // namespace
