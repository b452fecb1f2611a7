// The golden image: a fixed busy game state drawn with the real artwork and
// compared pixel for pixel with tests/golden/busy_frame.bmp. Any change to the
// drawing or the artwork shows up here; when the change is meant, regenerate
// the picture (see tests/golden/README.md) and look at it before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "art/art.h"
#include "busy_frame_state.h"
#include "gfx/frame_drawing.h"
#include "gfx/image_file.h"
#include "gfx/playfield.h"
#include "gfx/sprites.h"
#include "test_sprites.h"

namespace voltaro {
namespace {

const std::string kGolden = std::string(VOLTARO5_SOURCE_DIR) + "/tests/golden/busy_frame.bmp";

bool ArtworkPresent() {
  for (const char* const* xpm :
       {art::kPlateXpm, art::kCarXpm, art::kArrowXpm, art::kEnemyXpm, art::kCoinXpm,
        art::kBulletLeftXpm, art::kBulletRightXpm, art::kBulletUpXpm, art::kFontXpm,
        art::kIcon32Xpm, art::kIcon16Xpm}) {
    if (xpm == nullptr) return false;
  }
  return true;
}

bool Regenerating() {
  const char* flag = std::getenv("VOLTARO5_REGENERATE_GOLDEN");
  return flag != nullptr && std::string(flag) == "1";
}

TEST(GoldenFrame, BusyFrameMatchesTheStoredPicture) {
  if (!ArtworkPresent()) GTEST_SKIP() << "the artwork is not compiled in yet";
  const Sprites sprites = LoadSprites();
  Surface frame(sprites.picBack.width, sprites.picBack.height);
  DrawFrame(frame, sprites, testing::BusyFrameState());

  if (Regenerating()) {
    SaveBmp(frame, kGolden);
    GTEST_SKIP() << "wrote " << kGolden;
  }
  ASSERT_TRUE(std::filesystem::exists(kGolden))
      << kGolden << " is missing; run with VOLTARO5_REGENERATE_GOLDEN=1 to create it";
  const Surface expected = LoadBmp(kGolden);
  const int differ = testing::DifferentPixels(frame, expected);
  if (differ != 0) {
    const std::string actual = std::string(VOLTARO5_BINARY_DIR) + "/busy_frame_actual.bmp";
    SaveBmp(frame, actual);
    FAIL() << differ << " pixels differ from " << kGolden << " (size " << expected.width << " x "
           << expected.height << "); this frame was written to " << actual;
  }
}

TEST(GoldenFrame, ArtworkLoadsAtTheSizesTheGameDrawsIt) {
  if (!ArtworkPresent()) GTEST_SKIP() << "the artwork is not compiled in yet";
  const Sprites s = LoadSprites();
  struct Size {
    const char* name;
    const Surface& surface;
    int w, h;
  };
  const Size sizes[] = {
      {"picPlate", s.picPlate, 80, 10},         {"picBall", s.picBall.image, 34, 16},
      {"picArrow", s.picArrow.image, 20, 32},   {"picEnemy", s.picEnemy.image, 34, 16},
      {"picCoin", s.picCoin.image, 10, 10},     {"picBulletL", s.picBulletL.image, 9, 4},
      {"picBulletR", s.picBulletR.image, 9, 4}, {"picBulletU", s.picBulletU.image, 4, 9},
      {"picChar", s.picChar.mask, 1170, 14},    {"picBack", s.picBack, kPlayfieldW, kPlayfieldH},
      {"icon32", s.icon32.mask, 32, 32},        {"icon16", s.icon16.image, 16, 16}};
  for (const Size& size : sizes) {
    EXPECT_EQ(size.surface.width, size.w) << size.name;
    EXPECT_EQ(size.surface.height, size.h) << size.name;
  }
  // The enemy hides what it stands on: its mask is black everywhere.
  for (std::uint32_t m : s.picEnemy.mask.pixels) ASSERT_EQ(m, kBlack);
}

}  // namespace
}  // namespace voltaro
