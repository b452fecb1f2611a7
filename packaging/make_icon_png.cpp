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

#include "art/art.h"
#include "gfx/xpm_decoder.h"

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
  const voltaro::Surface art = from32 ? voltaro::DecodeXpm(voltaro::art::kIcon32Xpm, "icon32")
                                      : voltaro::DecodeXpm(voltaro::art::kIcon16Xpm, "icon16");
  const int scale = size / art.width;

  // RGBA, see-through where the art says "None", as on the window.
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint32_t colour = art.At(x / scale, y / scale);
      std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
      const bool none = colour == voltaro::kXpmNone;
      pixel[0] = none ? 0 : static_cast<std::uint8_t>(colour >> 16);
      pixel[1] = none ? 0 : static_cast<std::uint8_t>(colour >> 8);
      pixel[2] = none ? 0 : static_cast<std::uint8_t>(colour);
      pixel[3] = none ? 0 : 255;
    }
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
