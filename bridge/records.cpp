#include "bridge/records.hpp"

namespace bridge {

Records Records::opened(meshfile::Reader reader, const std::string& name, int drawing) {
  Records records(std::move(reader), name);
  if (!records.reader_.open(drawing)) records.fail();
  return records;
}

Records Records::open(const std::string& path, int drawing) {
  std::string failure;
  std::unique_ptr<meshfile::Source> source = meshfile::open_file(path, failure);
  if (!source) throw Fault(path + ": " + failure);
  return opened(meshfile::Reader(std::move(source)), path, drawing);
}

Records Records::over(std::string_view bytes, const std::string& name, int drawing) {
  return opened(meshfile::Reader(meshfile::over_bytes(bytes)), name, drawing);
}

}  // namespace bridge
