// Block transfers between surfaces: the three raster operations the game uses,
// the stretching transfer for scaled text, and the opaque and masked draws of
// sprites and glyphs. Every transfer clips to both surfaces, so a sprite parked
// far outside the playfield, or at the very ends of the 16-bit range, touches
// nothing outside a picture. Called by the text routines and the frame drawing.
#pragma once

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

// Bit by bit on the 24-bit colour; S is the source pixel, D the destination.
enum class RasterOp {
  kSrcCopy,    // D = S
  kSrcErase,   // D = S AND (NOT D)
  kSrcInvert,  // D = S XOR D
};

// Combines the w x h rectangle of src at (sx, sy) with the rectangle of dst at
// (x, y). Pixels whose destination or source lies outside its surface are left
// alone; a zero or negative size draws nothing.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op);

// The same after scaling the sw x sh source rectangle to w x h: destination
// pixel (x + i, y + j) takes source pixel (sx + i * sw / w, sy + j * sh / h),
// rounded down, so an enlarged picture repeats its pixels (nearest neighbour).
// Zero or negative sizes draw nothing (no mirroring).
void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh, RasterOp op);

// The whole sprite copied at (x, y), black included: the plates.
void DrawOpaque(Surface& dst, const Surface& sprite, int x, int y);

// The masked draw of the w x h rectangle at (sx, sy) of a mask and an image to
// (x, y): mask with SRCERASE, then image with SRCINVERT, so every pixel ends as
// (mask AND NOT D) XOR image. Done in one pass; DrawMaskedTwoStep is the plain
// two-transfer form it must always agree with.
void DrawMasked(Surface& dst, const Surface& mask, const Surface& image, int sx, int sy, int w,
                int h, int x, int y);
void DrawMaskedTwoStep(Surface& dst, const Surface& mask, const Surface& image, int sx, int sy,
                       int w, int h, int x, int y);

// The whole sprite of a mask-and-image pair, masked, at (x, y).
void DrawMasked(Surface& dst, const SpritePair& sprite, int x, int y);

}  // namespace voltaro
