// The game's window; see sdl_window.h. The playfield picture is magnified by
// a whole factor (or, filling, smoothly past it) straight into the window's
// own surface (no renderer, no OpenGL: at every size this costs less
// processor time than a renderer's texture upload and copy), and only the
// rows a frame changed are magnified and sent to the X server: a play frame
// changes a part of the playfield.
#include "desktop/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "desktop/sdl_icons.h"
#include "desktop/video_start.h"
#include "gfx/scaling.h"
#include "scenes/overlay.h"

namespace voltaro {
namespace {

// Rows of unchanged picture shorter than this between two changed ones are
// sent with them: fewer, larger pieces cost the X server less than many.
constexpr int kJoinRows = 8;

// Starts SDL's video and opens the hidden window of the background picture's
// size; throws std::runtime_error naming what failed.
SDL_Window* OpenWindow(const Sprites& sprites) {
  // Copy the picture straight into the window's X image: no OpenGL context
  // (which costs memory and, under a software rasteriser, processor time).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (!StartVideo()) {
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
  SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                        height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (window == nullptr) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("cannot open the window: " + error);
  }
  SDL_SetWindowMinimumSize(window, width, height);
  SetWindowIcons(window, sprites.icon32, sprites.icon16);
  return window;
}

// The parts of `now` that differ from `before` (pictures of one size): bands
// of rows, each as wide as the changes within it.
void FindChanges(const Surface& before, const Surface& now, std::vector<SDL_Rect>& parts) {
  parts.clear();
  const std::size_t width = static_cast<std::size_t>(now.width);
  for (int y = 0; y < now.height; ++y) {
    const std::uint32_t* a = before.pixels.data() + static_cast<std::size_t>(y) * width;
    const std::uint32_t* b = now.pixels.data() + static_cast<std::size_t>(y) * width;
    if (std::equal(a, a + width, b)) continue;
    int left = 0;
    while (a[left] == b[left]) ++left;
    int right = now.width;
    while (a[right - 1] == b[right - 1]) --right;
    if (!parts.empty() && y - (parts.back().y + parts.back().h) < kJoinRows) {
      SDL_Rect& band = parts.back();
      const int bandRight = std::max(band.x + band.w, right);
      band.x = std::min(band.x, left);
      band.w = bandRight - band.x;
      band.h = y + 1 - band.y;
    } else {
      parts.push_back({left, y, right - left, 1});
    }
  }
}

}  // namespace

SdlWindow::SdlWindow(const Sprites& sprites)
    : sprites_(sprites),
      window_(OpenWindow(sprites)),
      system_(window_),
      lastShown_(std::max(1, sprites.background.width), std::max(1, sprites.background.height),
                 kBlack) {}

SdlWindow::~SdlWindow() {
  image_.reset();  // its connection goes before the window
  SDL_DestroyWindow(window_);
  SDL_Quit();
}

WindowSettings SdlWindow::State() const {
  return {windowedScale_, fullscreen_, opening_.pauseOnFocusLoss, opening_.fill};
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
  if (picture.width != lastShown_.width || picture.height != lastShown_.height) {
    Present();
    return;
  }
  // The first picture goes through SDL; the shared image is set up at the
  // second, out of the way of the start.
  if (picturesShown_ < 2 && ++picturesShown_ == 2) image_.emplace(window_);
  FindChanges(lastShown_, picture, changed_);
  // Only the changed parts are copied: the rest is alike already.
  const auto width = static_cast<std::size_t>(picture.width);
  for (const SDL_Rect& part : changed_) {
    for (int y = part.y; y < part.y + part.h; ++y) {
      const std::size_t from =
          static_cast<std::size_t>(y) * width + static_cast<std::size_t>(part.x);
      std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(from), part.w,
                  lastShown_.pixels.begin() + static_cast<std::ptrdiff_t>(from));
    }
  }
  // The title between its blinks and the game-over screen send nothing.
  if (!changed_.empty() || wholeWindowStale_) Present(&changed_);
}

