// The arithmetic shared by the placement and phase rules: random placements
// floor an exact product, and playfield bounds are 16-bit sums compared as
// single-precision values.
#pragma once

#include <cmath>
#include <cstdint>

#include "game/run_time_error.h"

namespace voltaro {

// floor(n * r) for a random draw r and a whole factor n. Both factors are
// singles, so their product is exact in double precision before the floor.
inline double FloorTimes(float n, float r) {
  return std::floor(static_cast<double>(n) * static_cast<double>(r));
}

// A bound such as ScreenH + 10: formed as a 16-bit integer, used as a single.
inline float Bound(std::int16_t screen, int offset) {
  return static_cast<float>(Add16(screen, offset));
}

}  // namespace voltaro
