// Loading the compiled-in artwork once at start-up: each XPM picture is decoded,
// checked against the size the game draws it at, and turned into the surface
// or mask-and-image pair the drawing uses.
#include "gfx/sprites.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "art/art.h"
#include "game/game_state.h"
#include "gfx/xpm_decoder.h"

namespace voltaro {
namespace {

// Bullet sprites: side bullets lie flat, the up bullet stands.
constexpr int kSideBulletW = 9;
constexpr int kSideBulletH = 4;
constexpr int kArrowW = 20;
constexpr int kArrowH = 32;

Surface DecodeChecked(const char* const* xpm, std::string_view name, int width, int height) {
  if (xpm == nullptr) {
    throw std::runtime_error("picture '" + std::string(name) + "': no artwork compiled in");
  }
  Surface picture = DecodeXpm(xpm, name);
  if (picture.width != width || picture.height != height) {
    throw std::runtime_error("picture '" + std::string(name) + "': size " +
                             std::to_string(picture.width) + " x " +
                             std::to_string(picture.height) + ", expected " +
                             std::to_string(width) + " x " + std::to_string(height));
  }
  return picture;
}

SpritePair LoadPair(const char* const* xpm, std::string_view name, int width, int height) {
  return MakeSpritePair(DecodeChecked(xpm, name, width, height));
}

}  // namespace

Sprites LoadSprites() {
  Sprites s;
  s.plate = MakeOpaque(DecodeChecked(art::kPlateXpm, "plate", kPlateW, kPlateH), "plate");
  s.car = LoadPair(art::kCarXpm, "car", kCarW, kCarH);
  s.arrow = LoadPair(art::kArrowXpm, "arrow", kArrowW, kArrowH);
  // The enemy hides whatever it stands over, so its picture has no holes.
  s.enemy =
      MakeSpritePair(MakeOpaque(DecodeChecked(art::kEnemyXpm, "enemy", kEnemyW, kEnemyH), "enemy"));
  s.coin = LoadPair(art::kCoinXpm, "coin", kCoinW, kCoinH);
  s.bulletLeft = LoadPair(art::kBulletLeftXpm, "bulletLeft", kSideBulletW, kSideBulletH);
  s.bulletRight = LoadPair(art::kBulletRightXpm, "bulletRight", kSideBulletW, kSideBulletH);
  s.bulletUp = LoadPair(art::kBulletUpXpm, "bulletUp", kSideBulletH, kSideBulletW);
  s.font = LoadPair(art::kFontXpm, "font", kGlyphW * kGlyphCount, kGlyphH);
  s.background = {kPlayfieldW, kPlayfieldH};
  s.icon32 = LoadPair(art::kIcon32Xpm, "icon32", 32, 32);
  s.icon16 = LoadPair(art::kIcon16Xpm, "icon16", 16, 16);
  return s;
}

}  // namespace voltaro