void SdlWindow::ShowOverlay(Overlay overlay, const HelpText& help) {
  covered_ = overlay != Overlay::kNone;
  if (covered_) {
    coveredPicture_ = lastShown_;
    DrawOverlay(coveredPicture_, sprites_, overlay, help);
    Present();
  } else {
    Repaint();
  }
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

void SdlWindow::Present(const std::vector<SDL_Rect>* parts) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  const WindowPixels* shared = image_ ? image_->Pixels(width, height) : nullptr;
  if (shared == nullptr && image_) {
    image_.reset();  // it failed: SDL's surface from now on, painted whole
    wholeWindowStale_ = true;
  }
  SDL_Surface* screen = shared != nullptr ? nullptr : SDL_GetWindowSurface(window_);
  if (shared == nullptr && screen == nullptr) return;
  if (screen != nullptr) {
    width = screen->w;
    height = screen->h;
  }
  // A window of a new size has new pixels: all of them are painted, even
  // before the news of the resize comes.
  if (width != paintedWidth_ || height != paintedHeight_) wholeWindowStale_ = true;
  paintedWidth_ = width;
  paintedHeight_ = height;
  const Surface& picture = covered_ ? coveredPicture_ : lastShown_;
  const PlayfieldPlacement place =
      PlacePlayfield(width, height, picture.width, picture.height, ScalingWanted());
  const bool whole = std::exchange(wholeWindowStale_, false);
  const SDL_Rect window{0, 0, width, height};
  PlaceTargets(place, picture, whole ? nullptr : parts, window);
  if (shared != nullptr) {
    Magnify(picture, place, *shared, whole);
    image_->Put(whole ? std::vector<SDL_Rect>{window} : targets_);
  } else {
    PresentThroughSdl(screen, picture, place, whole);
  }
}

void SdlWindow::PlaceTargets(const PlayfieldPlacement& place, const Surface& picture,
                             const std::vector<SDL_Rect>* parts, const SDL_Rect& window) {
  const std::vector<SDL_Rect> everything{{0, 0, picture.width, picture.height}};
  targets_.clear();
  for (const SDL_Rect& piece : parts != nullptr ? *parts : everything) {
    const ScreenRect part =
        PlacedPart(place, picture.width, picture.height, piece.x, piece.y, piece.w, piece.h);
    const SDL_Rect magnified{part.x, part.y, part.w, part.h};
    SDL_Rect target;
    if (SDL_IntersectRect(&magnified, &window, &target) == SDL_TRUE) targets_.push_back(target);
  }
}

void SdlWindow::PresentThroughSdl(SDL_Surface* screen, const Surface& picture,
                                  const PlayfieldPlacement& place, bool whole) {
  if (screen->format->format == SDL_PIXELFORMAT_RGB888 ||
      screen->format->format == SDL_PIXELFORMAT_ARGB8888) {
    // The window's pixels are the picture's own 0x00RRGGBB: magnify in place.
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return;
    Magnify(picture, place,
            {static_cast<std::uint32_t*>(screen->pixels), screen->w, screen->h, screen->pitch},
            whole);
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
  } else if (!targets_.empty()) {
    // Between frames only the parts of the playfield that changed.
    SDL_UpdateWindowSurfaceRects(window_, targets_.data(), static_cast<int>(targets_.size()));
  }
}

void SdlWindow::Magnify(const Surface& picture, const PlayfieldPlacement& place,
                        const WindowPixels& to, bool whole) const {
  if (whole) {
    SDL_memset(to.pixels, 0,
               static_cast<std::size_t>(to.height) * static_cast<std::size_t>(to.pitch));
    // The shaft's sides stay visible against the black of a wide margin.
    DrawMarginFrame(place, to.pixels, to.width, to.height, to.pitch);
  }
  for (const SDL_Rect& target : targets_) {
    // The piece's corner of the window, with the playfield placed from it.
    auto* corner = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(to.pixels) +
                                                    target.y * to.pitch) +
                   target.x;
    PlayfieldPlacement from = place;
    from.x -= target.x;
    from.y -= target.y;
    Enlarge(picture, from, corner, target.w, target.h, to.pitch);
  }
}

}  // namespace voltaro
