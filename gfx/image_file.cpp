// BMP writing and reading, small and dependency-free.
#include "gfx/image_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace voltaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kMaxSide = 1 << 15;  // no picture of the game comes near this

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw std::runtime_error(path + ": " + reason);
}

void CheckSize(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0 || surface.width > kMaxSide ||
      surface.height > kMaxSide ||
      surface.pixels.size() !=
          static_cast<std::size_t>(surface.width) * static_cast<std::size_t>(surface.height)) {
    Fail(path, "cannot save a picture of size " + std::to_string(surface.width) + " x " +
                   std::to_string(surface.height));
  }
}

void PutLE16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutLE32(Bytes& out, std::uint32_t v) {
  PutLE16(out, v & 0xFFFF);
  PutLE16(out, v >> 16);
}

std::uint8_t Channel(std::uint32_t pixel, int shift) {
  return static_cast<std::uint8_t>((pixel >> shift) & 0xFF);
}

void WriteFile(const Bytes& bytes, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) Fail(path, std::string("cannot open for writing: ") + std::strerror(errno));
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) Fail(path, "write failed");
}

std::uint32_t ReadLE(const Bytes& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int k = size - 1; k >= 0; --k) v = (v << 8) | b[at + static_cast<std::size_t>(k)];
  return v;
}

}  // namespace

void SaveBmp(const Surface& surface, const std::string& path) {
  CheckSize(surface, path);
  const auto width = static_cast<std::uint32_t>(surface.width);
  const auto height = static_cast<std::uint32_t>(surface.height);
  const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;  // rows padded to 4 bytes
  const std::uint32_t imageBytes = rowBytes * height;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;

  Bytes out;
  out.reserve(kHeaderBytes + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutLE32(out, kHeaderBytes + imageBytes);
  PutLE32(out, 0);
  PutLE32(out, kHeaderBytes);
  PutLE32(out, 40);
  PutLE32(out, width);
  PutLE32(out, height);  // positive: rows stored bottom-up
  PutLE16(out, 1);       // planes
  PutLE16(out, 24);      // bits per pixel
  PutLE32(out, 0);       // no compression
  PutLE32(out, imageBytes);
  PutLE32(out, 2835);  // 72 dpi
  PutLE32(out, 2835);
  PutLE32(out, 0);
  PutLE32(out, 0);
  for (int y = surface.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < surface.width; ++x) {
      const std::uint32_t p = surface.At(x, y);
      out.push_back(Channel(p, 0));
      out.push_back(Channel(p, 8));
      out.push_back(Channel(p, 16));
    }
    out.resize(rowStart + rowBytes, 0);
  }
  WriteFile(out, path);
}

Surface LoadBmp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) Fail(path, std::string("cannot open for reading: ") + std::strerror(errno));
  const Bytes b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') Fail(path, "not a BMP file");
  const std::uint32_t dataOffset = ReadLE(b, 10, 4);
  const std::uint32_t headerSize = ReadLE(b, 14, 4);
  const auto width = static_cast<std::int32_t>(ReadLE(b, 18, 4));
  const auto rawHeight = static_cast<std::int32_t>(ReadLE(b, 22, 4));
  const std::uint32_t bits = ReadLE(b, 28, 2);
  const std::uint32_t compression = ReadLE(b, 30, 4);
  if (headerSize < 40 || bits != 24 || compression != 0) {
    Fail(path, "only uncompressed 24-bit BMP files are read");
  }
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -std::int64_t{rawHeight} : rawHeight;
  if (width <= 0 || width > kMaxSide || height <= 0 || height > kMaxSide) {
    Fail(path, "picture size out of range");
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  if (dataOffset > b.size() ||
      b.size() - dataOffset < rowBytes * static_cast<std::size_t>(height)) {
    Fail(path, "file is truncated");
  }
  Surface surface(width, static_cast<int>(height));
  for (int y = 0; y < surface.height; ++y) {
    const int fileRow = topDown ? y : surface.height - 1 - y;
    const std::size_t rowStart = dataOffset + static_cast<std::size_t>(fileRow) * rowBytes;
    for (int x = 0; x < width; ++x) {
      const std::size_t p = rowStart + static_cast<std::size_t>(x) * 3;
      surface.At(x, y) =
          std::uint32_t{b[p]} | (std::uint32_t{b[p + 1]} << 8) | (std::uint32_t{b[p + 2]} << 16);
    }
  }
  return surface;
}

}  // namespace voltaro
