#include "rodmesh/evaread.hpp"

#include <cstdint>
#include <cstdio>
#include <string>

#include <cmath>

#include "rodmesh/meshread.hpp"
#include "toolkit/diagnostics.hpp"
#include "toolkit/files.hpp"
#include "toolkit/numbers.hpp"
#include "toolkit/reader.hpp"

namespace rodmesh {

std::string values_ending(std::string_view extension) {
  std::string ending("_");
  ending.append(extension);
  ending.append(".eva");
  return ending;
}

void read_values(int ne, const std::string& name, toolkit::Vec1<double> values) {
  using toolkit::errmsg;
  const toolkit::FileOwner file = toolkit::openjob("Reading", name, "jobname_ext.eva");

  // Whatever cannot be read as the number due, the end of the file or a
  // word, is reported alike: the value is missing at that element.
  toolkit::Reader reader(file.get(), "jobname_ext.eva");
  std::string_view token;
  for (int i = 1; i <= ne; ++i) {
    std::int64_t number = 0;
    if (!reader.token(token) || !toolkit::recint(token, number)) errmsg("Unexpected end of file", i);
    if (number != i) errmsg("Wrong element number", i);
    double value = 0.0;
    if (!reader.token(token) || !toolkit::recreal(token, value)) errmsg("Unexpected end of file", i);
    if (!std::isfinite(value)) errmsg("Value out of range", i);
    // A last line without line feed ends at the end of the file: its value
    // was read whole and stands.
    reader.skipln();
    values[i] = value;
  }
}

}  // namespace rodmesh
