// Replay files on any bytes: a file is either refused with a message naming
// it (and the line), or read into a recording that writes back to text which
// reads to the same recording; and the game then plays from that recording's
// state with its keys for a few frames without a fault of any kind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/play_session.h"
#include "game/run_time_error.h"
#include "saves/replay_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using voltaro::fuzz::Check;

constexpr int kFramesPlayed = 40;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace voltaro;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Recording recording;
  try {
    recording = ParseReplayText(text, "game.v5replay");
  } catch (const ReplayError& error) {
    Check(std::string(error.what()).rfind("game.v5replay:", 0) == 0);
    return 0;
  }
  const std::string written = ReplayText(recording);
  Check(ReplayText(ParseReplayText(written, "again")) == written);

  GameState game = recording.start;
  RandomSource random = RandomSource::FromState(recording.randomState);
  PlayHost host;
  PlaySession session(game, random, host);
  try {
    session.Start(&recording.keys);
    for (int frame = 0; frame < kFramesPlayed; ++frame) {
      if (session.RunFrame() != FrameEnd::kContinue) break;
    }
  } catch (const RunTimeError&) {
    // A score pushed past its range by the recorded state: the game's own
    // run-time error, not a fault.
  }
  return 0;
}
