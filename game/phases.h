// The phases of one play frame, in the order UpdateFrame runs them. Each reads
// the positions the earlier phases of the same frame left behind.
#pragma once

#include "game/game_state.h"
#include "game/platform.h"

namespace voltaro {

// Plates sink 2.5 px; one that has passed ScreenH + 10 is placed again above.
void PlatePhase(GameState& game, Platform& platform);

// The car rides or falls, steers, bounces off the walls, walks off or lands.
void CarPhase(GameState& game);

// Enemies walk their plates, sink, and are placed again once below the bottom.
void EnemyPhase(GameState& game, Platform& platform);

// Coins sink, are placed again below the bottom, and are collected by the car.
void CoinPhase(GameState& game, Platform& platform);

// The three fire keys launch bullets into the lowest free slots.
void FirePhase(GameState& game);

// Flying bullets move; those more than 20 px outside the playfield are freed.
void BulletPhase(GameState& game);

// Flying bullets against both enemies: 100 points and the enemy is parked.
void BulletHits(GameState& game);

// Enemies against the car. Returns true when the fourth contact ends the game.
bool EnemyContacts(GameState& game);

}  // namespace voltaro
