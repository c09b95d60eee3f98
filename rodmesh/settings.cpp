#include "rodmesh/settings.hpp"

#include <cstdio>

#include "toolkit/diagnostics.hpp"
#include "toolkit/dialogue.hpp"

namespace rodmesh {

namespace {

using toolkit::errmsg;

Source ask_source() {
  for (;;) {
    std::fputs(
        "\nYou may:\n\n"
        "1) - read areas  in a .eva file\n"
        "2) - read angles in a .eva file\n\n"
        "0) - ask constant dimensions\n",
        stdout);
    switch (toolkit::askint("Your choice", 0)) {
      case 0: return Source::constant;
      case 1: return Source::areas;
      case 2: return Source::angles;
      default: break;
    }
    std::fputs("\nERROR: repeat answer ...\n", stdout);
  }
}

std::string ask_extension() {
  std::fputs("\n", stdout);
  toolkit::Answer answer;
  toolkit::askstr("Extension", "", answer);
  return answer.data();
}

void ask_base(Settings& s) {
  s.halfw = toolkit::askrea("Width  of the base of the prisms", 1.0) * 0.5;
  s.halfh = toolkit::askrea("Height of the base of the prisms", 1.0) * 0.5;
}

}  // namespace

Settings ask_settings() {
  Settings s;
  // askcha gives one of its two letters, and lower case.
  s.shape = toolkit::askcha("Mesh type (cylinders/prisms)", 'c', 'p', 'c') == 'c' ? Shape::cylinder : Shape::prism;
  s.form = toolkit::askcha("Create: b)rick or f)aces", 'b', 'f', 'f') == 'b' ? Output::brick : Output::faces;

  s.source = ask_source();
  if (s.shape == Shape::cylinder && s.source == Source::angles)
    errmsg("Angles cannot be visualized with cylindric bars");

  switch (s.source) {
    case Source::areas:
      s.extension = ask_extension();
      s.factor = toolkit::askrea("Factor that multiplies all the areas", 1.0);
      if (s.factor < 0.0) errmsg("Factor cannot be negative");
      break;
    case Source::angles:
      s.extension = ask_extension();
      ask_base(s);
      break;
    case Source::constant:
      if (s.shape == Shape::cylinder)
        s.radius = toolkit::askrea("Diameter of the cylinders", 1.0) * 0.5;
      else
        ask_base(s);
      break;
  }
  return s;
}

}  // namespace rodmesh
