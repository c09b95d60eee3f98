#pragma once
// The section dimensions of one bar, from the answers and the bar's value
// in the element values file.

#include "rodmesh/settings.hpp"

namespace rodmesh {

struct Section {
  double radius = 1.0;
  double halfw = 1.0;
  double halfh = 1.0;
  double angle = 0.0;  // radians
};

// The section of a bar whose element value is value (unused for constant
// dimensions).
Section section_of(const Settings& settings, double value);

}  // namespace rodmesh
