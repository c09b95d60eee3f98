#pragma once
// Reading the element values file jobname_ext.eva: one value per element.

#include <string_view>

#include "toolkit/arrays.hpp"

#include <string>

namespace rodmesh {

// The ending of the element values file name: "_", the extension, ".eva".
std::string values_ending(std::string_view extension);

// Fills values[1..ne] from the file of that name (the job name, "_", the
// extension and ".eva").
void read_values(int ne, const std::string& name, toolkit::Vec1<double> values);

}  // namespace rodmesh
