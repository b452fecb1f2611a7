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

}  // namespace
}  // namespace voltaro
