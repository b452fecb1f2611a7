// The game's pictures, compiled in from the XPM files beside this one. The
// files are drawn by art/tools/make_art.py and can be opened in any image
// editor; gfx decodes them into sprites and the font sheet at start-up.
#include "art/art.h"

namespace {

#include "art/arrow.xpm"
#include "art/bullet_left.xpm"
#include "art/bullet_right.xpm"
#include "art/bullet_up.xpm"
#include "art/car.xpm"
#include "art/coin.xpm"
#include "art/enemy.xpm"
#include "art/font.xpm"
#include "art/icon16.xpm"
#include "art/icon32.xpm"
#include "art/plate.xpm"

}  // namespace

namespace voltaro::art {

const char* const* const kPlateXpm = plate_xpm;
const char* const* const kCarXpm = car_xpm;
const char* const* const kArrowXpm = arrow_xpm;
const char* const* const kEnemyXpm = enemy_xpm;
const char* const* const kCoinXpm = coin_xpm;
const char* const* const kBulletLeftXpm = bullet_left_xpm;
const char* const* const kBulletRightXpm = bullet_right_xpm;
const char* const* const kBulletUpXpm = bullet_up_xpm;
const char* const* const kFontXpm = font_xpm;
const char* const* const kIcon32Xpm = icon32_xpm;
const char* const* const kIcon16Xpm = icon16_xpm;

}  // namespace voltaro::art
