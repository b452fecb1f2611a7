// Pads as the browser's Gamepad API reports them (its standard mapping), made
// into the game's keys with the desktop's default pad mapping: A jumps, X, B
// and Y fire left, right and up, Start is Enter, the D-pad's left and right
// and the left stick steer. The stick takes a side at half-way and lets go
// below three eighths, as on the desktop, so a stick resting near the
// threshold does not flutter. Plain C++, so it is tested without a browser;
// the page's input (page_input.cpp) samples the pads and feeds it.
#pragma once

#include <cstdint>
#include <vector>

#include "scenes/stick_side.h"

namespace voltaro {

// One pad as sampled: whether it is there in the standard mapping, which
// buttons are down (bit i for the browser's button i), and the left stick's
// x from -1 (left) to 1 (right).
struct PadReading {
  bool connected = false;
  std::uint32_t buttons = 0;
  double stickX = 0;
};

// A key made from a pad: what made it (one number per pad and button or
// stick, apart from every keyboard key and control), the game's key code,
// down or up.
struct PadKey {
  std::int64_t source = 0;
  int code = 0;
  bool down = false;
  bool operator==(const PadKey&) const = default;
};

class BrowserPads {
 public:
  // Compares the readings (one per pad index) with the last ones and appends
  // the key events the changes make: a press is one key-down, its release
  // one key-up; a pad gone lets go of what it held.
  void Take(const std::vector<PadReading>& pads, std::vector<PadKey>& out);
  // Key-ups for everything held (the page lost the focus); a button still
  // down then stays silent until it comes up and goes down again.
  void ReleaseAll(std::vector<PadKey>& out);
  bool AnyConnected() const;

 private:
  struct Pad {
    bool connected = false;
    std::uint32_t down = 0;  // buttons down at the last reading
    std::uint32_t sent = 0;  // buttons whose key-down the game has had
    StickSide stick = StickSide::kNone;
  };
  std::vector<Pad> pads_;
};

}  // namespace voltaro
