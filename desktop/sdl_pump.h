// The desktop's event pump: SDL's events translated into the key gate's
// terms (scenes/key_gate.h), which decides what reaches the game and holds
// the pause and the help. Keys go through the player's bindings, pads
// through PadInput; the window's own keys (P, Pause and Esc, F1, F11,
// Alt+Enter) pause, show the help and go fullscreen. Closing the window throws QuitRequested out of
// the pump that sees it. The shell (sdl_shell.cpp) pumps through it.
#pragma once

#include <SDL_events.h>

#include "desktop/key_bindings.h"
#include "desktop/pad_input.h"
#include "desktop/sdl_clock.h"
#include "desktop/sdl_window.h"
#include "desktop/settings.h"
#include "gfx/help_picture.h"
#include "scenes/key_gate.h"

namespace voltaro {

class SdlPump final : public EventFeed {
 public:
  // Keeps text input off; the pads' events come once StartPads
  // (pad_input.h) has opened them. `window` and `sleep` must outlive the pump.
  SdlPump(SdlWindow& window, EventSleep& sleep);

  // The player's keys, pads and whether losing the focus pauses.
  void Configure(const Settings& settings);
  // True while play runs, which also keeps the system's timer fine.
  void AllowPause(bool allowed);
  // True on the title and game-over screens, where F1 shows the help.
  void AllowHelp(bool allowed) { gate_.AllowHelp(allowed); }
  // Handles the events pending now (or, while paused, until the pause ends).
  void Pump(KeySink& keys) { gate_.Pump(keys, *this); }
  // How long a sleep on the window system's events may last: pad events do
  // not wake it, so with a pad open it is cut short.
  int SleepStepMs() const;

  void FeedPending(KeySink& keys) override;
  void SleepWhilePaused() override;
  void ShowOverlay(Overlay overlay) override { window_.ShowOverlay(overlay, help_); }

 private:
  void OnWindowEvent(KeySink& keys, const SDL_WindowEvent& event);
  void OnKeyDown(KeySink& keys, const SDL_KeyboardEvent& event);

  SdlWindow& window_;
  EventSleep& sleep_;
  KeyGate gate_;
  KeyBindings keys_ = DefaultKeyBindings();
  PadInput pads_{DefaultPadBindings()};
  HelpText help_;  // the controls as bound, for the help picture
  bool priorityAsked_ = false;
};

}  // namespace voltaro
