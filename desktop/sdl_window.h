// The game's window: SDL's video started and a resizable window showing the
// 250 x 400 playfield at the largest whole factor that fits, or as large as
// fits when the settings ask to fill, framed in the margin (gfx/scaling.h),
// fullscreen on request, the pause sign or the help over the picture play or a
// screen stopped on, and repaints from a copy of the last picture shown, so a
// repaint never shows a half-drawn frame. The shell (sdl_shell.cpp) owns it; the event pump
// (sdl_pump.cpp) tells it of resizes, exposes and the pause.
#pragma once

#include <SDL_rect.h>
#include <SDL_video.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/settings.h"
#include "desktop/window_image.h"
#include "desktop/window_system.h"
#include "gfx/help_picture.h"
#include "gfx/scaling.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/key_gate.h"

namespace voltaro {

class SdlWindow {
 public:
  // Starts SDL's video and opens a hidden window of the background picture's
  // size with the game's icon. Throws std::runtime_error naming what failed.
  // `sprites` must outlive the window (the pause sign and the help are
  // written in its font).
  explicit SdlWindow(const Sprites& sprites);
  // Closes the window and shuts SDL down.
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  SDL_Window* Handle() const { return window_; }
  // The system below SDL the window was opened on.
  WindowSystem& System() { return system_; }
  unsigned long XWindow() const { return system_.XWindow(); }

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

  // Puts a finished picture on the screen and keeps it for repaints; only the
  // parts that differ from the last one are magnified and sent.
  void Show(const Surface& picture);
  // The game held: the last picture with the pause sign or the help over it
  // (scenes/overlay.h); kNone paints the whole window with the picture alone.
  void ShowOverlay(Overlay overlay, const HelpText& help);
  // The client area became width x height.
  void Resized(int width, int height);
  // Paints the whole window again, the black around the playfield too.
  void Repaint();

 private:
  Scaling ScalingWanted() const { return opening_.fill ? Scaling::kFill : Scaling::kWhole; }
  // Puts the picture on the screen: the whole window when it is stale, else
  // the playfield, or only `parts` of it (in playfield pixels) when given.
  void Present(const std::vector<SDL_Rect>* parts = nullptr);
  // targets_ = the window's parts that `parts` of the picture (all of it
  // when null) cover, within `window`.
  void PlaceTargets(const PlayfieldPlacement& place, const Surface& picture,
                    const std::vector<SDL_Rect>* parts, const SDL_Rect& window);
  // Present's way through SDL's window surface.
  void PresentThroughSdl(SDL_Surface* screen, const Surface& picture,
                         const PlayfieldPlacement& place, bool whole);
  // Magnifies the pieces in targets_ (the whole window, black with the
  // margin's frame, first when `whole`) into the window's pixels.
  void Magnify(const Surface& picture, const PlayfieldPlacement& place, const WindowPixels& to,
               bool whole) const;

  const Sprites& sprites_;
  SDL_Window* window_ = nullptr;
  WindowSystem system_;
  Surface lastShown_;
  std::vector<SDL_Rect> changed_;     // the parts of the picture the last Show changed
  std::vector<SDL_Rect> targets_;     // the window's parts the present in hand puts
  std::optional<WindowImage> image_;  // the shared image, once set up and while it works
  int picturesShown_ = 0;             // by Show, up to the second
  int paintedWidth_ = 0;              // the window's size at the last present
  int paintedHeight_ = 0;
  Surface coveredPicture_;  // lastShown_ with the pause sign or the help
  bool covered_ = false;
  std::string caption_;

  WindowSettings opening_;  // as the settings ask for it
  int windowedScale_ = 1;
  bool fullscreen_ = false;
  bool wholeWindowStale_ = true;  // the black around the playfield needs painting
};

}  // namespace voltaro
