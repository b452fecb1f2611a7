// The pause sign: "PAUSED" in the game's font over the picture play stopped
// on. The window draws it when play pauses; the end-to-end tests look for it.
#pragma once

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

inline constexpr const char* kPausedText = "PAUSED";

// Writes the sign centred on the picture.
void DrawPauseSign(Surface& picture, const Sprites& sprites);

}  // namespace voltaro
