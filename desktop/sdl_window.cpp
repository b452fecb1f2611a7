// The game's window; see sdl_window.h. The playfield picture is magnified by
// a whole factor straight into the window's own surface (no renderer, no
// OpenGL: at every size this costs less processor time than a renderer's
// texture upload and copy).
#include "desktop/sdl_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "desktop/sdl_icons.h"
#include "gfx/pause_sign.h"
#include "gfx/scaling.h"

namespace voltaro {

SdlWindow::SdlWindow(const Sprites& sprites) : sprites_(sprites) {
  // Copy the picture straight into the window's X image: no OpenGL context
  // (which costs memory and, under a software rasteriser, processor time).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    throw std::runtime_error(std::string("cannot start SDL video: ") + SDL_GetError());
  }
  // Without a display SDL falls back to drivers that show nothing; the game
  // would then run unseen for ever. Only take them when asked for by name.
  const char* current = SDL_GetCurrentVideoDriver();
  const std::string driver = current != nullptr ? current : "";
  if ((driver == "offscreen" || driver == "dummy") && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    SDL_Quit();
    throw std::runtime_error("no display to open the window on (is DISPLAY set?)");
  }
  const int width = std::max(1, sprites.background.width);
  const int height = std::max(1, sprites.background.height);
  window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (window_ == nullptr) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("cannot open the window: " + error);
  }
  SDL_SetWindowMinimumSize(window_, width, height);
  SetWindowIcons(window_, sprites.icon32, sprites.icon16);
#ifndef _WIN32  // no X connection on Windows (a stopgap until the window is ported)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    xConnection_ = ConnectionNumber(info.info.x11.display);
    xWindow_ = info.info.x11.window;
  }
#endif
  lastShown_ = Surface(width, height, kBlack);
}

SdlWindow::~SdlWindow() {
  SDL_DestroyWindow(window_);
  SDL_Quit();
}

WindowSettings SdlWindow::State() const {
  return {windowedScale_, fullscreen_, opening_.pauseOnFocusLoss};
}

void SdlWindow::SetCaption(const std::string& caption) {
  caption_ = caption;
  SDL_SetWindowTitle(window_, caption.c_str());
}

void SdlWindow::SetClientSize(int width, int height) {
  SDL_Rect usable{0, 0, width * opening_.scale, height * opening_.scale};
  const int display = SDL_GetWindowDisplayIndex(window_);
  if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) != 0) {
    SDL_GetDisplayBounds(display, &usable);
  }
  windowedScale_ = FittingScale(opening_.scale, usable.w, usable.h, width, height);
  SDL_SetWindowMinimumSize(window_, width, height);
  SDL_SetWindowSize(window_, width * windowedScale_, height * windowedScale_);
  const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(std::max(display, 0)));
  SDL_SetWindowPosition(window_, centred, centred);
}

void SdlWindow::ShowWindow() {
  SDL_ShowWindow(window_);
  if (opening_.fullscreen) ToggleFullscreen();
  Repaint();
}

void SdlWindow::ToggleFullscreen() {
  const bool on = !fullscreen_;
  if (SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    std::cerr << "voltaro5: warning: cannot switch fullscreen " << (on ? "on" : "off") << " ("
              << SDL_GetError() << ")\n";
    return;
  }
  fullscreen_ = on;
  Repaint();
}

void SdlWindow::Show(const Surface& picture) {
  if (picture.width == lastShown_.width && picture.height == lastShown_.height) {
    std::copy(picture.pixels.begin(), picture.pixels.end(), lastShown_.pixels.begin());
  }
  Present();
}

void SdlWindow::ShowPauseSign() {
  pauseShown_ = true;
  pausedPicture_ = lastShown_;
  DrawPauseSign(pausedPicture_, sprites_);
  Present();
}

void SdlWindow::Resized(int width, int height) {
  if (!fullscreen_) {
    windowedScale_ = PlacePlayfield(width, height, lastShown_.width, lastShown_.height).scale;
  }
  Repaint();
}

void SdlWindow::Repaint() {
  wholeWindowStale_ = true;
  Present();
}

void SdlWindow::Present() {
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (screen == nullptr) return;
  const Surface& picture = pauseShown_ ? pausedPicture_ : lastShown_;
  const PlayfieldPlacement place =
      PlacePlayfield(screen->w, screen->h, picture.width, picture.height);
  const bool whole = std::exchange(wholeWindowStale_, false);
  if (screen->format->format == SDL_PIXELFORMAT_RGB888 ||
      screen->format->format == SDL_PIXELFORMAT_ARGB8888) {
    // The window's pixels are the picture's own 0x00RRGGBB: magnify in place.
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return;
    if (whole)
      SDL_memset(screen->pixels, 0,
                 static_cast<std::size_t>(screen->h) * static_cast<std::size_t>(screen->pitch));
    Magnify(picture, place, static_cast<std::uint32_t*>(screen->pixels), screen->w, screen->h,
            screen->pitch);
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
  } else {
    // Any other pixel format: SDL converts and stretches (nearest pixel).
    SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(picture.pixels.data()), picture.width, picture.height, 32,
        picture.width * 4, SDL_PIXELFORMAT_RGB888);
    if (view == nullptr) return;
    if (whole) SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    SDL_Rect target{place.x, place.y, place.width, place.height};
    SDL_BlitScaled(view, nullptr, screen, &target);
    SDL_FreeSurface(view);
  }
  if (whole) {
    SDL_UpdateWindowSurface(window_);
    return;
  }
  // Between frames only the playfield changes.
  SDL_Rect field{std::max(0, place.x), std::max(0, place.y),
                 std::min(screen->w, place.x + place.width) - std::max(0, place.x),
                 std::min(screen->h, place.y + place.height) - std::max(0, place.y)};
  SDL_UpdateWindowSurfaceRects(window_, &field, 1);
}

}  // namespace voltaro
