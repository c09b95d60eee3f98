#include "rodmesh/settings.hpp"

#include <cstdio>

#include "toolkit/diagnostics.hpp"
#include "toolkit/dialogue.hpp"

namespace rodmesh {

namespace {

using toolkit::errmsg;

int ask_source() {
  for (;;) {
    std::fputs(
        "\nYou may:\n\n"
        "1) - read areas  in a .eva file\n"
        "2) - read angles in a .eva file\n\n"
        "0) - ask constant dimensions\n",
        stdout);
    const int choice = toolkit::askint("Your choice", 0);
    if (choice >= 0 && choice <= 2) return choice;
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

Settings askset() {
  Settings s;
  s.type = toolkit::askcha("Mesh type (cylinders/prisms)", 'c', 'p', 'c');
  const char form = toolkit::askcha("Create: b)rick or f)aces", 'b', 'f', 'f');
  if (form == 'b') {
    s.per_bar = 1;
  } else if (form == 'f') {
    s.per_bar = 6;
  } else {
    errmsg("rodmesh: internal error 1");
  }

  s.source = ask_source();
  if (s.type == 'c' && s.source == angles) errmsg("Angles cannot be visualized with cylindric bars");

  if (s.source == areas) {
    s.extension = ask_extension();
    s.factor = toolkit::askrea("Factor that multiplies all the areas", 1.0);
    if (s.factor < 0.0) errmsg("Factor cannot be negative");
  } else if (s.source == angles) {
    s.extension = ask_extension();
    ask_base(s);
  } else if (s.source == constant) {
    if (s.type == 'c') {
      s.radius = toolkit::askrea("Diameter of the cylinders", 1.0) * 0.5;
    } else if (s.type == 'p') {
      ask_base(s);
    } else {
      errmsg("rodmesh: internal error 2");
    }
  } else {
    errmsg("rodmesh: internal error 3");
  }
  return s;
}

}  // namespace rodmesh
