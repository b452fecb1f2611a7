// The picture a front end shows while the key gate holds the game: the last
// picture with the pause sign or the help over it (key_gate.h says which).
// The desktop's window and the page's shell draw it from here.
#pragma once

#include "gfx/help_picture.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/key_gate.h"

namespace voltaro {

// Draws `overlay` over `picture` (a copy of the last picture shown); kNone
// leaves it as it is.
void DrawOverlay(Surface& picture, const Sprites& sprites, Overlay overlay, const HelpText& help);

}  // namespace voltaro
