// How the 250 x 400 playfield sits in a window of any size: the largest whole
// factor that fits (at least 1), centred, black around it; the factor a window
// may open at on a screen; and the nearest-neighbour magnification that puts
// each playfield pixel on the screen as an N x N block of its colour. Pure
// functions: the desktop window and the page both place the playfield with
// them.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace voltaro {

// The factors the window can be asked to open at.
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 16;

// Where the magnified playfield lands in the client area. The offsets are
// negative only for a client area smaller than the playfield, which is then
// shown 1:1, centred and cut at the edges.
struct PlayfieldPlacement {
  int scale = 1;
  int x = 0;
  int y = 0;
  int width = 0;   // fieldW * scale
  int height = 0;  // fieldH * scale

  bool operator==(const PlayfieldPlacement&) const = default;
};

PlayfieldPlacement PlacePlayfield(int clientW, int clientH, int fieldW, int fieldH);

// The factor to open at: `wanted`, brought into kMinScale..kMaxScale and then
// lowered until fieldW x fieldH times it fits the usable area (at least 1).
int FittingScale(int wanted, int usableW, int usableH, int fieldW, int fieldH);

// Draws `picture` magnified by placement.scale at the placement's offset into
// a 32-bit 0x00RRGGBB pixel buffer of targetW x targetH (pitch in bytes),
// clipped to it. Pixels outside the playfield are left alone.
void Magnify(const Surface& picture, const PlayfieldPlacement& placement, std::uint32_t* target,
             int targetW, int targetH, int pitchBytes);

}  // namespace voltaro
