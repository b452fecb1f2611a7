// How the 250 x 400 playfield sits in a window of any size: the largest whole
// factor that fits (at least 1), or, filling, the largest size that fits with
// its shape kept; centred, black around it with a thin dim frame round the
// shaft. Also the factor a window may open at on a screen, the
// nearest-neighbour magnification that puts each playfield pixel on the
// screen as an N x N block of its colour, and the filling enlargement: that
// whole factor first, then a smooth last step, so edges stay sharp. Pure
// functions: the desktop window and the page both place the playfield with
// them.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace voltaro {

// The factors the window can be asked to open at.
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 16;

// The frame drawn in the margin round the playfield, outside it.
inline constexpr int kFrameWidth = 2;
inline constexpr std::uint32_t kFrameColour = 0x404040;

enum class Scaling {
  kWhole,  // the largest whole factor: every pixel an exact block
  kFill,   // the largest size that fits: whole blocks smoothed at their edges
};

// Where the magnified playfield lands in the client area. The offsets are
// negative only for a client area smaller than the playfield, which is then
// shown 1:1, centred and cut at the edges.
struct PlayfieldPlacement {
  int scale = 1;  // the whole factor, the first step of a fill
  int x = 0;
  int y = 0;
  int width = 0;   // fieldW * scale, unless filling
  int height = 0;  // fieldH * scale, unless filling

  bool operator==(const PlayfieldPlacement&) const = default;
};

PlayfieldPlacement PlacePlayfield(int clientW, int clientH, int fieldW, int fieldH,
                                  Scaling scaling = Scaling::kWhole);

// A part of the client area, in pixels.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  bool operator==(const ScreenRect&) const = default;
};

// The part of the client area that shows the playfield's pixels x, y, w x h
// (a smoothed fill spills a pixel onto its neighbours); not clipped.
ScreenRect PlacedPart(const PlayfieldPlacement& placement, int fieldW, int fieldH, int x, int y,
                      int w, int h);

// The factor to open at: `wanted`, brought into kMinScale..kMaxScale and then
// lowered until fieldW x fieldH times it fits the usable area (at least 1).
int FittingScale(int wanted, int usableW, int usableH, int fieldW, int fieldH);

// Draws `picture` magnified by placement.scale at the placement's offset into
// a 32-bit 0x00RRGGBB pixel buffer of targetW x targetH (pitch in bytes),
// clipped to it. Pixels outside the playfield are left alone.
void Magnify(const Surface& picture, const PlayfieldPlacement& placement, std::uint32_t* target,
             int targetW, int targetH, int pitchBytes);

// Draws `picture` at the placement's size as Magnify does, into the same kind
// of buffer: by whole blocks when the size is a whole factor, else enlarged
// by the whole factor and then smoothly to the size.
void Enlarge(const Surface& picture, const PlayfieldPlacement& placement, std::uint32_t* target,
             int targetW, int targetH, int pitchBytes);

// Draws the frame, kFrameWidth pixels wide, in the margin round the placed
// playfield, clipped to the target; the playfield's own pixels are left alone.
void DrawMarginFrame(const PlayfieldPlacement& placement, std::uint32_t* target, int targetW,
                     int targetH, int pitchBytes);

}  // namespace voltaro
