// The drawing of one play frame, layer by layer, each later layer over the
// earlier ones: plates, enemies, coins, flying bullets, the two status lines,
// and last the car, so the car passing the bottom covers the text while
// everything else goes under it. Called by the play scene (window and
// simulator) after the frame's update, before the picture is shown.
#include "gfx/frame_drawing.h"

#include <cstdint>
#include <string>

#include "gfx/blit.h"
#include "gfx/pixel_round.h"
#include "gfx/text.h"

namespace voltaro {
namespace {

// The car is wholly above the top edge once its 16-pixel height is: then the
// marker stands at the top edge in its place.
constexpr float kCarAboveTop = -16.0F;

// Status lines: "HP:" 30 pixels above the bottom, "SCORE:" on the bottom edge.
constexpr int kHpLineFromBottom = 30;
constexpr int kScoreLineFromBottom = 14;
constexpr int kFullHealth = 3;

// The sprite of a bullet's kind; a kind the game never sets has none.
const SpritePair* BulletSprite(const Sprites& sprites, std::int16_t kind) {
  switch (kind) {
    case 0:
      return &sprites.bulletLeft;
    case 1:
      return &sprites.bulletRight;
    case 2:
      return &sprites.bulletUp;
    default:
      return nullptr;
  }
}

void StatusLine(Surface& playfield, const Sprites& sprites, int y, const std::string& text) {
  if (y < INT16_MIN || y > INT16_MAX) return;  // a line that cannot be placed is not drawn
  WriteText(playfield, sprites, 0, static_cast<std::int16_t>(y), text);
}

}  // namespace

void DrawFrame(Surface& playfield, const Sprites& sprites, const GameState& game) {
  playfield.Clear();

  for (const Plate& plate : game.Plates) {
    DrawOpaque(playfield, sprites.plate, PixelFromFloat(plate.X), PixelFromFloat(plate.Y));
  }
  // Every enemy and coin slot is drawn; a parked one lies outside and shows nothing.
  for (const Enemy& enemy : game.Enemies) {
    DrawMasked(playfield, sprites.enemy, PixelFromFloat(enemy.X), PixelFromFloat(enemy.Y));
  }
  for (const Coin& coin : game.Coins) {
    DrawMasked(playfield, sprites.coin, PixelFromFloat(coin.X), PixelFromFloat(coin.Y));
  }
  for (const Bullet& bullet : game.Bullets) {
    const SpritePair* sprite = BulletSprite(sprites, bullet.Kind);
    if (!bullet.Flying || sprite == nullptr) continue;
    DrawMasked(playfield, *sprite, PixelFromFloat(bullet.X), PixelFromFloat(bullet.Y));
  }

  const int screenH = game.ScreenH;
  StatusLine(playfield, sprites, screenH - kHpLineFromBottom,
             "HP:" + std::to_string(kFullHealth - int{game.HitCount}));
  StatusLine(playfield, sprites, screenH - kScoreLineFromBottom,
             "SCORE:" + std::to_string(game.Score));

  if (game.CarY >= kCarAboveTop) {
    DrawMasked(playfield, sprites.car, PixelFromFloat(game.CarX), PixelFromFloat(game.CarY));
  } else {
    DrawMasked(playfield, sprites.arrow, PixelFromFloat(game.CarX), 0);
  }
}

}  // namespace voltaro
