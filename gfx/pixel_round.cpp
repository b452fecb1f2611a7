// Half-to-even rounding for positions and sizes.
#include "gfx/pixel_round.h"

#include <cmath>

namespace voltaro {

double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  const double below = std::floor(v);
  const double fraction = v - below;  // exact for any float or double input
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

int PixelFromFloat(float v) {
  if (std::isnan(v)) return kFarAway;
  const double clamped = std::fmax(-double{kFarAway}, std::fmin(double{kFarAway}, double{v}));
  return static_cast<int>(RoundHalfEven(clamped));
}

std::optional<std::int32_t> RoundToInt32(float v) {
  const double r = RoundHalfEven(double{v});
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

}  // namespace voltaro
