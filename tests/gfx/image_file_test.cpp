// Picture files: BMP read back for every row padding, the PNG's framing, errors
// naming the path or picture for files that cannot be used or damaged XPM.
#include "gfx/image_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/xpm_decoder.h"
#include "tests/gfx/test_sprites.h"

namespace voltaro {
namespace {

using ::testing::AllOf, ::testing::HasSubstr, ::testing::ThrowsMessage;

const std::string kPath =
    std::filesystem::temp_directory_path() / ("voltaro5_gfx_" + std::to_string(getpid()));

std::string ReadAll() {
  std::ostringstream bytes;
  bytes << std::ifstream(kPath, std::ios::binary).rdbuf();
  return bytes.str();
}

TEST(ImageFile, Bmp24BitReadsBackForEveryRowPaddingAndPngIsFramed) {
  std::mt19937 rng(1);
  for (int w : {1, 2, 3, 4, 5, 250}) {
    const Surface original = testing::RandomSurface(w, 3, rng);
    SaveBmp(original, kPath);
    const std::string b = ReadAll();
    ASSERT_EQ(b.size(), 54 + (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4 * 3) << w;
    EXPECT_EQ(b[28], 24);  // bits per pixel
    EXPECT_EQ(testing::DifferentPixels(LoadBmp(kPath), original), 0) << w;
  }
  // The PNG: signature and IHDR (250 x 400, 8-bit RGB), the zlib header and a
  // first stored block of the most a block holds (65535 bytes), IEND last.
  SavePng(Surface(250, 400), kPath);
  const std::string png = ReadAll();
  EXPECT_EQ(png.substr(0, 26),
            std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\xfa\0\0\x01\x90\x08\x02", 26));
  EXPECT_EQ(png.substr(41, 7), std::string("\x78\x01\0\xff\xff\0\0", 7));
  EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12));
  std::filesystem::remove(kPath);
}

TEST(ImageFile, FailuresThrowNamingThePath) {
  const std::string noDir = "/nonexistent-voltaro5-dir/frame";
  for (auto save : {&SaveBmp, &SavePng}) {
    EXPECT_THAT([&] { save(Surface(2, 2), noDir); },
                ThrowsMessage<std::runtime_error>(HasSubstr(noDir)));
    EXPECT_THROW(save(Surface(), kPath), std::runtime_error);
  }
  SaveBmp(Surface(5, 5), kPath);
  const std::string good = ReadAll();
  // empty, not a BMP, truncated, 32-bit, compressed, huge width, and missing
  std::vector<std::string> damaged = {"", good, good.substr(0, good.size() - 10), good, good, good};
  damaged[1][0] = 'P';
  damaged[3][28] = 32;
  damaged[4][30] = 1;
  damaged[5][21] = 0x7F;
  for (const std::string& bytes : damaged) {
    std::ofstream(kPath, std::ios::binary) << bytes;
    EXPECT_THAT([] { LoadBmp(kPath); }, ThrowsMessage<std::runtime_error>(HasSubstr(kPath)));
  }
  std::filesystem::remove(kPath);
  EXPECT_THAT([] { LoadBmp(kPath); }, ThrowsMessage<std::runtime_error>(HasSubstr(kPath)));
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
