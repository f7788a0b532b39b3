#pragma once
// The floating-point unit's default rounding, to the nearest whole number
// with ties to even, which every rounded figure of the program uses.

#include <cfenv>
#include <cmath>

namespace monitor {

inline double RoundTiesToEven(double value) {
  // nearbyint follows the current rounding mode; pin it rather than rely on
  // nobody having changed it.
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(value);
  std::fesetround(saved);
  return r;
}

}  // namespace monitor
