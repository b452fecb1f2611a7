// The one door from the game's rules to the outside world: the window's events
// and the random source, nothing else. The play session implements it for the
// window's scenes and the simulator; rule tests and benchmarks use
// HeadlessPlatform.
#pragma once

namespace voltaro {

class Platform {
 public:
  virtual ~Platform() = default;

  // Processes the pending window events once and returns. Key handlers run
  // nested inside this call, so they may change the game state in the middle
  // of a frame's plate or coin placement.
  virtual void PumpEvents() = 0;

  // One draw from the program's random source: uniform, 0 <= r < 1, never 1.
  virtual float Random() = 0;
};

}  // namespace voltaro
