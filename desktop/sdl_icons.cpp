// The window's icons from the icon sprites (gfx/icon_pixels.h); see
// sdl_icons.h.
#include "desktop/sdl_icons.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>

#include <cstdint>
#include <vector>

#include "gfx/icon_pixels.h"

namespace voltaro {
namespace {

SDL_Surface* MakeIcon(const SpritePair& icon) {
  std::vector<std::uint32_t> argb = IconArgb(icon);
  if (argb.empty()) return nullptr;
  SDL_Surface* view =
      SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), icon.image.width, icon.image.height, 32,
                                         icon.image.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (view == nullptr) return nullptr;
  // SDL keeps the icon after this call returns: hand it a copy of its own.
  SDL_Surface* surface = SDL_DuplicateSurface(view);
  SDL_FreeSurface(view);
  return surface;
}

// SDL hands the window manager one icon picture; on X the window carries both
// sizes, 32 x 32 and 16 x 16, so each place that shows it picks its own.
void SetX11Icons(Display* display, Window window, const SpritePair& big, const SpritePair& small) {
  std::vector<unsigned long> data;  // the property's 32-bit items travel as longs
  for (const SpritePair* icon : {&big, &small}) {
    data.push_back(static_cast<unsigned long>(icon->image.width));
    data.push_back(static_cast<unsigned long>(icon->image.height));
    for (const std::uint32_t pixel : IconArgb(*icon)) data.push_back(pixel);
  }
  const Atom netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
  XChangeProperty(display, window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

}  // namespace

void SetWindowIcons(SDL_Window* window, const SpritePair& big, const SpritePair& small) {
  if (SDL_Surface* icon = MakeIcon(big)) {
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
  }
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    SetX11Icons(info.info.x11.display, info.info.x11.window, big, small);
  }
}

}  // namespace voltaro
