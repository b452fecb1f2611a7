// voltaro5-e2e-frames: the title and game-over pictures exactly as the game's
// own drawing code makes them, for comparing with screenshots of the window.
//
//   voltaro5-e2e-frames write title HISCORE PROMPT OUT.ppm
//   voltaro5-e2e-frames write gameover SCORE NEWRECORD OUT.ppm
//   voltaro5-e2e-frames find title|gameover SHOT.ppm LOW HIGH
//   voltaro5-e2e-frames locate SHOT.ppm
//
// "write" stores one picture as a binary PPM (PROMPT and NEWRECORD are 0 or 1).
// "find" compares a screenshot (binary PPM of the 250 x 400 client area) with
// every picture of that screen for a number from LOW to HIGH, both flag
// values, and prints "NUMBER FLAG" of the first that is equal pixel for pixel;
// exit status 1 when none is. "locate" prints "car X Y", "plate X Y" and
// "bulletL|bulletR|bulletU X Y" for every place of a play screenshot where
// the picture (its opaque pixels) stands, top-left corners in playfield
// pixels.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/screens.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace {

using voltaro::Sprites;
using voltaro::Surface;

constexpr int kExitUsage = 2;

struct UsageError {
  std::string message;
};

std::int32_t ParseNumber(const std::string& text, const char* what) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
    throw UsageError{std::string(what) + ": '" + text + "' is not a 32-bit whole number"};
  }
  return static_cast<std::int32_t>(value);
}

bool ParseFlag(const std::string& text, const char* what) {
  if (text == "0") return false;
  if (text == "1") return true;
  throw UsageError{std::string(what) + ": expected 0 or 1, found '" + text + "'"};
}

// The picture of `screen` for `number` (best score or final score) and `flag`
// (prompt shown, or new record).
void Draw(Surface& playfield, const Sprites& sprites, const std::string& screen,
          std::int32_t number, bool flag) {
  const auto w = static_cast<std::int16_t>(sprites.picBack.width);
  const auto h = static_cast<std::int16_t>(sprites.picBack.height);
  if (screen == "title") {
    voltaro::DrawTitleFrame(playfield, sprites, w, h, number, flag);
  } else {
    voltaro::DrawGameOverFrame(playfield, sprites, w, number, flag);
  }
}

// Pixels as the file stores them: R, G, B bytes, row by row.
std::string RgbBytes(const Surface& picture) {
  std::string bytes;
  bytes.reserve(picture.pixels.size() * 3);
  for (const std::uint32_t pixel : picture.pixels) {
    bytes.push_back(static_cast<char>((pixel >> 16) & 0xFF));
    bytes.push_back(static_cast<char>((pixel >> 8) & 0xFF));
    bytes.push_back(static_cast<char>(pixel & 0xFF));
  }
  return bytes;
}

void WritePpm(const Surface& picture, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n" << RgbBytes(picture);
  if (!out) throw UsageError{path + ": cannot write the picture"};
}

// The next number of a PPM header, skipping blanks and # comments.
int HeaderNumber(std::istream& in) {
  for (;;) {
    const int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      in.get();
    } else {
      break;
    }
  }
  int value = -1;
  in >> value;
  return value;
}

// The pixel bytes of a binary PPM with 8-bit channels, checked against the size.
std::string ReadPpm(const std::string& path, int width, int height) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError{path + ": cannot open the screenshot"};
  char magic[2] = {};
  in.read(magic, 2);
  const int fileW = HeaderNumber(in);
  const int fileH = HeaderNumber(in);
  const int maxval = HeaderNumber(in);
  if (!in || magic[0] != 'P' || magic[1] != '6' || maxval != 255) {
    throw UsageError{path + ": not a binary PPM with 8-bit channels"};
  }
  if (fileW != width || fileH != height) {
    std::ostringstream message;
    message << path << ": the screenshot is " << fileW << " x " << fileH << ", expected " << width
            << " x " << height;
    throw UsageError{message.str()};
  }
  in.get();  // the single blank after the header
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    throw UsageError{path + ": the pixel data is cut short or too long"};
  }
  return bytes;
}

// RGB bytes back to 0x00RRGGBB pixels, to compare with drawn pictures.
std::vector<std::uint32_t> Pixels(const std::string& rgb) {
  std::vector<std::uint32_t> pixels(rgb.size() / 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const auto byte = [&](std::size_t k) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(rgb[3 * i + k]));
    };
    pixels[i] = (byte(0) << 16) | (byte(1) << 8) | byte(2);
  }
  return pixels;
}

