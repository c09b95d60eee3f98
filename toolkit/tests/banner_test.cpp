#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/banner.hpp"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Banner, PrintsAnEmptyLineThenTheFifteenRecordsUnscrambled) {
  auto outcome = harness::capture([] { toolkit::prtban(); });
  EXPECT_EQ(outcome.out, harness::banner("sample"));
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.status, 0);
}

TEST(Banner, RecordsAreScrambledWithTheKeyRestartingAtEveryRecord) {
  unsigned char key[toolkit::banner_key_size];
  toolkit::banner_key(key);
  const auto plain = lines_of(harness::banner("sample").substr(1));
  ASSERT_EQ(plain.size(), 15u);
  for (std::size_t r = 0; r < plain.size(); ++r) {
    const unsigned char* stored = toolkit::banner_table + r * toolkit::banner_record_size;
    for (std::size_t i = 0; i < plain[r].size(); ++i)
      ASSERT_EQ(stored[i] ^ key[i % 10], static_cast<unsigned char>(plain[r][i])) << "record " << r + 1;
    EXPECT_EQ(stored[plain[r].size()] ^ key[plain[r].size() % 10], 0) << "record " << r + 1;
    EXPECT_NE(std::memcmp(stored, plain[r].data(), plain[r].size()), 0);
  }
}

// Records 2, 4 to 10 and 14 are the suite's and equal everywhere; 1, 3, 13
// and 15 are each program's own; 11 and 12 name the subsystem.
TEST(Banner, ProgramsShareAndDifferInTheirRecordsAsTheSuiteWants) {
  const std::vector<std::string> programs{"plotcad", "rodmesh", "meshcut", "meshcat"};
  std::vector<std::vector<std::string>> texts;
  for (const auto& p : programs) {
    auto lines = lines_of(harness::banner(p).substr(1));
    ASSERT_EQ(lines.size(), 15u) << p;
    for (const auto& line : lines) EXPECT_LE(line.size(), 79u) << p;
    texts.push_back(lines);
  }
  for (int r : {2, 4, 5, 6, 7, 8, 9, 10, 14})
    for (std::size_t p = 1; p < texts.size(); ++p) EXPECT_EQ(texts[p][r - 1], texts[0][r - 1]) << "record " << r;
  for (int r : {1, 3, 13, 15})
    for (std::size_t p = 0; p < texts.size(); ++p)
      for (std::size_t q = p + 1; q < texts.size(); ++q)
        EXPECT_NE(texts[p][r - 1], texts[q][r - 1]) << "record " << r << " " << programs[p] << " " << programs[q];
  for (int r : {11, 12}) {
    EXPECT_EQ(texts[2][r - 1], texts[3][r - 1]) << "record " << r;
    EXPECT_NE(texts[0][r - 1], texts[1][r - 1]) << "record " << r;
    EXPECT_NE(texts[0][r - 1], texts[2][r - 1]) << "record " << r;
    EXPECT_NE(texts[1][r - 1], texts[2][r - 1]) << "record " << r;
  }
}

// Neither a plain banner line nor the key lies in a built program: the key
// is made at run time, whatever the optimiser folds.
TEST(Banner, NoPlainBannerLineNorTheKeyAppearsInAnExecutable) {
  unsigned char key[toolkit::banner_key_size];
  toolkit::banner_key(key);
  const std::string key_bytes(reinterpret_cast<const char*>(key), sizeof key);
  for (std::string program : {"plotcad", "rodmesh", "meshcut", "meshcat"}) {
    // A program that is missing or empty would pass every check below.
    const std::string file = harness::program_file(program);
    std::ifstream exe(file, std::ios::binary);
    ASSERT_TRUE(exe) << program << ": cannot read " << file;
    std::ostringstream bytes;
    bytes << exe.rdbuf();
    ASSERT_FALSE(bytes.str().empty()) << program << ": empty " << file;
    EXPECT_EQ(bytes.str().find(key_bytes), std::string::npos) << program << ": the key";
    for (const auto& line : lines_of(harness::banner(program).substr(1))) {
      if (line.size() < 8) continue;
      EXPECT_EQ(bytes.str().find(line), std::string::npos) << program << ": " << line;
    }
  }
}

TEST(Banner, GeneratorRefusesTablesThatWouldNotFit) {
  harness::Scratch scratch;
  std::string fourteen;
  for (int k = 0; k < 14; ++k) fourteen += "line\n";
  scratch.write("short.txt", fourteen);
  scratch.write("long.txt", fourteen + std::string(80, 'x') + "\n");
  scratch.write("good.txt", fourteen + std::string(79, 'x') + "\n");
  const std::string gen = PPT_BANNERGEN;
  EXPECT_NE(std::system((gen + " " + scratch.path("short.txt") + " " + scratch.path("a.cpp") + " 2>/dev/null").c_str()), 0);
  EXPECT_NE(std::system((gen + " " + scratch.path("long.txt") + " " + scratch.path("b.cpp") + " 2>/dev/null").c_str()), 0);
  EXPECT_EQ(std::system((gen + " " + scratch.path("good.txt") + " " + scratch.path("c.cpp")).c_str()), 0);
}

}  // namespace
