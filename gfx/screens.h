// The pictures of the title screen and the game-over screen. The scenes call
// them; tests and the screenshot comparison call them on their own to know
// exactly what the window must show.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

inline constexpr const char* kCaption = "VOLTARO ZIP 5";

// Title screen lines.
inline constexpr const char* kTitleText = "VOLTARO ZIP 5";
inline constexpr const char* kPromptText = "Press Enter";
inline constexpr const char* kHighScoreLabel = "HIGH SCORE";
// Our credit line: 11 characters of the font, centred like the prompt.
inline constexpr const char* kCreditText = "BY THE TEAM";

// Game-over screen lines.
inline constexpr const char* kGameOverText = "GAME OVER!";
inline constexpr const char* kScoreLabel = "SCORE:";
inline constexpr const char* kNewRecordText = "HIGH SCORE!!";

// The x that centres a line of `chars` characters on the playfield: half the
// space left over, rounded to the nearest pixel with halves to the even one.
std::int16_t CenteredX(std::int16_t screenW, int chars);

// One frame of the title screen, drawn from a cleared playfield. The prompt is
// left out in the frame where it blinks off.
void DrawTitleFrame(Surface& playfield, const Sprites& sprites, std::int16_t screenW,
                    std::int16_t screenH, std::int32_t hiScore, bool showPrompt);

// The game-over screen; the "HIGH SCORE!!" line only for a new best score.
void DrawGameOverFrame(Surface& playfield, const Sprites& sprites, std::int16_t screenW,
                       std::int32_t score, bool newRecord);

}  // namespace voltaro
