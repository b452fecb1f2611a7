// Replay files on any bytes: a replay is either refused with a message naming
// the file and the line, or read into a recording that, written out again,
// reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "game/replay_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  voltaro::Recording recording;
  try {
    recording = voltaro::ParseReplayText(text, "game.v5replay");
  } catch (const voltaro::ReplayError& error) {
    Check(std::string_view(error.what()).substr(0, 14) == "game.v5replay:");
    return 0;
  }
  const std::string written = voltaro::ReplayText(recording);
  voltaro::Recording again;
  try {
    again = voltaro::ParseReplayText(written, "again.v5replay");
  } catch (const voltaro::ReplayError&) {
    std::abort();  // the game wrote a replay it cannot read
  }
  Check(voltaro::ReplayText(again) == written);
  return 0;
}
