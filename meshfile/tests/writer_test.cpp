// The writer of a drawing held in arrays, and the reader on what it wrote:
// a file of many records over more than one block of reading, read from a
// file and from memory, twice each, written again byte for byte.

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "meshfile/cells.hpp"
#include "meshfile/reader.hpp"
#include "meshfile/writer.hpp"

namespace {

std::string written(meshfile::Writer writer) {
  std::string file;
  std::vector<char> buffer(writer.room());
  while (const std::size_t n = writer.chunk(buffer)) file.append(buffer.data(), n);
  return file;
}

TEST(MeshfileWriter, LargeFileReadAndWrittenBack) {
  const std::span<const int> quad8 = meshfile::kind_named("quad8")->file;
  const std::int64_t nodes = 120000;
  std::vector<std::int64_t> cells;
  std::vector<double> points;
  for (std::int64_t i = 0; i < nodes; ++i) {
    cells.insert(cells.end(), {i, (i * 7 + 3) % nodes, (i * 13 + 5) % nodes, (i + 1) % nodes, i, i, i, i});
    points.insert(points.end(), {i * 0.001, -1e5 + i, 123456.123456789 / (i + 1)});
  }
  const std::vector<std::int64_t> specials{nodes - 1, 0};
  const std::string header = "Header";
  const std::string file = written(meshfile::Writer(&header, "LABEL",
                                                    {{cells.data(), nodes / 2, 8, quad8},
                                                     {cells.data() + nodes / 2 * 8, nodes / 4, 16, {}}},
                                                    points.data(), nodes, specials.data(), 2));
  ASSERT_GT(file.size(), std::size_t{8} << 20);
  const std::string start =
      "Header\nLABEL\n90000   120000       2\n    1     8        1     1     4     1     6     1     2     1\n";
  EXPECT_EQ(file.substr(0, start.size()), start);

  // A name of its own: the plain and the sanitizer build may run it at once.
  const std::string path = testing::TempDir() + "meshfile_writer_test_" + std::to_string(std::random_device{}()) + ".zmf";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  for (bool from_file : {true, false}) {
    std::string why;
    meshfile::Reader reader(from_file ? meshfile::open_file(path, why) : meshfile::over_bytes(file));
    ASSERT_TRUE(reader.open());
    for (int pass = 0; pass < 2; ++pass, reader.restart()) {
      std::vector<std::int64_t> read_cells;
      std::vector<double> read_points;
      std::vector<std::int64_t> read_specials;
      std::span<const std::int64_t> row;
      std::int64_t e = 0;
      for (; e < nodes / 2; ++e) {
        ASSERT_TRUE(reader.element(row));
        for (std::size_t k = 0; k < 8; ++k) read_cells.push_back(row[static_cast<std::size_t>(quad8[k])] - 1);
      }
      for (; e < reader.elements(); ++e) {
        ASSERT_TRUE(reader.element(row));
        for (const std::int64_t node : row) read_cells.push_back(node - 1);
      }
      std::array<double, 3> xyz;
      for (std::int64_t i = 0; i < reader.nodes(); ++i) {
        ASSERT_TRUE(reader.node(xyz));
        read_points.insert(read_points.end(), xyz.begin(), xyz.end());
      }
      std::int64_t node = 0;
      for (std::int64_t i = 0; i < reader.specials(); ++i) {
        ASSERT_TRUE(reader.special(node));
        read_specials.push_back(node - 1);
      }
      const std::string again = std::string(reader.header().text());
      const std::string copy =
          written(meshfile::Writer(&again, std::string(reader.label().text()),
                                   {{read_cells.data(), nodes / 2, 8, quad8},
                                    {read_cells.data() + nodes / 2 * 8, nodes / 4, 16, {}}},
                                   read_points.data(), nodes, read_specials.data(), 2));
      EXPECT_TRUE(copy == file) << "from a file: " << from_file << ", pass " << pass;
    }
  }
  std::remove(path.c_str());
}

}  // namespace
