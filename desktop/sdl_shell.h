// The Shell the scenes run on at the desktop: the window (sdl_window.h), its
// event pump with the pause (sdl_pump.h), the clock and its sleeps
// (sdl_clock.h) and the input-method box (ime_box.h), tied together. RunGame
// makes one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "desktop/sdl_clock.h"
#include "desktop/sdl_pump.h"
#include "desktop/sdl_window.h"
#include "desktop/settings.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/shell.h"

namespace voltaro {

class SdlShell final : public Shell {
 public:
  // Opens SDL and a hidden window of the background picture's size with the
  // game's icon (the pads come later: StartPads in pad_input.h). Throws
  // std::runtime_error naming what failed. `sprites` must outlive the shell.
  explicit SdlShell(const Sprites& sprites);

  // The player's settings, before start-up sizes and shows the window.
  void Configure(const Settings& settings);
  // How the sound rests on the screens that wait for a key (sdl_clock.h).
  void SetSoundRest(std::function<bool()> rest, std::function<void()> wake) {
    sleep_.SetSoundRest(std::move(rest), std::move(wake));
  }
  // The window as it is now; saved when it closes.
  WindowSettings WindowState() const { return window_.State(); }

  // While a recorded game plays, the caption says so first, where a narrow
  // window's title bar still shows it.
  void MarkReplay() { captionHead_ = "Replay - "; }
  void SetCaption(const std::string& caption) override {
    window_.SetCaption(captionHead_ + caption);
  }
  void SetClientSize(int width, int height) override { window_.SetClientSize(width, height); }
  void ShowWindow() override { window_.ShowWindow(); }
  std::int32_t Now() override { return ClockNow(); }
  void PumpEvents(KeySink& keys) override { pump_.Pump(keys); }
  void WaitForEventsUntil(std::int32_t tick) override { sleep_.WaitUntil(tick); }
  void WaitForEvent() override { sleep_.WaitForEvent(pump_.SleepStepMs()); }
  void Show(const Surface& picture) override { window_.Show(picture); }
  void ShowImeMessage() override;
  void AllowPause(bool allowed) override { pump_.AllowPause(allowed); }
  void AllowHelp(bool allowed) override { pump_.AllowHelp(allowed); }

 private:
  // In this order: the pump (and its pads) goes before the window shuts SDL
  // down.
  SdlWindow window_;
  EventSleep sleep_;
  SdlPump pump_;
  std::string captionHead_;
};

// A modal error box with the caption, also usable before or without a window;
// falls back to nothing when no display can show it.
void ShowFatalErrorBox(const std::string& caption, const std::string& message);

}  // namespace voltaro
