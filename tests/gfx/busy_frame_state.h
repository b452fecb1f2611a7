// A fixed, hand-built game state with every kind of object in view, both
// status lines, half-pixel positions and a score too wide for the playfield:
// drawn by the golden-image test and timed by the frame-drawing benchmark.
#pragma once

#include "game/game_state.h"

namespace voltaro::testing {

inline GameState BusyFrameState() {
  GameState g;
  g.GameMode = kModePlaying;
  const float plateXY[kPlateCount][2] = {{10.0F, 20.5F},   {150.0F, 60.0F},  {60.5F, 105.0F},
                                         {170.0F, 150.5F}, {5.0F, 195.0F},   {120.0F, 240.0F},
                                         {30.0F, 290.5F},  {160.5F, 335.0F}, {80.0F, 380.0F}};
  for (int i = 0; i < kPlateCount; ++i) {
    g.Plates[static_cast<std::size_t>(i)] = Plate{plateXY[i][0], plateXY[i][1]};
  }
  g.Enemies[0] = Enemy{160.0F, 44.0F, true, 1, true};   // standing on plate 1
  g.Enemies[1] = Enemy{75.5F, 224.0F, false, 5, true};  // on plate 5, over the car's row
  const float coinXY[kCoinCount][2] = {{40.0F, 60.0F},  {210.0F, 110.0F}, {100.0F, 170.5F},
                                       {20.0F, 250.0F}, {225.0F, 300.0F}, {120.0F, 390.0F}};
  for (int i = 0; i < kCoinCount; ++i) {
    g.Coins[static_cast<std::size_t>(i)] = Coin{coinXY[i][0], coinXY[i][1]};
  }
  const Bullet bullets[kBulletCount] = {{100.0F, 120.0F, 0, true}, {140.5F, 122.5F, 1, true},
                                        {118.0F, 80.0F, 2, true},  {60.0F, 200.0F, 0, true},
                                        {190.0F, 205.0F, 1, true}, {130.0F, 260.0F, 2, true},
                                        {30.0F, 395.0F, 1, true},  {90.0F, 310.0F, 0, true}};
  for (int i = 0; i < kBulletCount; ++i) g.Bullets[static_cast<std::size_t>(i)] = bullets[i];
  g.CarX = 95.5F;
  g.CarY = 224.5F;
  g.OnPlate = true;
  g.RidePlate = 5;
  g.HitCount = 1;
  g.Score = 12345678;
  return g;
}

}  // namespace voltaro::testing
