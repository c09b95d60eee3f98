#pragma once
// The answers of a run's dialogue: section shape, element form and where
// the section dimensions come from.

#include <string>

namespace rodmesh {

// The section of the solids.
enum class Shape { cylinder, prism };

// What each bar becomes: one 20-node brick, or six 8-node faces.
enum class Output { brick, faces };

inline int perbar(Output form) { return form == Output::brick ? 1 : 6; }

// Where the section dimensions of the bars come from.
enum class Source { constant, areas, angles };

struct Settings {
  Shape shape = Shape::cylinder;
  Output form = Output::faces;
  Source source = Source::constant;
  std::string extension;    // of jobname_ext.eva, for areas and angles
  double factor = 1.0;      // multiplies every area read
  double radius = 1.0;
  double halfw = 1.0;       // prism half width
  double halfh = 1.0;       // prism half height
};

// Asks every question of the run, in order, on the console.
Settings ask_settings();

}  // namespace rodmesh
