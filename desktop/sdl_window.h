// The game's window: SDL's video started and a resizable window showing the
// 250 x 400 playfield at the largest whole factor that fits (gfx/scaling.h),
// fullscreen on request, the pause sign over the picture play stopped on, and
// repaints from a copy of the last picture shown, so a repaint never shows a
// half-drawn frame. The shell (sdl_shell.cpp) owns it; the event pump
// (sdl_pump.cpp) tells it of resizes, exposes and the pause.
#pragma once

#include <SDL_video.h>

#include <string>

#include "desktop/settings.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

class SdlWindow {
 public:
  // Starts SDL's video and opens a hidden window of the background picture's
  // size with the game's icon. Throws std::runtime_error naming what failed.
  // `sprites` must outlive the window (the pause sign is written in its font).
  explicit SdlWindow(const Sprites& sprites);
  // Closes the window and shuts SDL down.
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  SDL_Window* Handle() const { return window_; }
  // The X server connection's file and the window's X id; -1 and 0 when not
  // on X11.
  int XConnection() const { return xConnection_; }
  unsigned long XWindow() const { return xWindow_; }

  // The factor and fullscreen the window opens with, as the settings ask.
  void SetOpening(const WindowSettings& opening) { opening_ = opening; }
  // The window as it is now: the factor of its windowed size and whether it
  // is fullscreen (pauseOnFocusLoss as it opened); saved when it closes.
  WindowSettings State() const;

  void SetCaption(const std::string& caption);
  const std::string& Caption() const { return caption_; }
  // Sizes the window for a client area of width x height at the opening
  // factor, or the largest below it that fits the screen, and centres it.
  void SetClientSize(int width, int height);
  // Shows the window, fullscreen if the settings ask for it.
  void ShowWindow();
  void ToggleFullscreen();

  // Puts a finished picture on the screen and keeps it for repaints.
  void Show(const Surface& picture);
  // Play paused: the last picture with the pause sign, until HidePauseSign
  // (which leaves the repaint to the next Repaint).
  void ShowPauseSign();
  void HidePauseSign() { pauseShown_ = false; }
  // The client area became width x height.
  void Resized(int width, int height);
  // Paints the whole window again, the black around the playfield too.
  void Repaint();

 private:
  void Present();

  const Sprites& sprites_;
  SDL_Window* window_ = nullptr;
  int xConnection_ = -1;
  unsigned long xWindow_ = 0;
  Surface lastShown_;
  Surface pausedPicture_;  // lastShown_ with the pause sign
  bool pauseShown_ = false;
  std::string caption_;

  WindowSettings opening_;  // as the settings ask for it
  int windowedScale_ = 1;
  bool fullscreen_ = false;
  bool wholeWindowStale_ = true;  // the black around the playfield needs painting
};

}  // namespace voltaro
