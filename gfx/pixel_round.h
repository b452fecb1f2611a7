// Float positions to whole pixels: round to nearest, halves to the even
// neighbour (12.5 -> 12, 13.5 -> 14), as the drawing does at the moment it
// places an object. Used by the frame drawing and the scaled text.
#pragma once

#include <cstdint>
#include <optional>

namespace voltaro {

// Nearest whole number, halves to even, without depending on the floating-point
// environment's rounding mode. NaN and infinities come back unchanged.
double RoundHalfEven(double v);

// A sprite position from a stored float. Anything beyond +-kFarAway cannot be
// visible on any playfield, so it is clamped there before converting (no
// undefined conversion of huge floats); NaN is treated as far away too.
inline constexpr int kFarAway = 40000;
int PixelFromFloat(float v);

// The rounded value as a 32-bit integer, or nothing when it does not fit (or is
// NaN): the conversion a transfer's parameter would refuse.
std::optional<std::int32_t> RoundToInt32(float v);

}  // namespace voltaro
