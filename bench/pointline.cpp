// The point lines of a curve data file read by plotcad's own reading of the
// usual line (fastpair) and by the standard conversion (std::from_chars)
// scanning the same lines in place, after the same syntax check. Both must
// give the same values; the best of five passes of each is printed.
//
//   bench_pointline file.kvd

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "plotcad/pointline.hpp"
#include "toolkit/scanning.hpp"

namespace {

bool digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// The word forms that fastpair takes, converted by the standard conversion.
const char* scanreal(const char* p, double& value) {
  if (*p == '+') ++p;  // the standard conversion takes no plus sign
  const char* const start = p;
  if (*p == '-') ++p;
  const char* const mantissa = p;
  while (digit(*p)) ++p;
  bool any = p != mantissa;
  if (*p == '.') {
    const char* const fraction = ++p;
    while (digit(*p)) ++p;
    any = any || p != fraction;
  }
  if (!any) return nullptr;
  if (*p == 'e' || *p == 'E') {
    ++p;
    if (*p == '+' || *p == '-') ++p;
    const char* const exponent = p;
    while (digit(*p)) ++p;
    if (p == exponent || p - exponent > 3) return nullptr;
  }
  const auto [end, error] = std::from_chars(start, p, value);
  return error == std::errc{} && end == p ? p : nullptr;
}

bool standard_pair(const char* line, double& x, double& y) {
  double first;
  double second;
  const char* p = line;
  while (toolkit::blank(*p)) ++p;
  p = scanreal(p, first);
  if (p == nullptr || !toolkit::blank(*p)) return false;
  while (toolkit::blank(*p)) ++p;
  p = scanreal(p, second);
  if (p == nullptr) return false;
  while (toolkit::blank(*p)) ++p;
  if (!(*p == '\0' || *p == '\n' || *p == '\r' || *p == '#')) return false;
  x = first;
  y = second;
  return true;
}

template <class Pass>
double best_seconds(Pass pass) {
  double best = 1e300;
  for (int k = 0; k < 5; ++k) {
    const auto t0 = std::chrono::steady_clock::now();
    pass();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    if (d.count() < best) best = d.count();
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_pointline file.kvd\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Every line with its line feed.
  std::vector<std::size_t> starts{0};
  for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1))
    starts.push_back(lf + 1);
  if (starts.back() == text.size()) starts.pop_back();
  const std::size_t count = starts.size();
  starts.push_back(text.size());
  text.append(8, '\0');  // the bytes fastpair may read past a line

  std::vector<double> a(2 * count);
  std::vector<double> b(2 * count);
  std::size_t taken_a = 0;
  std::size_t taken_b = 0;
  const double own = best_seconds([&] {
    taken_a = 0;
    for (std::size_t k = 0; k < count; ++k) {
      bool whole = false;
      if (plotcad::fastpair(text.data() + starts[k], starts[k + 1] - starts[k], a[2 * k], a[2 * k + 1], whole))
        ++taken_a;
    }
  });
  const double standard = best_seconds([&] {
    taken_b = 0;
    for (std::size_t k = 0; k < count; ++k)
      if (standard_pair(text.data() + starts[k], b[2 * k], b[2 * k + 1])) ++taken_b;
  });
  if (taken_a != taken_b || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) != 0) {
    std::fprintf(stderr, "bench_pointline: the two readings differ\n");
    return 1;
  }
  const double lines = static_cast<double>(count);
  std::printf("lines: %zu (%zu points)  fastpair %.1f ns/line  from_chars %.1f ns/line  from_chars/fastpair %.2f\n",
              count, taken_a, own / lines * 1e9, standard / lines * 1e9, standard / own);
  return 0;
}