// True when the picture's pixels that `mask` marks opaque (black; all of
// them without a mask) stand at (x, y) of the shot, clipped to the shot.
bool StandsAt(const std::vector<std::uint32_t>& shot, int shotW, int shotH, const Surface& image,
              const Surface* mask, int x, int y) {
  int opaque = 0;
  int compared = 0;
  for (int v = 0; v < image.height; ++v) {
    for (int u = 0; u < image.width; ++u) {
      if (mask != nullptr && mask->At(u, v) != voltaro::kBlack) continue;
      ++opaque;
      const int sx = x + u;
      const int sy = y + v;
      if (sx < 0 || sx >= shotW || sy < 0 || sy >= shotH) continue;
      if (shot[static_cast<std::size_t>(sy) * static_cast<std::size_t>(shotW) +
               static_cast<std::size_t>(sx)] != image.At(u, v)) {
        return false;
      }
      ++compared;
    }
  }
  // At least half the picture on the screen, so an edge sliver is no find.
  return compared > 0 && 2 * compared >= opaque;
}

void Locate(const Sprites& sprites, const std::vector<std::uint32_t>& shot, int w, int h) {
  struct Wanted {
    const char* name;
    const Surface& image;
    const Surface* mask;  // null for a picture drawn opaque
  };
  const Wanted wanted[] = {
      {"car", sprites.picBall.image, &sprites.picBall.mask},
      {"plate", sprites.picPlate, nullptr},
      {"bulletL", sprites.picBulletL.image, &sprites.picBulletL.mask},
      {"bulletR", sprites.picBulletR.image, &sprites.picBulletR.mask},
      {"bulletU", sprites.picBulletU.image, &sprites.picBulletU.mask},
  };
  for (const Wanted& picture : wanted) {
    for (int y = -picture.image.height; y < h; ++y) {
      for (int x = -picture.image.width; x < w; ++x) {
        if (StandsAt(shot, w, h, picture.image, picture.mask, x, y)) {
          std::cout << picture.name << ' ' << x << ' ' << y << '\n';
        }
      }
    }
  }
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "locate") {
    const Sprites sprites = voltaro::LoadSprites();
    const int w = sprites.picBack.width;
    const int h = sprites.picBack.height;
    Locate(sprites, Pixels(ReadPpm(args[1], w, h)), w, h);
    return 0;
  }
  if (args.size() != 5) throw UsageError{"wrong number of arguments"};
  const std::string& verb = args[0];
  const std::string& screen = args[1];
  if (screen != "title" && screen != "gameover") {
    throw UsageError{"unknown screen '" + screen + "' (title or gameover)"};
  }
  const Sprites sprites = voltaro::LoadSprites();
  Surface playfield(sprites.picBack.width, sprites.picBack.height);
  if (verb == "write") {
    Draw(playfield, sprites, screen, ParseNumber(args[2], "number"), ParseFlag(args[3], "flag"));
    WritePpm(playfield, args[4]);
    return 0;
  }
  if (verb == "find") {
    const std::vector<std::uint32_t> shot =
        Pixels(ReadPpm(args[2], playfield.width, playfield.height));
    const std::int32_t low = ParseNumber(args[3], "LOW");
    const std::int32_t high = ParseNumber(args[4], "HIGH");
    for (std::int64_t number = low; number <= high; ++number) {
      for (const bool flag : {false, true}) {
        Draw(playfield, sprites, screen, static_cast<std::int32_t>(number), flag);
        if (playfield.pixels == shot) {
          std::cout << number << ' ' << (flag ? 1 : 0) << '\n';
          return 0;
        }
      }
    }
    std::cerr << "voltaro5-e2e-frames: " << args[2] << " matches no " << screen << " picture for "
              << low << " to " << high << '\n';
    return 1;
  }
  throw UsageError{"unknown command '" + verb + "'"};
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << "voltaro5-e2e-frames: " << error.message
              << "\nusage: voltaro5-e2e-frames write title|gameover NUMBER FLAG OUT.ppm\n"
                 "       voltaro5-e2e-frames find title|gameover SHOT.ppm LOW HIGH\n"
                 "       voltaro5-e2e-frames locate SHOT.ppm\n";
    return kExitUsage;
  } catch (const std::exception& error) {
    std::cerr << "voltaro5-e2e-frames: " << error.what() << '\n';
    return 1;
  }
}
