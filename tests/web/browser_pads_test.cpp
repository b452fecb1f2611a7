// A pad's buttons and stick reach the game as the desktop's default mapping
// makes them, with its stick hysteresis, and let go of everything when the
// page loses the focus or the pad goes.
#include "web/browser_pads.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/key_codes.h"

namespace voltaro {
namespace {

// The standard mapping's A, Start and D-pad left.
constexpr std::uint32_t kA = 1u << 0, kStart = 1u << 9, kDpadLeft = 1u << 14;

struct Step {
  const char* what;
  bool releaseAll;
  PadReading reading;
  std::vector<std::pair<int, bool>> keys;  // code, down
};

TEST(BrowserPads, PlayTheDesktopsMapping) {
  const std::vector<Step> steps = {
      {"A jumps", false, {true, kA, 0}, {{kKeyUp, true}}},
      {"held, no repeat", false, {true, kA, 0}, {}},
      {"Start and the D-pad",
       false,
       {true, kA | kStart | kDpadLeft, 0},
       {{kKeyEnter, true}, {kKeyLeft, true}}},
      {"let go", false, {true, 0, 0}, {{kKeyUp, false}, {kKeyEnter, false}, {kKeyLeft, false}}},
      {"stick short of half-way", false, {true, 0, 0.49}, {}},
      {"stick half-way", false, {true, 0, 0.5}, {{kKeyRight, true}}},
      {"stick above the release point", false, {true, 0, 0.38}, {}},
      {"stick below it", false, {true, 0, 0.37}, {{kKeyRight, false}}},
      {"stick across", false, {true, 0, -0.6}, {{kKeyLeft, true}}},
      {"stick right over", false, {true, 0, 0.6}, {{kKeyLeft, false}, {kKeyRight, true}}},
      {"focus lost", true, {}, {{kKeyRight, false}}},
      {"A down again", false, {true, kA, 0}, {{kKeyUp, true}}},
      {"focus lost with A down", true, {}, {{kKeyUp, false}}},
      {"A still down: silent", false, {true, kA, 0}, {}},
      {"A up: silent", false, {true, 0, 0}, {}},
      {"A down", false, {true, kA, 0}, {{kKeyUp, true}}},
      {"pad gone", false, {false, kA, 0}, {{kKeyUp, false}}},
  };
  BrowserPads pads;
  for (const Step& step : steps) {
    std::vector<PadKey> out;
    if (step.releaseAll) {
      pads.ReleaseAll(out);
    } else {
      pads.Take({step.reading}, out);
    }
    std::vector<std::pair<int, bool>> keys;
    for (const PadKey& key : out) keys.emplace_back(key.code, key.down);
    EXPECT_EQ(keys, step.keys) << step.what;
  }
  EXPECT_FALSE(pads.AnyConnected());
}

}  // namespace
}  // namespace voltaro
