// The browser's pads as the game's keys; see browser_pads.h.
#include "web/browser_pads.h"

#include <array>
#include <cmath>

#include "game/key_codes.h"

namespace voltaro {
namespace {

// The standard mapping's buttons the game knows, with their keys.
struct ButtonKey {
  int button;
  int code;
};
constexpr std::array<ButtonKey, 7> kButtons = {{
    {0, kKeyUp},      // A, south: jump
    {2, kKeyZ},       // X, west: fire left
    {1, kKeyV},       // B, east: fire right
    {3, kKeyD},       // Y, north: fire up
    {9, kKeyEnter},   // Start
    {14, kKeyLeft},   // D-pad left
    {15, kKeyRight},  // D-pad right
}};

// Sources: keyboard keys and controls number below this.
constexpr std::int64_t kPadSources = std::int64_t{2} << 16;
constexpr int kSourcesPerPad = 64;
constexpr int kStickSource = 63;

std::int64_t SourceOf(std::size_t pad, int part) {
  return kPadSources + static_cast<std::int64_t>(pad) * kSourcesPerPad + part;
}

int StickCode(StickSide side) {
  return side == StickSide::kLeft ? kKeyLeft : kKeyRight;
}

}  // namespace

void BrowserPads::Take(const std::vector<PadReading>& pads, std::vector<PadKey>& out) {
  if (pads_.size() < pads.size()) pads_.resize(pads.size());
  for (std::size_t i = 0; i < pads_.size(); ++i) {
    Pad& pad = pads_[i];
    const PadReading reading = i < pads.size() ? pads[i] : PadReading{};
    pad.connected = reading.connected;
    const std::uint32_t down = reading.connected ? reading.buttons : 0;
    for (const ButtonKey& key : kButtons) {
      const std::uint32_t bit = std::uint32_t{1} << key.button;
      const std::int64_t source = SourceOf(i, key.button);
      if ((down & bit) != 0 && (pad.down & bit) == 0) {
        out.push_back({source, key.code, true});
        pad.sent |= bit;
      } else if ((down & bit) == 0 && (pad.sent & bit) != 0) {
        out.push_back({source, key.code, false});
        pad.sent &= ~bit;
      }
    }
    pad.down = down;
    const double x = reading.connected && std::isfinite(reading.stickX) ? reading.stickX : 0;
    const StickSide side = NextStickSide(pad.stick, x, 1.0);  // the browser's axes: -1 to 1
    if (side != pad.stick) {
      if (pad.stick != StickSide::kNone)
        out.push_back({SourceOf(i, kStickSource), StickCode(pad.stick), false});
      if (side != StickSide::kNone)
        out.push_back({SourceOf(i, kStickSource), StickCode(side), true});
      pad.stick = side;
    }
  }
}

void BrowserPads::ReleaseAll(std::vector<PadKey>& out) {
  for (std::size_t i = 0; i < pads_.size(); ++i) {
    Pad& pad = pads_[i];
    for (const ButtonKey& key : kButtons) {
      const std::uint32_t bit = std::uint32_t{1} << key.button;
      if ((pad.sent & bit) != 0) out.push_back({SourceOf(i, key.button), key.code, false});
    }
    pad.sent = 0;
    if (pad.stick != StickSide::kNone) {
      out.push_back({SourceOf(i, kStickSource), StickCode(pad.stick), false});
    }
    // The stick takes its side again from its next reading.
    pad.stick = StickSide::kNone;
  }
}

bool BrowserPads::AnyConnected() const {
  for (const Pad& pad : pads_) {
    if (pad.connected) return true;
  }
  return false;
}

}  // namespace voltaro
