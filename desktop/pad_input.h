// Game controllers as the game's keys: every pad SDL's game-controller layer
// knows, plugged in before or during the game, several at once. Buttons go
// through the pad bindings; the left stick steers like Left and Right, with a
// half-way dead zone and hysteresis, so a stick resting near the threshold
// does not flutter. A button held is one key-down and, on release, one key-up;
// a pad unplugged, or the window losing focus, releases what it holds. The
// window's event pump (sdl_pump.cpp) hands it the controller events.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "desktop/key_bindings.h"
#include "scenes/stick_side.h"

namespace voltaro {

// A key event made from a pad: the game's virtual-key code, down or up, and
// what made it (one number per pad and button or stick, never a keyboard
// scancode), so that a release can be matched with its press.
struct PadKey {
  int code;
  bool down;
  std::int64_t source;
  bool operator==(const PadKey&) const = default;
};

// The left stick's side (see stick_side.h) from SDL's axis value, -32768 to
// 32767.
StickSide NextStickSide(StickSide held, int x);

// Opens SDL's game controllers and loads the controller mapping files there
// are: gamecontrollerdb.txt in each of `mappingDirectories` (each ending in
// '/'); a file that is there but cannot be loaded is one warning. Pads are
// welcome but not needed: without them one warning, and the game plays on.
// Pads plugged in already arrive as events at the next pump, like pads
// plugged in later.
void StartPads(const std::vector<std::string>& mappingDirectories, std::ostream& warnings);

class PadInput {
 public:
  explicit PadInput(PadBindings bindings) : bindings_(std::move(bindings)) {}
  ~PadInput() { CloseAll(); }
  PadInput(const PadInput&) = delete;
  PadInput& operator=(const PadInput&) = delete;

  void SetBindings(PadBindings bindings) { bindings_ = std::move(bindings); }
  // Closes every pad, without key events (before SDL shuts down).
  void CloseAll();

  // Takes a controller event (added, removed, button, axis) and appends the
  // key events it makes to `out`; false for any other event.
  bool Handle(const SDL_Event& event, std::vector<PadKey>& out);

  // Key-ups for everything held; their later releases are then ignored.
  void ReleaseAll(std::vector<PadKey>& out);

  // Whether a pad is open: its events do not wake a sleep on the window's
  // connection, so the sleeps are kept short then.
  bool AnyOpen() const { return !pads_.empty(); }

 private:
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    std::vector<std::pair<SDL_GameControllerButton, int>> held;  // button, code sent down
    StickSide stick = StickSide::kNone;
  };
  Pad* Find(SDL_JoystickID id);
  void Release(Pad& pad, std::vector<PadKey>& out);

  PadBindings bindings_;
  std::vector<Pad> pads_;
};

}  // namespace voltaro
