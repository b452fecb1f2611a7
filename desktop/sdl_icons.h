// The game's icon on its window: SDL's one picture everywhere, and the
// system's own on top (sdl_icons_posix.cpp: on X both sizes, so each place
// that shows the icon picks its own; sdl_icons_windows.cpp: the .exe's icon at
// the sizes Windows asks for). The window (sdl_window.cpp) sets them once as
// it opens.
#pragma once

#include <SDL_video.h>

#include "gfx/sprites.h"

namespace voltaro {

// Puts `big` (32 x 32) on the window and, on X, `big` and `small` (16 x 16)
// beside it. An icon that cannot be made is left out: the game plays on.
void SetWindowIcons(SDL_Window* window, const SpritePair& big, const SpritePair& small);

// The system's part of SetWindowIcons, after SDL's picture is on.
void SetSystemIcons(SDL_Window* window, const SpritePair& big, const SpritePair& small);

}  // namespace voltaro
