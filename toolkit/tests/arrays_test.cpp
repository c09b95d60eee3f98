#include <climits>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "tests/harness/capture.hpp"
#include "tests/harness/e2e.hpp"
#include "toolkit/arrays.hpp"

namespace {

using harness::capture;
using harness::error_block;
using toolkit::Mat1;
using toolkit::Vec1;

TEST(Arrays, VectorIsIndexedFromOne) {
  Vec1<double> v;
  toolkit::allod1(v, 3);
  EXPECT_EQ(&v[1], v.data());
  EXPECT_EQ(&v[3], v.data() + 2);
  toolkit::zerod1(v, 3);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(v[i], 0.0);
  toolkit::freed1(v);

  Vec1<std::int32_t> k;
  toolkit::alloi1(k, 4);
  for (int i = 1; i <= 4; ++i) k[i] = 99;
  toolkit::zeroi1(k, 3);
  EXPECT_EQ(k[1], 0);
  EXPECT_EQ(k[3], 0);
  EXPECT_EQ(k[4], 99);
  toolkit::zeroi1(k, 0);
  toolkit::zeroi1(k, -2);
  EXPECT_EQ(k[4], 99);
  toolkit::freei1(k);
}

TEST(Arrays, MatrixRowsLieOneAfterTheOtherInOneBlock) {
  Mat1<double> m;
  toolkit::allod2(m, 3, 4);
  const double* block = m[1].data();
  EXPECT_EQ(&m[1][1], block);
  EXPECT_EQ(&m[2][1], block + 4);
  EXPECT_EQ(&m[3][4], block + 11);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(&m[i][j], block + (i - 1) * 4 + (j - 1));

  for (int n = 0; n < 12; ++n) m[1].data()[n] = 7.0;
  toolkit::zerod2(m, 2, 4);
  for (int n = 0; n < 12; ++n) EXPECT_EQ(block[n], n < 8 ? 0.0 : 7.0) << n;
  toolkit::zerod2(m, 3, 0);
  toolkit::zerod2(m, 0, 4);
  EXPECT_EQ(block[8], 7.0);
  toolkit::zerod2(m, 3, 4);
  for (int n = 0; n < 12; ++n) EXPECT_EQ(block[n], 0.0) << n;
  toolkit::freed2(m);

  Mat1<std::int32_t> k;
  toolkit::alloi2(k, 2, 3);
  EXPECT_EQ(&k[2][3], &k[1][1] + 5);
  toolkit::freei2(k);
}

TEST(Arrays, LargeBlocksKeepTheLayoutAndAreWholeAndWritable) {
  // Blocks of several megabytes take the large-page path; their layout and
  // their one-based interface are those of every other block.
  constexpr int rows = 1500;
  constexpr int columns = 1001;
  Mat1<double> m;
  toolkit::allod2(m, rows, columns);
  for (int i = 1; i <= rows; ++i)
    for (int j = 1; j <= columns; ++j) m[i][j] = i * 10000.0 + j;
  const double* block = m[1].data();
  for (long long n = 0; n < static_cast<long long>(rows) * columns; ++n)
    ASSERT_EQ(block[n], static_cast<double>((n / columns + 1) * 10000 + n % columns + 1)) << n;
  toolkit::zerod2(m, rows, columns);
  EXPECT_EQ(m[rows][columns], 0.0);
  toolkit::freed2(m);

  Mat1<std::int32_t> k;
  toolkit::alloi2(k, 3000, 700);
  EXPECT_EQ(&k[3000][700], &k[1][1] + 3000 * 700 - 1);
  for (int i = 1; i <= 3000; ++i) k[i][700] = i;
  EXPECT_EQ(k[2999][700], 2999);
  toolkit::freei2(k);

  Vec1<double> v;
  toolkit::allod1(v, 2000000);
  toolkit::zerod1(v, 2000000);
  v[2000000] = 1.5;
  EXPECT_EQ(v.data()[1999999], 1.5);
  toolkit::freed1(v);
}

TEST(Arrays, ZeroSizesGiveArraysThatCanBeFreed) {
  Vec1<double> v;
  toolkit::allod1(v, 0);
  EXPECT_TRUE(v);
  toolkit::freed1(v);
  Vec1<std::int32_t> k;
  toolkit::alloi1(k, 0);
  EXPECT_TRUE(k);
  toolkit::freei1(k);
  for (auto [rows, columns] : {std::pair{0, 4}, std::pair{3, 0}, std::pair{0, 0}}) {
    Mat1<double> m;
    toolkit::allod2(m, rows, columns);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m[1]);
    toolkit::freed2(m);
    Mat1<std::int32_t> n;
    toolkit::alloi2(n, rows, columns);
    EXPECT_TRUE(n[1]);
    toolkit::freei2(n);
  }
}

