#include "rodmesh/meshread.hpp"

#include <cstdint>
#include <cstring>

#include "toolkit/diagnostics.hpp"
#include "toolkit/progress.hpp"
#include "toolkit/scanning.hpp"

namespace rodmesh {

namespace {

using meshfile::Fault;
using meshfile::Part;
using toolkit::errmsg;

// The bytes of the file as the toolkit's reader hands them out.
class ToolkitSource : public meshfile::Source {
 public:
  explicit ToolkitSource(toolkit::Reader& reader) : reader_(reader), size_(reader.unread()) {}
  std::int64_t read(char* into, std::size_t size) override {
    return static_cast<std::int64_t>(reader_.read(into, size));
  }
  std::int64_t size() const override { return size_; }

 private:
  toolkit::Reader& reader_;
  std::int64_t size_;
};

// A title as a line read of at most 999 bytes gives it, without its line
// end and outer blanks, cut to its first limit characters. The read is
// taken as a zero-terminated line, and one without line feed stops in
// elimnl.
std::string title(const meshfile::Title& read, std::size_t limit) {
  toolkit::LineBuf line;
  const std::size_t n = read.bytes.size();
  std::memcpy(line.data(), read.bytes.data(), n);
  if (read.ended) line[n] = '\n';
  line[n + read.ended] = '\0';
  toolkit::elimnl(line.data());
  toolkit::trimst(line.data());
  const std::size_t length = std::strlen(line.data());
  return std::string(line.data(), length < limit ? length : limit);
}

// The locating line of a fault, written before its ERROR block.
void locate(Part part, std::int64_t i) {
  toolkit::Progress::clear();
  const int number = static_cast<int>(i);
  switch (part) {
    case Part::header:
    case Part::label:
    case Part::counts: std::fprintf(stderr, "\nReading the count line\n"); break;
    case Part::element: std::fprintf(stderr, "\nReading element n. %8d\n", number); break;
    case Part::node: std::fprintf(stderr, "\nReading node n. %8d\n", number); break;
    case Part::special: std::fprintf(stderr, "\nReading special node n. %8d\n", number); break;
  }
}

// rodmesh's message for each fault of the reader.
const char* message(const Fault& fault) {
  switch (fault.kind) {
    case Fault::ended: return "Unexpected end of file";
    case Fault::not_integer: return "Integer expected";
    case Fault::not_real: return "Real number expected";
    case Fault::not_finite: return "Real number out of range";
    case Fault::negative_count: return "Negative count in the count line";
    case Fault::big_count: return "Count out of range";
    case Fault::few_nodes: return "N. of nodes of an element is less than 1";
    case Fault::many_nodes: return "Too many nodes in the element";
    case Fault::wrong_number:
      return fault.part == Part::element ? "Wrong element number"
             : fault.part == Part::node  ? "Wrong node number"
                                         : "Wrong special node number";
    case Fault::node_range:
      return fault.part == Part::element ? "Element node out of range" : "Special node number out of range";
    default: return "rodmesh: internal error 6 (mesh reader)";
  }
}

[[noreturn]] void stop(const meshfile::Reader& reader) {
  const Fault& fault = reader.fault();
  locate(fault.part, fault.record);
  if (fault.kind == Fault::many_nodes) std::fprintf(stderr, "Maximum n. of nodes per element = %8d\n", max_nodes);
  errmsg(message(fault));
}

}  // namespace

meshfile::Reader mesh_reader(toolkit::Reader& reader) {
  meshfile::Reader::Options options;
  options.max_nodes = max_nodes;
  options.title_read = toolkit::line_limit - 1;
  return meshfile::Reader(std::make_unique<ToolkitSource>(reader), options);
}

void read_head(meshfile::Reader& reader, Titles& titles, Mesh& mesh) {
  const bool opened = reader.open(1);
  titles.header = title(reader.header(), header_length);
  titles.drawing = title(reader.label(), drawing_length);
  if (!opened) stop(reader);
  mesh.ne = static_cast<int>(reader.elements());
  mesh.nn = static_cast<int>(reader.nodes());
  mesh.ns = static_cast<int>(reader.specials());
  std::printf("\n%s\n%s\n", titles.header.c_str(), titles.drawing.c_str());
}

namespace {

// The records with all their checks. Store puts them into the mesh's
// arrays; without it they are read and checked only.
template <bool Store>
void records(meshfile::Reader& reader, Mesh& mesh) {
  std::printf("\nNumber of      elements = %8d\n", mesh.ne);
  std::printf("Number of         nodes = %8d\n", mesh.nn);
  std::printf("Number of special nodes = %8d\n", mesh.ns);

  toolkit::Progress elements("Reading element", mesh.ne);
  std::span<const std::int64_t> nodes;
  for (int i = 1; i <= mesh.ne; ++i) {
    elements.step(i);
    if (!reader.element(nodes)) stop(reader);
    if constexpr (Store) {
      const int count = static_cast<int>(nodes.size());
      mesh.nnode[i] = count;
      toolkit::Vec1<std::int32_t> row = mesh.lnods[i];
      for (int k = 1; k <= count && k <= mesh.width; ++k) row[k] = static_cast<std::int32_t>(nodes[k - 1]);
    }
  }

  toolkit::Progress progress("Reading node", mesh.nn);
  std::array<double, 3> xyz;
  for (int i = 1; i <= mesh.nn; ++i) {
    progress.step(i);
    if (!reader.node(xyz)) stop(reader);
    if constexpr (Store) {
      toolkit::Vec1<double> row = mesh.coord[i];
      for (int j = 1; j <= ncoor; ++j) row[j] = xyz[j - 1];
    }
  }

  std::int64_t node = 0;
  for (int i = 1; i <= mesh.ns; ++i) {
    if (!reader.special(node)) stop(reader);
    if constexpr (Store) mesh.spnod[i] = static_cast<std::int32_t>(node);
  }
}

}  // namespace

void read_records(meshfile::Reader& reader, Mesh& mesh) { records<true>(reader, mesh); }

void check_records(meshfile::Reader& reader, Mesh& mesh) { records<false>(reader, mesh); }

void read_mesh(meshfile::Reader& reader, Mesh& mesh) {
  if (reader.too_short()) {
    check_records(reader, mesh);
    errmsg("rodmesh: internal error 5 (records beyond the end of the file)");
  }
  allocate_mesh(mesh);
  read_records(reader, mesh);
}

}  // namespace rodmesh
