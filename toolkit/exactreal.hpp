#pragma once
// The decimal words whose value one floating-point operation gives exactly
// as the standard conversion does, for the readers' fast paths.

#include <cstdint>

namespace toolkit {

// The conversion is exact in one operation when both of its operands are
// exact doubles: a mantissa of at most 2^53 (every integer up to there is a
// double) and a power of ten up to 10^22 (the largest whose value, 5^22 times
// a power of two, fits the 53 bits). The product or quotient of two exact
// values is then correctly rounded, as the standard conversion is.
inline constexpr std::uint64_t exact_mantissa = std::uint64_t{1} << 53;
inline constexpr int exact_power = 22;
inline constexpr double exact_powers[exact_power + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of mantissa * 10^scale, correctly rounded, when both operands
// are exact doubles; false otherwise (the caller takes the general path).
inline bool exactreal(std::uint64_t mantissa, int scale, double& value) {
  if (mantissa > exact_mantissa || scale < -exact_power || scale > exact_power) return false;
  const double m = static_cast<double>(mantissa);
  value = scale < 0 ? m / exact_powers[-scale] : m * exact_powers[scale];
  return true;
}

}  // namespace toolkit
