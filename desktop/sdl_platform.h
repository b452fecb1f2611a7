// The SDL window behind the game: a resizable window showing the 250 x 400
// playfield at the largest whole factor that fits (window_scale.h), fullscreen
// on F11 and Alt+Enter, its icon, the millisecond clock, the event pump that
// turns SDL key and pad events into the virtual-key codes the game's key
// handlers know (through the player's bindings), the pause on P, Pause and
// focus loss, the waits on the event queue, and the message boxes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "desktop/key_bindings.h"
#include "desktop/pad_input.h"
#include "desktop/settings.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/shell.h"

namespace voltaro {

// The virtual-key code of an SDL key: Enter and keypad Enter 13, the arrows
// 37 to 40, letters 65 to 90, digits 48 to 57, a few others with their own
// codes; the keys that switch a Japanese or Korean input method on come as
// 229, the code of a key an input method has taken. 0 for keys the game has
// no code for.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// The program's directory from SDL's base path, always ending in '/'. Without
// a base path, the current directory ("./").
std::string AppDirFromBasePath(const char* basePath);

// Nanoseconds since the system started, on the monotonic clock.
std::uint64_t MonotonicNanoseconds();

class SdlShell final : public Shell {
 public:
  // Opens SDL's video and game controllers and a hidden window of the
  // background picture's size with the game's icon. Throws std::runtime_error
  // naming what failed. `sprites` must outlive the shell (the pause sign is
  // written in its font).
  explicit SdlShell(const Sprites& sprites);
  ~SdlShell() override;
  SdlShell(const SdlShell&) = delete;
  SdlShell& operator=(const SdlShell&) = delete;

  // The player's settings, before start-up sizes and shows the window.
  void Configure(const Settings& settings);
  // The window as it is now: the factor of its windowed size and whether it
  // is fullscreen (pauseOnFocusLoss as configured); saved when it closes.
  WindowSettings WindowState() const;

  // The directory of the program, ending in '/'.
  std::string AppDir();
  void SetCaption(const std::string& caption) override;
  void SetClientSize(int width, int height) override;
  void ShowWindow() override;
  std::int32_t Now() override;
  void PumpEvents(KeySink& keys) override;
  void WaitForEventsUntil(std::int32_t tick) override;
  void WaitForEvent() override;
  void Show(const Surface& picture) override;
  void ShowImeMessage() override;
  void AllowPause(bool allowed) override { pauseAllowed_ = allowed; }

 private:
  // What keeps a game key down: a keyboard scancode, or a pad's button or
  // stick (PadKey::source).
  using Source = std::int64_t;

  // Handles the events pending now (or, while paused, until the pause ends).
  void HandlePending(KeySink& keys);
  void KeyDown(KeySink& keys, Source source, int code);
  void KeyUp(KeySink& keys, Source source, int code, bool strayReaches);
  void ReleasePads(KeySink& keys);
  void StartPause();
  void ToggleFullscreen();
  void Present();
  // Pumps SDL's events and tells whether the window's close is among those
  // waiting; takes none of them out of the queue.
  bool CloseRequested();
  // Pumps SDL's events and tells whether any is waiting to be handled.
  bool EventPending();
  // Sleeps until something arrives on the window system's connection or the
  // timeout (in ms) runs out.
  void SleepOnEvents(int timeoutMs);

  const Sprites& sprites_;
  SDL_Window* window_ = nullptr;
  Surface lastShown_;
  Surface pausedPicture_;  // lastShown_ with the pause sign
  std::string caption_;
  int xConnection_ = -1;  // the X server connection's file, when on X11

  KeyBindings keys_ = DefaultKeyBindings();
  PadInput pads_{DefaultPadBindings()};
  WindowSettings opening_;  // as the settings ask for it
  int windowedScale_ = 1;
  bool fullscreen_ = false;
  bool wholeWindowStale_ = true;  // the black around the playfield needs painting

  bool pauseAllowed_ = false;
  bool paused_ = false;
  bool pauseBegan_ = false;                   // since the pump began
  std::vector<std::pair<Source, int>> held_;  // game keys down, and their codes
  std::vector<SDL_Scancode> windowKeysDown_;  // downs the window took for itself
  std::vector<int> upsAfterPause_;            // releases during the pause
};

// A modal error box with the caption, also usable before or without a window;
// falls back to nothing when no display can show it.
void ShowFatalErrorBox(const std::string& caption, const std::string& message);

}  // namespace voltaro
