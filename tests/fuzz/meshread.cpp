// Fuzz target: the mesh file reader of rodmesh and its element values
// reader. The input is jobname.zmf, and after a line "@@eva@@" the element
// values file jobname_a.eva (missing without that line). The arrays are
// allocated by the target at the counts read, as the program does; every
// number read is held against the standard conversion of its token.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "rodmesh/evaread.hpp"
#include "rodmesh/mesh.hpp"
#include "rodmesh/meshread.hpp"
#include "tests/fuzz/support.hpp"
#include "toolkit/arrays.hpp"
#include "toolkit/files.hpp"
#include "toolkit/reader.hpp"
#include "toolkit/stop_fuzz.hpp"

namespace {

using fuzz::check;

constexpr std::string_view separator = "@@eva@@\n";

// Counts beyond these are read but not allocated for: the reader is the
// subject here, not the size of the heap.
constexpr long long max_slots = 1 << 20;

// The tokens after the two title lines, which are line reads of at most 999
// bytes each.
std::vector<std::string> tokens_after_titles(std::string_view text) {
  for (int k = 0; k < 2; ++k) {
    const std::size_t lf = text.substr(0, 999).find('\n');
    text.remove_prefix(lf == std::string_view::npos ? std::min<std::size_t>(999, text.size()) : lf + 1);
  }
  std::vector<std::string> tokens;
  std::size_t p = 0;
  while (p < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[p])) && text[p] != '\0') {
      ++p;
      continue;
    }
    const std::size_t start = p;
    while (p < text.size() && !(std::isspace(static_cast<unsigned char>(text[p])) && text[p] != '\0')) ++p;
    tokens.emplace_back(text.substr(start, p - start));
  }
  return tokens;
}

long long integer(const std::string& token) {
  char* end = nullptr;
  const long long value = std::strtoll(token.c_str(), &end, 10);
  check(end == token.c_str() + token.size() && token.find_first_of(".eE") == std::string::npos,
        "an integer token converts in full");
  return value;
}

double real(const std::string& token) {
  char* end = nullptr;
  const double value = std::strtod(token.c_str(), &end);
  check(end == token.c_str() + token.size(), "a real token converts in full");
  check(std::isfinite(value), "a real read is finite");
  return value;
}

void check_mesh(const rodmesh::Mesh& mesh, const std::vector<std::string>& tokens) {
  std::size_t t = 0;
  auto next = [&]() -> const std::string& {
    check(t < tokens.size(), "the mesh has a token for every number read");
    return tokens[t++];
  };
  check(integer(next()) == mesh.ne && integer(next()) == mesh.nn && integer(next()) == mesh.ns, "counts");
  for (int i = 1; i <= mesh.ne; ++i) {
    check(integer(next()) == i, "element number");
    const int count = mesh.nnode[i];
    check(count >= 1 && count <= rodmesh::max_nodes && count <= mesh.width, "node count within the row");
    check(integer(next()) == count, "node count as in the file");
    for (int k = 1; k <= count; ++k) {
      const int node = mesh.lnods[i][k];
      check(node >= 1 && node <= mesh.nn, "element node in range");
      check(integer(next()) == node, "element node as in the file");
    }
  }
  for (int i = 1; i <= mesh.nn; ++i) {
    check(integer(next()) == i, "node number");
    for (int j = 1; j <= rodmesh::ncoor; ++j) check(real(next()) == mesh.coord[i][j], "coordinate as in the file");
  }
  for (int i = 1; i <= mesh.ns; ++i) {
    check(integer(next()) == i, "special node number");
    const int node = mesh.spnod[i];
    check(node >= 1 && node <= mesh.nn, "special node in range");
    check(integer(next()) == node, "special node as in the file");
  }
}

// Reads the first drawing; true when it was read whole. ne is the element
// count when the counts were read. Counts beyond what the target allocates
// for are read through without storing, as the program reads the counts that
// its file cannot hold: that must stop where the records run out.
bool read_mesh(rodmesh::Mesh& mesh, bool& allocated) {
  const toolkit::FileOwner file = toolkit::openin("job.zmf");
  check(file != nullptr, "the mesh file opens");
  toolkit::Reader input(file.get(), "jobname.zmf");
  meshfile::Reader reader = rodmesh::mesh_reader(input);
  rodmesh::Titles titles;
  rodmesh::read_head(reader, titles, mesh);
  check(titles.header.size() <= rodmesh::header_length && titles.drawing.size() <= rodmesh::drawing_length,
        "titles cut to length");
  check(mesh.ne >= 0 && mesh.nn >= 0 && mesh.ns >= 0, "counts not negative");
  if (static_cast<long long>(mesh.ne) * mesh.width + 3LL * mesh.nn + mesh.ns > max_slots) {
    try {
      rodmesh::check_records(reader, mesh);
    } catch (const toolkit::Stopped&) {
      return false;
    }
    check(false, "records beyond the input are never all read");
  }
  rodmesh::allocate_mesh(mesh);
  allocated = true;
  rodmesh::read_records(reader, mesh);
  return true;
}

// The records read and checked only stop exactly where they stop when
// stored.
void check_only(bool whole) {
  const toolkit::FileOwner file = toolkit::openin("job.zmf");
  check(file != nullptr, "the mesh file opens");
  toolkit::Reader input(file.get(), "jobname.zmf");
  meshfile::Reader reader = rodmesh::mesh_reader(input);
  rodmesh::Titles titles;
  rodmesh::Mesh mesh;
  bool stopped = false;
  try {
    rodmesh::read_head(reader, titles, mesh);
    rodmesh::check_records(reader, mesh);
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  check(stopped != whole, "check_records takes exactly the records read_records takes");
}

void check_values(int ne) {
  toolkit::Vec1<double> values;
  toolkit::allod1(values, ne);
  try {
    rodmesh::read_values(ne, "job_a.eva", values);
    for (int i = 1; i <= ne; ++i) check(std::isfinite(values[i]), "element values finite");
  } catch (const toolkit::Stopped&) {
  }
  toolkit::freed1(values);
}

}  // namespace

void fuzz::one_input(std::string_view input) {
  const std::string_view zmf = fuzz::write_parts(input, separator, "job.zmf", "job_a.eva");

  rodmesh::Mesh mesh;
  bool allocated = false;
  bool whole = false;
  bool stopped = false;
  try {
    whole = read_mesh(mesh, allocated);
  } catch (const toolkit::Stopped&) {
    stopped = true;
  }
  if (whole) check_mesh(mesh, tokens_after_titles(zmf));
  if (allocated) rodmesh::free_mesh(mesh);
  if (whole || (stopped && allocated)) check_only(whole);

  // The values reader also runs on its own, with a few elements, when the
  // mesh gave no count to go by.
  check_values(whole ? mesh.ne : 3);
}
