#pragma once
// The answers of a run's dialogue: section shape, element form and where
// the section dimensions come from.

#include <string>

namespace rodmesh {

// Where the section dimensions of the bars come from.
enum Source { constant = 0, areas = 1, angles = 2 };

struct Settings {
  char type = 'c';          // 'c' cylinders, 'p' prisms
  int per_bar = 6;          // 1 brick or 6 faces per bar
  int source = constant;
  std::string extension;    // of jobname_ext.eva, for areas and angles
  double factor = 1.0;      // multiplies every area read
  double radius = 1.0;
  double halfw = 1.0;       // prism half width
  double halfh = 1.0;       // prism half height
};

// Asks every question of the run, in order, on the console.
Settings askset();

}  // namespace rodmesh
