#include "rodmesh/meshread.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/diagnostics.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/progress.hpp"
#include "toolkit/scanning.hpp"

namespace rodmesh {

namespace {

using toolkit::errmsg;

// A title line without its line end and outer blanks, cut to its first
// limit characters.
std::string read_title(toolkit::Reader& reader, std::size_t limit) {
  toolkit::LineBuf line;
  reader.getln(line);
  toolkit::elimnl(line.data());
  toolkit::trimst(line.data());
  const std::size_t n = std::strlen(line.data());
  return std::string(line.data(), n < limit ? n : limit);
}

// Where the reader stands, for the locating line written before an error.
enum class Section { counts, element, node, special };

[[noreturn]] void stop_at(Section where, int i, const char* message) {
  toolkit::Progress::clear();
  switch (where) {
    case Section::counts: std::fprintf(stderr, "\nReading the count line\n"); break;
    case Section::element: std::fprintf(stderr, "\nReading element n. %8d\n", i); break;
    case Section::node: std::fprintf(stderr, "\nReading node n. %8d\n", i); break;
    case Section::special: std::fprintf(stderr, "\nReading special node n. %8d\n", i); break;
  }
  errmsg(message);
}

// The next integer; the end of the file or a word that is not an integer
// stops the run at once, never leaving a value of an earlier read in place.
std::int64_t next_int(toolkit::Reader& reader, Section where, int i) {
  std::string_view token;
  if (!reader.token(token)) stop_at(where, i, "Unexpected end of file");
  std::int64_t value = 0;
  if (!toolkit::recint(token, value)) stop_at(where, i, "Integer expected");
  return value;
}

double next_real(toolkit::Reader& reader, Section where, int i) {
  std::string_view token;
  if (!reader.token(token)) stop_at(where, i, "Unexpected end of file");
  double value = 0.0;
  if (!toolkit::recreal(token, value)) stop_at(where, i, "Real number expected");
  if (!std::isfinite(value)) stop_at(where, i, "Real number out of range");
  return value;
}

int next_count(toolkit::Reader& reader) {
  const std::int64_t value = next_int(reader, Section::counts, 0);
  if (value < 0) stop_at(Section::counts, 0, "Negative count in the count line");
  if (!toolkit::fits32(value)) stop_at(Section::counts, 0, "Count out of range");
  return static_cast<int>(value);
}

}  // namespace


void read_head(toolkit::Reader& reader, Titles& titles, Mesh& mesh) {
  titles.header = read_title(reader, header_length);
  titles.drawing = read_title(reader, drawing_length);
  mesh.ne = next_count(reader);
  mesh.nn = next_count(reader);
  mesh.ns = next_count(reader);
  std::printf("\n%s\n%s\n", titles.header.c_str(), titles.drawing.c_str());
}

namespace {

// The records with all their checks. Store puts them into the mesh's
// arrays; without it they are read and checked only.
template <bool Store>
void records(toolkit::Reader& reader, Mesh& mesh) {
  std::printf("\nNumber of      elements = %8d\n", mesh.ne);
  std::printf("Number of         nodes = %8d\n", mesh.nn);
  std::printf("Number of special nodes = %8d\n", mesh.ns);

  toolkit::Progress elements("Reading element", mesh.ne);
  for (int i = 1; i <= mesh.ne; ++i) {
    elements.step(i);
    if (next_int(reader, Section::element, i) != i) stop_at(Section::element, i, "Wrong element number");
    const std::int64_t count = next_int(reader, Section::element, i);
    if (count < 1) stop_at(Section::element, i, "N. of nodes of an element is less than 1");
    if (count > max_nodes) {
      toolkit::Progress::clear();
      std::fprintf(stderr, "\nReading element n. %8d\n", i);
      std::fprintf(stderr, "Maximum n. of nodes per element = %8d\n", max_nodes);
      errmsg("Too many nodes in the element");
    }
    [[maybe_unused]] toolkit::Vec1<std::int32_t> row;
    if constexpr (Store) {
      mesh.nnode[i] = static_cast<std::int32_t>(count);
      row = mesh.lnods[i];
    }
    for (int k = 1; k <= count; ++k) {
      const std::int64_t node = next_int(reader, Section::element, i);
      if (node < 1 || node > mesh.nn) stop_at(Section::element, i, "Element node out of range");
      if constexpr (Store)
        if (k <= mesh.width) row[k] = static_cast<std::int32_t>(node);
    }
  }

  toolkit::Progress nodes("Reading node", mesh.nn);
  for (int i = 1; i <= mesh.nn; ++i) {
    nodes.step(i);
    if (next_int(reader, Section::node, i) != i) stop_at(Section::node, i, "Wrong node number");
    [[maybe_unused]] toolkit::Vec1<double> row;
    if constexpr (Store) row = mesh.coord[i];
    for (int j = 1; j <= ncoor; ++j) {
      const double value = next_real(reader, Section::node, i);
      if constexpr (Store) row[j] = value;
    }
  }

  for (int i = 1; i <= mesh.ns; ++i) {
    if (next_int(reader, Section::special, i) != i) stop_at(Section::special, i, "Wrong special node number");
    const std::int64_t node = next_int(reader, Section::special, i);
    if (node < 1 || node > mesh.nn) stop_at(Section::special, i, "Special node number out of range");
    if constexpr (Store) mesh.spnod[i] = static_cast<std::int32_t>(node);
  }
}

}  // namespace

void read_records(toolkit::Reader& reader, Mesh& mesh) { records<true>(reader, mesh); }

void check_records(toolkit::Reader& reader, Mesh& mesh) { records<false>(reader, mesh); }

void read_mesh(toolkit::Reader& reader, Mesh& mesh) {
  // The fewest bytes the records take: each number a digit, and a blank or
  // line end between it and the next.
  const std::int64_t numbers = 3LL * mesh.ne + 4LL * mesh.nn + 2LL * mesh.ns;
  const std::int64_t unread = reader.unread();
  if (numbers > 0 && unread >= 0 && unread < 2 * numbers - 1) {
    check_records(reader, mesh);
    errmsg("rodmesh: internal error 5 (records beyond the end of the file)");
  }
  allocate_mesh(mesh);
  read_records(reader, mesh);
}

}  // namespace rodmesh
