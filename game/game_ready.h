// Set-up of a new game and the placement of plates, enemies and coins.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "game/platform.h"

namespace voltaro {

// Puts every piece of play state into its starting condition. Element 0 of each
// object array keeps the fields set-up does not list (an enemy's GoLeft and
// PlateNo, a bullet's Kind) from the previous game; the others start zeroed.
void GameReady(GameState& game, Platform& platform);

// Places plate pNum at the start of a game (Y from -199 to 400) or during play
// (Y from -599 to 0), retrying until it keeps its distance from every other
// plate; pumps events once per attempt.
void SetPlateFirst(GameState& game, Platform& platform, int pNum);
void SetPlate(GameState& game, Platform& platform, int pNum);

// Places enemy pNum on a plate at or above the top edge, or leaves it waiting.
void SetEnemy(GameState& game, Platform& platform, int pNum);

// Places coin pNum above the top edge where it touches no plate; pumps events
// once per attempt.
void SetCoin(GameState& game, Platform& platform, int pNum);

}  // namespace voltaro