TEST(Arrays, NullHandlesStopTheFreeRoutines) {
  auto stops = [](auto body, const char* message) {
    auto outcome = capture(body);
    EXPECT_EQ(outcome.err, error_block(message));
    EXPECT_EQ(outcome.status, 1);
  };
  stops([] { toolkit::freed1(Vec1<double>{}); }, "freed1: unexpected null pointer");
  stops([] { toolkit::freei1(Vec1<std::int32_t>{}); }, "freei1: unexpected null pointer");
  stops([] { toolkit::freed2(Mat1<double>{}); }, "freed2: unexpected null pointer");
  stops([] { toolkit::freei2(Mat1<std::int32_t>{}); }, "freei2: unexpected null pointer");
  // A matrix handle whose first row handle is null.
  stops(
      [] {
        Vec1<double> rows[1] = {};
        toolkit::freed2(Mat1<double>{rows});
      },
      "freed2: unexpected null pointer");
  stops(
      [] {
        Vec1<std::int32_t> rows[1] = {};
        toolkit::freei2(Mat1<std::int32_t>{rows});
      },
      "freei2: unexpected null pointer");
}

TEST(Arrays, NegativeCountsAreInternalErrors) {
  auto stops = [](auto body, const char* message) {
    auto outcome = capture(body);
    EXPECT_EQ(outcome.err, error_block(message));
    EXPECT_EQ(outcome.status, 1);
  };
  stops([] { Vec1<double> v; toolkit::allod1(v, -1); }, "allod1: internal error 1 (negative count)");
  stops([] { Vec1<std::int32_t> v; toolkit::alloi1(v, INT_MIN); }, "alloi1: internal error 1 (negative count)");
  stops([] { Mat1<double> m; toolkit::allod2(m, -3, 4); }, "allod2: internal error 1 (negative count)");
  stops([] { Mat1<std::int32_t> m; toolkit::alloi2(m, 3, -4); }, "alloi2: internal error 1 (negative count)");
}

// Standard error without the note that AddressSanitizer adds when it gives
// back no memory.
std::string without_sanitizer_note(std::string err) {
  if (err.rfind("==", 0) == 0 && err.find("AddressSanitizer failed to allocate") != std::string::npos)
    err.erase(0, err.find('\n') + 1);
  return err;
}

TEST(Arrays, SizesBeyondTheHeapAreAllocationFailures) {
  // More than the address space can hold: the heap refuses.
  auto outcome = capture([] { Mat1<double> m; toolkit::allod2(m, 65536, INT_MAX); });
  EXPECT_EQ(without_sanitizer_note(outcome.err), error_block("Memory allocation failed"));
  EXPECT_EQ(outcome.status, 1);
  outcome = capture([] { Mat1<std::int32_t> m; toolkit::alloi2(m, 65536, INT_MAX); });
  EXPECT_EQ(without_sanitizer_note(outcome.err), error_block("Memory allocation failed"));
  EXPECT_EQ(outcome.status, 1);
  // INT_MAX squared elements of 8 bytes do not fit a 64-bit size: the
  // product must never wrap to a short block.
  outcome = capture([] { Mat1<double> m; toolkit::allod2(m, INT_MAX, INT_MAX); });
  EXPECT_EQ(outcome.err, error_block("Memory allocation failed"));
  EXPECT_EQ(outcome.status, 1);
}

}  // namespace
