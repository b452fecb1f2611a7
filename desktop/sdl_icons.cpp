// The window's icon from the icon sprites (gfx/icon_pixels.h), through SDL;
// see sdl_icons.h.
#include "desktop/sdl_icons.h"

#include <SDL.h>

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

}  // namespace

void SetWindowIcons(SDL_Window* window, const SpritePair& big, const SpritePair& small) {
  if (SDL_Surface* icon = MakeIcon(big)) {
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
  }
  SetSystemIcons(window, big, small);
}

}  // namespace voltaro
