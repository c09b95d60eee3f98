// Fuzz target: the splitter and the joiner. The input is jobname.zmf; when
// the splitter takes it, its pieces must each be the header line and one
// drawing, and joining them again must give back the input byte for byte.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "meshtools/join.hpp"
#include "meshtools/split.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

std::string piece_name(int k) {
  char name[32];
  std::snprintf(name, sizeof name, "job_%2.2d", k);
  return name;
}

// Removes the pieces of the last input: they are numbered without gaps.
void remove_pieces() {
  for (int k = 1; std::remove((piece_name(k) + ".zmf").c_str()) == 0; ++k) {
  }
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  remove_pieces();
  std::remove("joined.zmf");
  fuzz::write_file("job.zmf", input);
  try {
    meshtools::split("job");
  } catch (const toolkit::Stopped&) {
    return;
  }

  std::vector<std::string> names;
  while (fuzz::exists((piece_name(static_cast<int>(names.size()) + 1) + ".zmf").c_str()))
    names.push_back(piece_name(static_cast<int>(names.size()) + 1));
  const std::size_t lf = input.find('\n');
  const std::string_view header = input.substr(0, lf == std::string_view::npos ? input.size() : lf + 1);
  for (const std::string& name : names) {
    const std::string piece = fuzz::read_file((name + ".zmf").c_str());
    check(piece.compare(0, header.size(), header) == 0 && piece.size() > header.size(),
          "a piece is the header line and a drawing");
  }
  if (names.empty()) {
    check(header.size() == input.size(), "no drawing only behind a lone header line");
    return;
  }

  const std::vector<std::string_view> jobs(names.begin(), names.end());
  try {
    meshtools::join("joined", jobs);
  } catch (const toolkit::Stopped&) {
    check(false, "the joiner stops on the splitter's pieces");
  }
  check(fuzz::read_file("joined.zmf") == input, "split and joined again gives the input");
}
