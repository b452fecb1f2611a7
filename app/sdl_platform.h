// The SDL window behind the game: a fixed window showing the 250 x 400
// playfield one to one, its icon, the millisecond clock, the event pump that
// turns SDL key events into the virtual-key codes the game's key handlers
// know, the waits on the event queue, and the message boxes. The only file
// pair of the game that talks to SDL.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "shell.h"

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
  // Opens SDL's video and a hidden window of the background picture's size
  // with the game's icon. Throws std::runtime_error naming what failed.
  explicit SdlShell(const Sprites& sprites);
  ~SdlShell() override;
  SdlShell(const SdlShell&) = delete;
  SdlShell& operator=(const SdlShell&) = delete;

  std::string AppDir() override;
  std::uint64_t TimeOfDaySeed() override;
  void SetCaption(const std::string& caption) override;
  void SetClientSize(int width, int height) override;
  void ShowWindow() override;
  std::int32_t Now() override;
  void PumpEvents(KeySink& keys) override;
  void WaitForEventsUntil(std::int32_t tick) override;
  void WaitForEvent() override;
  void Show(const Surface& picture) override;
  void ShowImeMessage() override;

 private:
  void Present();
  // Pumps SDL's events and tells whether any is waiting to be handled.
  bool EventPending();
  // Sleeps until something arrives on the window system's connection or the
  // timeout (in ms) runs out.
  void SleepOnEvents(int timeoutMs);

  SDL_Window* window_ = nullptr;
  Surface lastShown_;
  SDL_Surface* lastShownView_ = nullptr;  // lastShown_'s pixels seen by SDL
  std::string caption_;
  int xConnection_ = -1;  // the X server connection's file, when on X11
};

// A modal error box with the caption, also usable before or without a window;
// falls back to nothing when no display can show it.
void ShowFatalErrorBox(const std::string& caption, const std::string& message);

}  // namespace voltaro
