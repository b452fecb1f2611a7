// The one door from the game's rules to the outside world. The real program
// implements it on SDL; tests and the headless simulator supply their own.
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

  // Shows the modal message asking the player to switch the input method off,
  // and returns once it has been dismissed.
  virtual void ShowImeMessage() = 0;
};

}  // namespace voltaro
