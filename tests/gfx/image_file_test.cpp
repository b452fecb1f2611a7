// Picture files: BMP read back for every row padding, errors naming the path
// for files that cannot be used, and damaged XPM named with its fault.
#include "gfx/image_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/xpm_decoder.h"
#include "tests/gfx/test_sprites.h"
#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

using ::testing::AllOf, ::testing::HasSubstr, ::testing::ThrowsMessage;

TEST(ImageFile, Bmp24BitReadsBackForEveryRowPadding) {
  const testing::TempFolder folder;
  const std::string path = folder / "frame.bmp";
  std::mt19937 rng(1);
  for (int w : {1, 2, 3, 4, 5, 250}) {
    const Surface original = testing::RandomSurface(w, 3, rng);
    SaveBmp(original, path);
    EXPECT_EQ(testing::ReadWholeFile(path).size(), 54 + (w * 3u + 3) / 4 * 4 * 3) << w;
    EXPECT_EQ(testing::DifferentPixels(LoadBmp(path), original), 0) << w;
  }
}

TEST(ImageFile, FailuresThrowNamingThePath) {
  const testing::TempFolder folder;
  const std::string path = folder / "frame.bmp", noDir = folder / "gone" / "frame.bmp";
  EXPECT_THAT([&] { SaveBmp(Surface(2, 2), noDir); },
              ThrowsMessage<std::runtime_error>(HasSubstr(noDir)));
  EXPECT_THROW(SaveBmp(Surface(), path), std::runtime_error);
  SaveBmp(Surface(5, 5), path);
  const std::string good = testing::ReadWholeFile(path);
  // empty, not a BMP, truncated, 32-bit, compressed, huge width, and missing
  std::vector<std::string> damaged = {"", good, good.substr(0, good.size() - 10), good, good, good};
  damaged[1][0] = 'P';
  damaged[3][28] = 32;
  damaged[4][30] = 1;
  damaged[5][21] = 0x7F;
  for (const std::string& bytes : damaged) {
    testing::WriteWholeFile(path, bytes);
    EXPECT_THAT([&] { LoadBmp(path); }, ThrowsMessage<std::runtime_error>(HasSubstr(path)));
  }
  EXPECT_THAT([&] { LoadBmp(noDir); }, ThrowsMessage<std::runtime_error>(HasSubstr(noDir)));
}

TEST(XpmDecoder, DamageThrowsNamingThePictureAndTheFault) {
  const auto decode = [](std::vector<const char*> lines) {
    return DecodeXpm(std::span<const char* const>(lines), "picBroken");
  };
  const std::pair<std::vector<const char*>, const char*> damages[] = {
      {{}, "missing header"},
      {{"100000 100000 1 1", "g c #0f0"}, "out of range"},
      {{"1 1 2 1", "g c #0f0"}, "missing colour line"},
      {{"1 1 1 1", "g c #12345", "g"}, "unknown colour"},
      {{"2 2 1 1", "g c #0f0", "gg"}, "missing pixel row"},
      {{"2 1 1 1", "g c #0f0", "gx"}, "undefined colour key 'x'"}};
  for (const auto& [lines, words] : damages) {
    EXPECT_THAT([&] { decode(lines); },
                ThrowsMessage<std::runtime_error>(AllOf(HasSubstr("picBroken"), HasSubstr(words))));
  }
  EXPECT_THROW(DecodeXpm(static_cast<const char* const*>(nullptr), "p"), std::runtime_error);
  EXPECT_THROW(MakeOpaque(decode({"1 1 1 1", "  c None", " "}), "p"), std::runtime_error);
}

}  // namespace
}  // namespace voltaro
