#include "rodmesh/section.hpp"

#include <cmath>
#include <numbers>

#include "toolkit/diagnostics.hpp"

namespace rodmesh {

namespace {

// The constants of stored outputs: 1/pi as 0.3183098861837907 and pi/180
// as 0.017453292519943295, the doubles nearest to each.
constexpr double radians_per_degree = std::numbers::pi / 180;
static_assert(std::numbers::inv_pi == 0.3183098861837907 && radians_per_degree == 0.017453292519943295);

}  // namespace

Section section_of(const Settings& settings, double value) {
  Section section;
  section.radius = settings.radius;
  section.halfw = settings.halfw;
  section.halfh = settings.halfh;
  if (settings.source == Source::areas) {
    if (value < 0.0) toolkit::errmsg("Negative area in the .eva file");
    const double area = settings.factor * value;
    if (settings.shape == Shape::cylinder) {
      // The circle of this area.
      section.radius = std::sqrt(area * std::numbers::inv_pi);
    } else {
      // The square of this area.
      section.halfw = std::sqrt(area * 0.25);
      section.halfh = section.halfw;
    }
  } else if (settings.source == Source::angles) {
    section.angle = value * radians_per_degree;
  }
  return section;
}

}  // namespace rodmesh
