// What the scenes need from the window system: the clock, the event pump, the
// wait for events, showing a finished picture and the message box. The SDL
// window (desktop/sdl_shell.h) provides it for the real game; the scene tests
// provide a scripted one with a fake clock and key events.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "gfx/surface.h"

namespace voltaro {

// The message asking the player to switch the input method off, shown when a
// key an input method has taken reaches the game.
inline constexpr const char* kImeMessage = "日本語入力モードをオフにしてください。";

// Where the pump delivers key events: virtual-key codes, repeats of a held key
// as further key-downs.
class KeySink {
 public:
  virtual ~KeySink() = default;
  virtual void OnKeyDown(int keyCode) = 0;
  virtual void OnKeyUp(int keyCode) = 0;
  // Play goes on after a pause: the frame that was waiting is due a whole
  // period from now, as if the pause had not eaten into it.
  virtual void OnResumed() {}
};

// Thrown from inside a pump when the player closes the window: the program
// ends at once from wherever it stands, without finishing the frame and
// without writing the best score. main() catches it and returns 0.
class QuitRequested : public std::exception {
 public:
  const char* what() const noexcept override { return "the window was closed"; }
};

class Shell {
 public:
  virtual ~Shell() = default;

  // A seed for the random source taken from the time of day; tests give a
  // fixed one.
  virtual std::uint64_t TimeOfDaySeed();

  // The window, as start-up prepares it: caption, client size, then shown.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetClientSize(int width, int height) = 0;
  virtual void ShowWindow() = 0;

  // The millisecond clock (see clock.h).
  virtual std::int32_t Now() = 0;

  // Processes the pending events once and returns; key events go to `keys`,
  // an expose repaints from the last picture shown. Throws QuitRequested when
  // the window is closed.
  virtual void PumpEvents(KeySink& keys) = 0;

  // Sleeps until an event is pending or the clock reads `tick`, whichever
  // comes first; handles nothing. May return a little early, never late by
  // more than the clock's own step.
  virtual void WaitForEventsUntil(std::int32_t tick) = 0;

  // Sleeps until an event is pending, however long that takes.
  virtual void WaitForEvent() = 0;

  // Puts a finished picture on the screen and keeps it for repaints.
  virtual void Show(const Surface& picture) = 0;

  // The modal message asking the player to switch the input method off;
  // returns once dismissed.
  virtual void ShowImeMessage() = 0;

  // Whether the player may pause now: true while play runs, false on the
  // title and game-over screens. A shell without a pause ignores it; one
  // with a pause holds the pause inside PumpEvents and calls
  // KeySink::OnResumed when play goes on.
  virtual void AllowPause(bool /*allowed*/) {}

  // Whether F1 may show the help now: true on the title and game-over
  // screens. A shell with the help holds the screen inside PumpEvents while
  // it shows.
  virtual void AllowHelp(bool /*allowed*/) {}
};

}  // namespace voltaro
