// Saved pictures: BMP written and read back for widths that need row padding,
// the PNG checked by decoding its chunks and stored deflate blocks here, and
// clear errors for paths and files that cannot be used.
#include "gfx/image_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace voltaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("voltaro5_gfx_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + name))
      .string();
}

Bytes ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Surface RandomSurface(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  Surface s(w, h);
  for (auto& p : s.pixels) p = rng() & 0xFFFFFF;
  return s;
}

std::uint32_t BE32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

std::uint32_t Crc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320U & (0U - (c & 1)));
  }
  return ~c;
}

TEST(ImageFile, BmpRoundTripsEveryRowPadding) {
  for (int w : {1, 2, 3, 4, 5, 250}) {
    const Surface original = RandomSurface(w, 7, static_cast<unsigned>(w));
    const std::string path = TempPath("rt.bmp");
    SaveBmp(original, path);
    const Bytes bytes = ReadAll(path);
    const std::size_t rowBytes = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    EXPECT_EQ(bytes.size(), 54 + rowBytes * 7) << w;
    const Surface back = LoadBmp(path);
    EXPECT_EQ(back.width, w);
    EXPECT_EQ(back.height, 7);
    EXPECT_EQ(back.pixels, original.pixels) << w;
    std::filesystem::remove(path);
  }
}

TEST(ImageFile, BmpStoresBlueGreenRedBottomRowFirst) {
  Surface s(1, 2);
  s.At(0, 0) = 0x112233;  // top
  s.At(0, 1) = 0xAABBCC;  // bottom
  const std::string path = TempPath("order.bmp");
  SaveBmp(s, path);
  const Bytes b = ReadAll(path);
  ASSERT_EQ(b.size(), 54u + 8u);
  EXPECT_EQ((Bytes{b[54], b[55], b[56], b[58], b[59], b[60]}),
            (Bytes{0xCC, 0xBB, 0xAA, 0x33, 0x22, 0x11}));
  std::filesystem::remove(path);
}

TEST(ImageFile, PngChunksAndStoredBlocksHoldThePixels) {
  const Surface original = RandomSurface(250, 400, 42);  // raw data spans several blocks
  const std::string path = TempPath("frame.png");
  SavePng(original, path);
  const Bytes b = ReadAll(path);
  std::filesystem::remove(path);
  ASSERT_GE(b.size(), 8u);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));

  Bytes zlib;
  std::vector<std::string> types;
  std::size_t at = 8;
  while (at + 12 <= b.size()) {
    const std::uint32_t len = BE32(b, at);
    ASSERT_LE(at + 12 + len, b.size());
    const std::string type(b.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           b.begin() + static_cast<std::ptrdiff_t>(at + 8));
    types.push_back(type);
    EXPECT_EQ(BE32(b, at + 8 + len), Crc(&b[at + 4], len + 4)) << type;
    if (type == "IHDR") {
      EXPECT_EQ(BE32(b, at + 8), 250u);
      EXPECT_EQ(BE32(b, at + 12), 400u);
      EXPECT_EQ(b[at + 16], 8);  // bit depth
      EXPECT_EQ(b[at + 17], 2);  // RGB
    }
    if (type == "IDAT") zlib.insert(zlib.end(), &b[at + 8], &b[at + 8] + len);
    at += 12 + len;
  }
  EXPECT_EQ(at, b.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

  // Undo the stored deflate blocks and check the Adler-32.
  ASSERT_GE(zlib.size(), 6u);
  EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);
  Bytes raw;
  std::size_t p = 2;
  bool last = false;
  while (!last) {
    ASSERT_LE(p + 5, zlib.size());
    last = (zlib[p] & 1) != 0;
    EXPECT_EQ(zlib[p] & 6, 0);  // stored
    const std::size_t len = zlib[p + 1] | (zlib[p + 2] << 8);
    EXPECT_EQ(len ^ 0xFFFF, static_cast<std::size_t>(zlib[p + 3] | (zlib[p + 4] << 8)));
    raw.insert(raw.end(), zlib.begin() + static_cast<std::ptrdiff_t>(p + 5),
               zlib.begin() + static_cast<std::ptrdiff_t>(p + 5 + len));
    p += 5 + len;
  }
  ASSERT_EQ(p + 4, zlib.size());
  std::uint32_t a1 = 1, a2 = 0;
  for (std::uint8_t v : raw) {
    a1 = (a1 + v) % 65521;
    a2 = (a2 + a1) % 65521;
  }
  EXPECT_EQ(BE32(zlib, p), (a2 << 16) | a1);

  ASSERT_EQ(raw.size(), 400u * (1 + 250 * 3));
  for (int y = 0; y < 400; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * (1 + 250 * 3);
    ASSERT_EQ(raw[row], 0);
    for (int x = 0; x < 250; ++x) {
      const std::size_t q = row + 1 + static_cast<std::size_t>(x) * 3;
      ASSERT_EQ((std::uint32_t{raw[q]} << 16) | (std::uint32_t{raw[q + 1]} << 8) | raw[q + 2],
                original.At(x, y));
    }
  }
}

TEST(ImageFile, ErrorsNameThePath) {
  const std::string noDir = "/nonexistent-voltaro5-dir/frame.bmp";
  const Surface s(2, 2);
  for (auto save : {&SaveBmp, &SavePng}) {
    try {
      save(s, noDir);
      FAIL() << "saved into a missing directory";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(noDir), std::string::npos) << e.what();
    }
    EXPECT_THROW(save(Surface(), TempPath("empty.bmp")), std::runtime_error);
  }

  const std::string path = TempPath("bad.bmp");
  SaveBmp(RandomSurface(5, 5, 1), path);
  const Bytes good = ReadAll(path);
  struct Damage {
    const char* what;
    Bytes bytes;
  };
  Bytes truncated(good.begin(), good.end() - 10);
  Bytes thirtyTwoBit = good;
  thirtyTwoBit[28] = 32;
  Bytes compressed = good;
  compressed[30] = 1;
  Bytes hugeWidth = good;
  hugeWidth[21] = 0x7F;
  const Damage damages[] = {{"empty", {}},
                            {"not a bmp", {'P', '6', '\n'}},
                            {"truncated", truncated},
                            {"32-bit", thirtyTwoBit},
                            {"compressed", compressed},
                            {"huge width", hugeWidth}};
  for (const Damage& d : damages) {
    WriteAll(path, d.bytes);
    try {
      LoadBmp(path);
      ADD_FAILURE() << d.what << ": read without error";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
  std::filesystem::remove(path);
  EXPECT_THROW(LoadBmp(path), std::runtime_error);  // missing file
}

}  // namespace
}  // namespace voltaro
