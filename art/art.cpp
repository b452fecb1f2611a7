// Placeholder until the pictures are drawn.
#include "art.h"

namespace voltaro::art {

const char* const* const kPlateXpm = nullptr;
const char* const* const kCarXpm = nullptr;
const char* const* const kArrowXpm = nullptr;
const char* const* const kEnemyXpm = nullptr;
const char* const* const kCoinXpm = nullptr;
const char* const* const kBulletLeftXpm = nullptr;
const char* const* const kBulletRightXpm = nullptr;
const char* const* const kBulletUpXpm = nullptr;
const char* const* const kFontXpm = nullptr;
const char* const* const kIcon32Xpm = nullptr;
const char* const* const kIcon16Xpm = nullptr;

}  // namespace voltaro::art
