#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/orders.hpp"
#include "bridge/records.hpp"
#include "bridge/zmfwrite.hpp"

namespace {

// A drawing of many records, over more than one block of reading, read from
// a file and from memory, twice each, and written again byte for byte.
TEST(Records, LargeFileReadAndWrittenBack) {
  const std::int64_t nodes = 120000;
  std::vector<std::int64_t> cells;
  std::vector<double> points;
  for (std::int64_t i = 0; i < nodes; ++i) {
    cells.insert(cells.end(), {i, (i * 7 + 3) % nodes, (i * 13 + 5) % nodes, (i + 1) % nodes, i, i, i, i});
    points.insert(points.end(), {i * 0.001, -1e5 + i, 123456.123456789 / (i + 1)});
  }
  const std::vector<std::int64_t> specials{nodes - 1, 0};
  bridge::ZmfWriter writer("Header", "LABEL",
                           {{cells.data(), nodes / 2, 8, bridge::quad8_positions},
                            {cells.data() + nodes / 2 * 8, nodes / 4, 16, {}}},
                           points.data(), nodes, specials.data(), 2);
  std::string file;
  std::vector<char> buffer(writer.room());
  while (const std::size_t n = writer.chunk(buffer)) file.append(buffer.data(), n);
  ASSERT_GT(file.size(), std::size_t{8} << 20);
  const std::string start =
      "Header\nLABEL\n90000   120000       2\n    1     8        1     1     4     1     6     1     2     1\n";
  EXPECT_EQ(file.substr(0, start.size()), start);

  const std::string path = testing::TempDir() + "bridge_records_test.zmf";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);
  for (bool from_file : {true, false}) {
    bridge::Records records = from_file ? bridge::Records::open(path, 1) : bridge::Records::over(file, path, 1);
    for (int pass = 0; pass < 2; ++pass, records.restart()) {
      std::vector<std::int64_t> read_cells;
      std::vector<double> read_points;
      std::vector<std::int64_t> read_specials;
      std::int64_t e = 0;
      for (; e < nodes / 2; ++e) {
        const auto nodes8 = records.element();
        for (std::int64_t k = 0; k < 8; ++k) read_cells.push_back(nodes8[bridge::quad8_positions[k]] - 1);
      }
      for (; e < records.elements(); ++e)
        for (const std::int64_t node : records.element()) read_cells.push_back(node - 1);
      for (std::int64_t i = 0; i < records.nodes(); ++i) {
        const auto xyz = records.node();
        read_points.insert(read_points.end(), xyz.begin(), xyz.end());
      }
      for (std::int64_t i = 0; i < records.specials(); ++i) read_specials.push_back(records.special() - 1);
      bridge::ZmfWriter again(std::string(records.header()), std::string(records.label()),
                              {{read_cells.data(), nodes / 2, 8, bridge::quad8_positions},
                               {read_cells.data() + nodes / 2 * 8, nodes / 4, 16, {}}},
                              read_points.data(), nodes, read_specials.data(), 2);
      std::string copy;
      while (const std::size_t n = again.chunk(buffer)) copy.append(buffer.data(), n);
      EXPECT_TRUE(copy == file) << "from a file: " << from_file << ", pass " << pass;
    }
  }
  std::remove(path.c_str());
}

}  // namespace
