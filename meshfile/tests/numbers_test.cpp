#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "meshfile/reader.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/scanning.hpp"

namespace {

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Border tokens, then the writer's "%.8f" of values of every magnitude and
// words of random digits, point and exponent.
std::vector<std::string> tokens() {
  std::vector<std::string> list = {
      "0", "-0", "+0.0", "-0.00000000", "1", "+7", "-", "+", ".", "-.5", "5.", "1e22", "1e23", "1e-22", "1e-23",
      "9007199254740992", "9007199254740993", "9007199254740993.0", "900719925474099.3e1", "12345678901234567890",
      "9999999999999999999", "99999999999999999999", "9223372036854775807", "9223372036854775808",
      "-9223372036854775809", "123456789012345678", "1234567890123456789", "0000000000000000000001.5",
      "1.7976931348623157e308", "1.8e308", "1e309", "4.9e-324", "2e-400", "1e0005", "1e00000000000000000022",
      "-123.45678901", "1e", "1e+", "1.5.2", "1e5.0", "0x10", "nan", "inf", "1,5", "2.0", "1E-7", "99999.99999999",
      "0.1", "0.2", "0.3", std::string(toolkit::token_limit, '1'), std::string(toolkit::token_limit + 1, '1'),
      "0." + std::string(toolkit::token_limit - 3, '0') + "1"};
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> exponent(-30.0, 30.0);
  char text[400];
  for (int i = 0; i < 200000; ++i) {
    std::snprintf(text, sizeof text, "%.8f", std::pow(10.0, exponent(random)) * (random() % 2 ? 1 : -1));
    list.push_back(text);
    std::string word = random() % 3 ? "" : "-";
    const int n = static_cast<int>(random() % 22) + 1;
    const int point = static_cast<int>(random() % (n + 2)) - 1;
    for (int k = 0; k < n; ++k) {
      if (k == point) word += '.';
      word += static_cast<char>('0' + random() % 10);
    }
    const int power = static_cast<int>(random() % 61) - 30;
    if (random() % 2) word += (random() % 2 ? "e" : "E+") + std::to_string(power);
    list.push_back(word);
  }
  return list;
}

// The finite reals among them read where they lie in a file, between white
// space of every kind, and in the writers' columns (" %15s"), over more than
// one block of reading: the same bits as the toolkit's conversion, whichever
// path of the reader takes them.
TEST(MeshfileNumbers, SameAsToolkit) {
  std::vector<std::string> reals;
  for (const std::string& token : tokens())
    if (token.size() <= toolkit::token_limit && toolkit::isrecreal(token) && std::isfinite(toolkit::toreal(token)))
      reals.push_back(token);
  const std::size_t nodes = reals.size() / 3;
  const char* const gaps[] = {" ", "\n", "  \t", "\r\n   ", "\v\f "};
  for (const bool columns : {false, true}) {
    std::string file = "H\nD\n0 " + std::to_string(nodes) + " 0\n";
    char field[1100];
    for (std::size_t i = 0; i < 3 * nodes; ++i) {
      if (i % 3 == 0) file += std::to_string(i / 3 + 1);
      std::snprintf(field, sizeof field, columns ? " %15s" : "%s", reals[i].c_str());
      file += (columns ? "" : gaps[(i / 3) % 5]) + std::string(field) + (i % 3 == 2 ? "\n" : "");
    }
    meshfile::Reader reader(meshfile::over_bytes(file));
    ASSERT_TRUE(reader.open());
    std::array<double, 3> xyz;
    for (std::size_t i = 0; i < 3 * nodes; i += 3) {
      ASSERT_TRUE(reader.node(xyz)) << meshfile::describe(reader.fault());
      for (std::size_t j = 0; j < 3; ++j)
        ASSERT_EQ(bits(xyz[j]), bits(toolkit::toreal(reals[i + j]))) << reals[i + j] << (columns ? " in columns" : "");
    }
  }
}

}  // namespace
