// voltaro5-icon-png: writes the game's icon as a PNG of a given size, for the
// desktop's icon theme, at build time. The art is the game's own 16 and 32
// pixel icons (the window's icons); larger sizes are whole-number nearest-
// neighbour enlargements of the one that divides the size, the 32 pixel one
// first. Usage: voltaro5-icon-png SIZE OUT.png
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "gfx/icon_pixels.h"
#include "gfx/sprites.h"

namespace {

int Run(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: voltaro5-icon-png SIZE OUT.png\n";
    return 2;
  }
  const std::string sizeText = argv[1];
  const int size =
      sizeText.find_first_not_of("0123456789") == std::string::npos && sizeText.size() <= 4
          ? std::atoi(sizeText.c_str())
          : 0;
  const bool from32 = size > 0 && size % 32 == 0;
  if (!from32 && (size <= 0 || size % 16 != 0)) {
    std::cerr << "voltaro5-icon-png: the size must be a positive multiple of 16, not " << sizeText
              << '\n';
    return 2;
  }
  const voltaro::Sprites sprites = voltaro::LoadSprites();
  const voltaro::SpritePair& art = from32 ? sprites.icon32 : sprites.icon16;
  const std::vector<std::uint32_t> argb = voltaro::IconArgb(art, size / art.image.width);

  // RGBA bytes, see-through where the icon is, as on the window.
  std::vector<std::uint8_t> rgba;
  rgba.reserve(argb.size() * 4);
  for (const std::uint32_t pixel : argb) {
    for (const int shift : {16, 8, 0, 24})
      rgba.push_back(static_cast<std::uint8_t>(pixel >> shift));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(size);
  image.height = static_cast<png_uint_32>(size);
  image.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&image, argv[2], 0, rgba.data(), 0, nullptr) == 0) {
    std::cerr << "voltaro5-icon-png: cannot write " << argv[2] << ": " << image.message << '\n';
    png_image_free(&image);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "voltaro5-icon-png: " << error.what() << '\n';
    return 1;
  }
}
