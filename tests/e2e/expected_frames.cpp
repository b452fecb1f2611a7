// voltaro5-e2e-frames: the title and game-over pictures of the game's own
// drawing code, and the places of its sprites in screenshots. Pictures are raw
// RGB, row by row, of the 250 x 400 playfield; FLAG 1: prompt shown, new record.
// COVER is what stands over a held game: pause, hint (the pause with its line
// lit), help (the controls of the default settings) or pagehelp (the page's).
//   write title|gameover NUMBER FLAG [COVER]  the picture, on standard output
//   find title|gameover SHOT LOW HIGH  "NUMBER FLAG" of the picture equal to SHOT
//                                      for LOW..HIGH; status 1 when there is none
//   locate SHOT...                     "INDEX SPRITE X Y" wherever a sprite stands
//   covered COVER SHOT                 status 0 when SHOT shows COVER over some
//                                      picture (the one under it brightened back
//                                      and covered again gives SHOT)
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "desktop/help_text.h"
#include "gfx/help_picture.h"
#include "gfx/pause_sign.h"
#include "gfx/screens.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/overlay.h"
#include "web/browser_keys.h"

namespace {

using voltaro::Sprites;
using voltaro::Surface;

void Draw(Surface& playfield, const Sprites& sprites, const std::string& screen,
          std::int32_t number, bool flag) {
  const auto w = static_cast<std::int16_t>(playfield.width);
  const auto h = static_cast<std::int16_t>(playfield.height);
  if (screen == "title") {
    voltaro::DrawTitleFrame(playfield, sprites, w, h, number, flag);
  } else if (screen == "gameover") {
    voltaro::DrawGameOverFrame(playfield, sprites, w, number, flag);
  } else {
    throw std::invalid_argument("unknown screen '" + screen + "'");
  }
}

voltaro::Overlay CoverNamed(const std::string& name) {
  if (name == "pause") return voltaro::Overlay::kPauseSign;
  if (name == "hint") return voltaro::Overlay::kPauseHint;
  if (name == "help" || name == "pagehelp") return voltaro::Overlay::kHelp;
  throw std::invalid_argument("unknown cover '" + name + "'");
}

void Cover(Surface& picture, const Sprites& sprites, const std::string& cover) {
  const voltaro::HelpText help =
      cover == "pagehelp"
          ? voltaro::PageHelpText()
          : voltaro::DesktopHelpText(voltaro::DefaultKeyBindings(), voltaro::DefaultPadBindings());
  voltaro::DrawOverlay(picture, sprites, CoverNamed(cover), help);
}

// A screenshot as 0x00RRGGBB pixels, the way a Surface holds them.
std::vector<std::uint32_t> ReadShot(const std::string& path, std::size_t pixelCount) {
  std::ifstream in(path, std::ios::binary);
  const std::string rgb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (rgb.size() != 3 * pixelCount) throw std::runtime_error(path + ": not a playfield's RGB");
  std::vector<std::uint32_t> pixels(pixelCount);
  for (std::size_t i = 0; i < rgb.size(); ++i)
    pixels[i / 3] = (pixels[i / 3] << 8) | static_cast<unsigned char>(rgb[i]);
  return pixels;
}

// True when the picture's pixels that `mask` marks opaque (black; all of them
// without a mask) stand at (x, y) of the shot, at least half of them on it.
bool StandsAt(const std::vector<std::uint32_t>& shot, int shotW, int shotH, const Surface& image,
              const Surface* mask, int x, int y) {
  int opaque = 0;
  int compared = 0;
  for (int v = 0; v < image.height; ++v) {
    for (int u = 0; u < image.width; ++u) {
      if (mask != nullptr && mask->At(u, v) != voltaro::kBlack) continue;
      ++opaque;
      if (x + u < 0 || x + u >= shotW || y + v < 0 || y + v >= shotH) continue;
      if (shot[static_cast<std::size_t>((y + v) * shotW + x + u)] != image.At(u, v)) return false;
      ++compared;
    }
  }
  return compared > 0 && 2 * compared >= opaque;
}

void Locate(const Sprites& sprites, const std::vector<std::uint32_t>& shot, std::size_t index,
            int w, int h) {
  struct Wanted {
    const char* name;
    const Surface& image;
    const Surface* mask;  // null for a picture drawn opaque
  };
  const Wanted wanted[] = {
      {"car", sprites.car.image, &sprites.car.mask},
      {"plate", sprites.plate, nullptr},
      {"bulletL", sprites.bulletLeft.image, &sprites.bulletLeft.mask},
      {"bulletR", sprites.bulletRight.image, &sprites.bulletRight.mask},
      {"bulletU", sprites.bulletUp.image, &sprites.bulletUp.mask},
  };
  for (const Wanted& picture : wanted) {
    for (int y = -picture.image.height; y < h; ++y) {
      for (int x = -picture.image.width; x < w; ++x) {
        if (StandsAt(shot, w, h, picture.image, picture.mask, x, y)) {
          std::cout << index << ' ' << picture.name << ' ' << x << ' ' << y << '\n';
        }
      }
    }
  }
}

int Run(const std::vector<std::string>& args) {
  const Sprites sprites = voltaro::LoadSprites();
  Surface playfield(sprites.background.width, sprites.background.height);
  const std::size_t count = playfield.pixels.size();
  if ((args.size() == 4 || args.size() == 5) && args[0] == "write") {
    Draw(playfield, sprites, args[1], std::stoi(args[2]), args[3] == "1");
    if (args.size() == 5) Cover(playfield, sprites, args[4]);
    for (const std::uint32_t pixel : playfield.pixels) {
      for (const int shift : {16, 8, 0}) std::cout.put(static_cast<char>(pixel >> shift));
    }
    return std::cout ? 0 : 1;
  }
  if (args.size() == 5 && args[0] == "find") {
    const std::vector<std::uint32_t> shot = ReadShot(args[2], count);
    for (std::int64_t number = std::stoi(args[3]); number <= std::stoi(args[4]); ++number) {
      for (const bool flag : {false, true}) {
        Draw(playfield, sprites, args[1], static_cast<std::int32_t>(number), flag);
        if (playfield.pixels == shot) {
          std::cout << number << ' ' << flag << '\n';
          return 0;
        }
      }
    }
    return 1;
  }
  if (args.size() == 3 && args[0] == "covered") {
    const std::vector<std::uint32_t> shot = ReadShot(args[2], count);
    // Dimming keeps a channel's high bits: shifted back, they dim again to
    // what the shot shows, wherever no text stands.
    const bool help = CoverNamed(args[1]) == voltaro::Overlay::kHelp;
    const int shift = help ? voltaro::kHelpDimShift : voltaro::kPauseDimShift;
    const std::uint32_t low = 0xFFU >> shift;
    const std::uint32_t kept = (low << 16) | (low << 8) | low;
    for (std::size_t i = 0; i < count; ++i) playfield.pixels[i] = (shot[i] & kept) << shift;
    Cover(playfield, sprites, args[1]);
    return playfield.pixels == shot ? 0 : 1;
  }
  if (args.size() >= 2 && args[0] == "locate") {
    for (std::size_t i = 1; i < args.size(); ++i) {
      Locate(sprites, ReadShot(args[i], count), i - 1, playfield.width, playfield.height);
    }
    return 0;
  }
  throw std::invalid_argument("unknown command; see the comment at the top of the source");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "voltaro5-e2e-frames: " << error.what() << '\n';
    return 2;
  }
}
