// The game's icon as the desktop, the page and the icon theme want it: 32-bit
// pixels with an alpha channel, opaque where the icon's mask is black and
// fully see-through elsewhere, optionally enlarged by a whole factor.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/sprites.h"

namespace voltaro {

// The icon's pixels as 0xAARRGGBB, row after row, each icon pixel a
// `scale` x `scale` block. A see-through pixel is 0 (no colour either).
std::vector<std::uint32_t> IconArgb(const SpritePair& icon, int scale = 1);

}  // namespace voltaro
