#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/orders.hpp"
#include "bridge/records.hpp"
#include "bridge/zmfwrite.hpp"
#include "tests/harness/e2e.hpp"

namespace {

// The records of a drawing in one line: titles, elements, nodes, specials;
// or the fault's message.
std::string summary(bridge::Records records) {
  std::string text = records.header() + "|" + records.label() + "|";
  for (std::int64_t i = 0; i < records.elements(); ++i) {
    for (const std::int64_t node : records.element()) text += std::to_string(node) + ",";
    text += ";";
  }
  for (std::int64_t i = 0; i < records.nodes(); ++i) {
    const auto xyz = records.node();
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%g %g %g;", xyz[0], xyz[1], xyz[2]);
    text += buffer;
  }
  for (std::int64_t i = 0; i < records.specials(); ++i) text += std::to_string(records.special()) + ";";
  return text;
}

std::string read(const std::string& file, int drawing) {
  try {
    return summary(bridge::Records::over(file, "f", drawing));
  } catch (const bridge::Fault& fault) {
    return fault.what();
  }
}

const std::string first = "H\r\nD1\r\n 1 2 0\n 1 2 1\n 2\n 1 0 0 0\n 2 1.5 -2 3e2\n";

TEST(Records, ReadOrRefused) {
  struct Case {
    std::string file;
    int drawing;
    std::string expected;
  };
  const Case cases[] = {
      {first, 1, "H|D1|1,2,;0 0 0;1.5 -2 300;"},
      {first + "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 1\n", 2, "H|D2|1,;5 -0 5;1;"},
      {first + "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 1\n", 3, "f: line 13: drawing 3 asked, the file holds 2"},
      {first, 0, "f: drawing 0 asked: drawings are numbered from 1"},
      {"H\nD\n1 1 3000000000\n", 1, "f: line 3: the count line: count '3000000000' out of range"},
      {"H\nD\n1 1 0\n1 x 1\n", 1, "f: line 4: element 1: 'x' is not a node count"},
      {"H\nD\n1 1 0\n1 1 1\n1 0 1e999 0\n", 1, "f: line 5: node 1: '1e999' is not a finite real number"},
      {"H\nD\n1 1 0\n1 1 1\n1 0 0\n", 1, "f: line 6: the file ends where the z coordinate of node 1 is due"},
      {"H\nD\n1 1 0\n1 1 " + std::string(1200, '1') + "\n", 1,
       "f: line 4: element 1: '1111111111111111111111111111111111111...' is not a node number"},
      {"H\nD\n1 1 1\n1 1 1\n1 0 0 0\n1 1.0\n", 1, "f: line 6: special node 1: '1.0' is not a node number"},
      {"H\nD\n0 1 0\n1 0 0 0\n\x01", 1, "H|D|0 0 0;"},
      {"H\nD\n0 1 0\n1\x01 0 0 0\n", 1,
       "f: line 4: node 1 expected, found '1\\x01' (records are numbered 1, 2, 3, ... in order)"},
  };
  for (const Case& c : cases) EXPECT_EQ(read(c.file, c.drawing), c.expected) << c.file;
}

// Every drawing through next(), each read up to its first element only: the
// rest is read and checked on the way to the next drawing.
std::string drawings(const std::string& file) {
  try {
    bridge::Records records = bridge::Records::over(file, "f", 1);
    std::string text;
    do {
      text += records.label() + ":" + std::to_string(records.elements()) + ";";
      if (records.elements() > 0) records.element();
    } while (records.next());
    return text + std::to_string(records.position()) + "/" + std::to_string(records.size());
  } catch (const bridge::Fault& fault) {
    return fault.what();
  }
}

TEST(Records, EveryDrawingInTurn) {
  const std::string second = "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 1\n";
  const std::string three = first + second + "D3\n0 0 0";
  const std::string size = std::to_string(three.size());
  const std::pair<std::string, std::string> cases[] = {
      {three, "D1:1;D2:1;D3:0;" + size + "/" + size},
      {first + "D2\n1 1 1\n1 1 1\n1 +5 -0.0 .5e1\n1 2\n", "f: line 12: special node 1: node 2 out of range (1 to 1)"},
      {first + "\n", "f: line 9: the file ends where the count line is due"},
  };
  for (const auto& [file, expected] : cases) EXPECT_EQ(drawings(file), expected) << file;
}

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

  // In the test's own folder: tests that run side by side share no file.
  const harness::Scratch scratch;
  const std::string path = scratch.path("records.zmf");
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
      bridge::ZmfWriter again(records.header(), records.label(),
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
