// The game's artwork, compiled in as XPM pictures (plain text images that GIMP
// and ImageMagick open). Green line art on black; the sprites use the XPM
// colour "None" for their transparent parts.
#pragma once

namespace voltaro::art {

extern const char* const* const kPlateXpm;        // 80 x 10, no transparency
extern const char* const* const kCarXpm;          // 34 x 16
extern const char* const* const kArrowXpm;        // 20 x 32
extern const char* const* const kEnemyXpm;        // 34 x 16, no transparency
extern const char* const* const kCoinXpm;         // 10 x 10
extern const char* const* const kBulletLeftXpm;   // 9 x 4
extern const char* const* const kBulletRightXpm;  // 9 x 4
extern const char* const* const kBulletUpXpm;     // 4 x 9
extern const char* const* const kFontXpm;         // 1170 x 14, 65 cells of 18 x 14
extern const char* const* const kIcon32Xpm;       // 32 x 32, 16 colours at most
extern const char* const* const kIcon16Xpm;       // 16 x 16, 16 colours at most

}  // namespace voltaro::art
