// An off-screen picture of 24-bit colour pixels: the playfield the game draws
// into, and the read-only sprite and font pictures it draws from.
#pragma once

#include <cstdint>
#include <vector>

namespace voltaro {

// Colours are 0x00RRGGBB.
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // row-major, width * height

  Surface() = default;
  Surface(int w, int h, std::uint32_t fill = kBlack);

  std::uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
  std::uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }

  // Fills the whole picture with the background colour, black.
  void Clear();
};

}  // namespace voltaro
