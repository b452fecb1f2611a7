// The state of one game: plates, car, enemies, coins, bullets, fire keys and
// score, in plain records. The frame update (play_frame.h), the set-up
// (game_ready.h) and the key handlers (keys.h) read and write it; the drawing
// only reads it. Several games can exist side by side.
#pragma once

#include <array>
#include <cstdint>

namespace voltaro {

// The playfield in pixels. The background picture is made this size, and
// start-up takes ScreenW and ScreenH from that picture.
inline constexpr int kPlayfieldW = 250;
inline constexpr int kPlayfieldH = 400;

// How many of each object a game has; the arrays never grow or shrink.
inline constexpr int kPlateCount = 9;
inline constexpr int kEnemyCount = 2;
inline constexpr int kCoinCount = 6;
inline constexpr int kBulletCount = 8;
inline constexpr int kFireKeyCount = 3;  // 0 is Z (left), 1 is V (right), 2 is D (up)

// Object sizes as the rules use them, in playfield pixels.
inline constexpr int kPlateW = 80;
inline constexpr int kPlateH = 10;
inline constexpr int kCarW = 34;
inline constexpr int kCarH = 16;
inline constexpr int kEnemyW = 34;
inline constexpr int kEnemyH = 16;
inline constexpr int kCoinW = 10;
inline constexpr int kCoinH = 10;

// Everything in the shaft sinks at the plates' speed, for the whole game.
inline constexpr float kScrollSpeed = 2.5f;
// A plate, enemy or coin whose top is more than this far below the bottom
// edge is wholly out of view and is placed again above.
inline constexpr int kOutBelow = 10;
// Where objects wait outside the playfield: enemies (after set-up, a hit or a
// failed placement) and, at set-up, coins and bullets.
inline constexpr float kParkedEnemyX = -200;
inline constexpr float kParkedX = -100;

// Values of GameMode.
inline constexpr std::int16_t kModeTitle = 0;
inline constexpr std::int16_t kModePlaying = 1;
inline constexpr std::int16_t kModeGameOver = 2;

// Positions name the top-left corner of the object's sprite; y grows downward.
struct Plate {
  float X = 0;
  float Y = 0;
};

struct Enemy {
  float X = 0;
  float Y = 0;
  bool GoLeft = false;
  std::int16_t PlateNo = 0;  // the plate it was last placed on and patrols
  bool Alive = false;
};

struct Coin {
  float X = 0;
  float Y = 0;
};

struct Bullet {
  float X = 0;
  float Y = 0;
  std::int16_t Kind = 0;  // 0 flies left, 1 right, 2 up
  bool Flying = false;
};

struct GameState {
  // Playfield size in pixels, taken from the background picture at start-up.
  std::int16_t ScreenW = kPlayfieldW;
  std::int16_t ScreenH = kPlayfieldH;

  // 0 title screen, 1 playing, 2 game over.
  std::int16_t GameMode = kModeTitle;

  std::array<Plate, kPlateCount> Plates{};

  float CarX = 0;
  float CarY = 0;
  float CarVX = 0;  // positive to the right
  float CarVY = 0;  // positive downward
  bool OnPlate = false;
  std::int16_t RidePlate = 0;  // the plate the car last landed on
  std::int16_t MoveKey = 0;    // steering: 0 none, 1 left, 2 right

  std::array<Enemy, kEnemyCount> Enemies{};
  std::array<Coin, kCoinCount> Coins{};
  std::array<Bullet, kBulletCount> Bullets{};

  std::array<bool, kFireKeyCount> FireHeld{};
  std::array<bool, kFireKeyCount> FireReleased{};
  std::array<bool, kFireKeyCount> FireServed{};
  std::array<std::int16_t, kFireKeyCount> FireCooldown{};

  std::int32_t Score = 0;
  std::int16_t HitCount = 0;
};

}  // namespace voltaro
