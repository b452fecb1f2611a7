// The pause picture: the picture play stopped on, dimmed, with "PAUSED" in
// the game's font and the line saying how to go on under it. The window and
// the page draw it while play is paused; the end-to-end tests look for it.
#pragma once

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

inline constexpr const char* kPausedText = "PAUSED";
inline constexpr const char* kResumeHintText = "P TO RESUME   F1 HELP";
// How far the picture under the sign is dimmed (cover_text.h).
inline constexpr int kPauseDimShift = 2;

// Dims the picture and writes the sign centred on it in a framed panel, the
// line under it lit up (black on a green band) when `hintLit`: a game key was
// pressed during the pause, and the player is shown how to go on.
void DrawPauseSign(Surface& picture, const Sprites& sprites, bool hintLit = false);

}  // namespace voltaro
