// A pad's stick as Left and Right, for the desktop's pads and the page's
// alike: a side is taken at half the stick's travel and kept until the stick
// comes back below three eighths of it, so a stick resting near half-way does
// not flutter between a press and a release.
#pragma once

namespace voltaro {

enum class StickSide { kNone, kLeft, kRight };

// The side after a reading `x` of a stick whose full travel is `travel` (in
// the same units), when it held `held` before.
constexpr StickSide NextStickSide(StickSide held, double x, double travel) {
  const double press = travel / 2;
  const double release = travel * 3 / 8;
  if (x <= -press) return StickSide::kLeft;
  if (x >= press) return StickSide::kRight;
  if (held == StickSide::kLeft && x < -release) return held;
  if (held == StickSide::kRight && x > release) return held;
  return StickSide::kNone;
}

}  // namespace voltaro
