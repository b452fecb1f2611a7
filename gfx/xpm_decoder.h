// Decoding of the artwork's XPM pictures (the C string arrays compiled in from
// art/) into surfaces, and the derivation of the mask-and-image pairs the
// masked draw needs. Called by LoadSprites; tests feed it small pictures.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

// The colour a decoded picture holds where the XPM colour is "None". It lies
// outside the 24-bit colours, so it can never be mistaken for a real one.
inline constexpr std::uint32_t kXpmNone = 0xFF000000;

// Decodes an XPM picture: a header "width height colours chars-per-pixel",
// one line per colour ("#RRGGBB", "#RGB", a few plain names, or "None") and
// one line per row. Throws std::runtime_error naming the picture and the fault
// for anything malformed. The pointer form reads exactly as many lines as the
// header asks for, so the array must be complete; the span form also checks
// that the lines are there.
Surface DecodeXpm(const char* const* lines, std::string_view name);
Surface DecodeXpm(std::span<const char* const> lines, std::string_view name);

// The pair drawn with transparency: "None" gives a white mask and a white
// image (the background shows through); any other colour a black mask and
// that colour in the image.
SpritePair MakeSpritePair(const Surface& picture);

// A picture drawn opaque; throws naming it if it has any transparent pixel.
Surface MakeOpaque(const Surface& picture, std::string_view name);

}  // namespace voltaro
