// Pictures to and from files: the headless simulator saves frames with these,
// and the golden-image test reads its expected picture back.
#pragma once

#include <string>

#include "gfx/surface.h"

namespace voltaro {

// Writes the surface as a 24-bit BMP file; throws std::runtime_error naming the path and the
// reason.
void SaveBmp(const Surface& surface, const std::string& path);

// Reads an uncompressed 24-bit BMP file, as SaveBmp writes it (bottom-up or
// top-down rows); throws std::runtime_error naming the path and the reason.
Surface LoadBmp(const std::string& path);

}  // namespace voltaro
