// The window's icons on X: both sizes in the window's _NET_WM_ICON, beside
// SDL's one picture; see sdl_icons.h.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>

#include <cstdint>
#include <vector>

#include "desktop/sdl_icons.h"
#include "gfx/icon_pixels.h"

namespace voltaro {
namespace {

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

void SetSystemIcons(SDL_Window* window, const SpritePair& big, const SpritePair& small) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    SetX11Icons(info.info.x11.display, info.info.x11.window, big, small);
  }
}

}  // namespace voltaro
