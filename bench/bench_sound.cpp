// What sound costs the game's processor: the mixer filling one second of the
// device's buffers (silent, and with effects overlapping all the time), and
// the cue observer's work after each frame of play. Play runs about 33 frames
// a second, so a frame's observer cost times 33, plus the mixer's second, is
// sound's share of a core; it must stay under 0.3 %.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "game/game_ready.h"
#include "game/headless_platform.h"
#include "game/keys.h"
#include "game/play_frame.h"
#include "sound/frame_cues.h"
#include "sound/mixer.h"

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kBufferFrames = 512;  // as the desktop's device asks

const voltaro::EffectSamples& Effects() {
  static const voltaro::EffectSamples effects = voltaro::SynthesiseEffects(kRate);
  return effects;
}

// One second of audio in the device's buffers; `triggerEvery` buffers a new
// effect starts (0: none). The processor time per iteration is the share of a
// core: 30 us is 0.003 %.
void MixOneSecond(benchmark::State& state, int triggerEvery) {
  voltaro::Mixer mixer(Effects());
  std::array<std::int16_t, kBufferFrames> buffer{};
  int buffers = 0;
  for (auto _ : state) {
    for (std::size_t done = 0; done < kRate; done += kBufferFrames) {
      if (triggerEvery > 0 && ++buffers % triggerEvery == 0) {
        mixer.Trigger(static_cast<voltaro::Effect>(buffers % voltaro::kEffectCount));
      }
      mixer.Mix(buffer.data(), buffer.size());
      benchmark::DoNotOptimize(buffer);
    }
  }
}

void BM_Mix_SilentSecond(benchmark::State& state) {
  MixOneSecond(state, 0);
}
BENCHMARK(BM_Mix_SilentSecond)->Unit(benchmark::kMicrosecond);

// An effect starts every 4 buffers (46 ms), so several always overlap: far
// busier than any game.
void BM_Mix_BusySecond(benchmark::State& state) {
  MixOneSecond(state, 4);
}
BENCHMARK(BM_Mix_BusySecond)->Unit(benchmark::kMicrosecond);

// The observer after each frame of long games with every fire key held: the
// frame's cues from the state before and after, and the copy it keeps. The
// games are played first, so only the observer is timed.
struct PlayedFrame {
  voltaro::GameState game;
  voltaro::FrameEnd end;
};

std::vector<PlayedFrame> PlayGames(int frames) {
  voltaro::HeadlessPlatform platform(12345);
  std::vector<PlayedFrame> played;
  voltaro::GameState game;
  while (static_cast<int>(played.size()) < frames) {
    game.GameMode = voltaro::kModePlaying;
    voltaro::GameReady(game, platform);
    for (const int key : {voltaro::kKeyZ, voltaro::kKeyV, voltaro::kKeyD}) {
      voltaro::HandleKeyDown(game, key);
    }
    played.push_back({game, voltaro::FrameEnd::kContinue});  // the set-up
    voltaro::FrameEnd end = voltaro::FrameEnd::kContinue;
    while (end == voltaro::FrameEnd::kContinue) {
      end = voltaro::UpdateFrame(game, platform);
      if (end == voltaro::FrameEnd::kContinue) voltaro::ScorePoint(game);
      played.push_back({game, end});
    }
  }
  return played;
}

void BM_CueObserver_Frame(benchmark::State& state) {
  const std::vector<PlayedFrame> played = PlayGames(20000);
  std::int64_t heard = 0;
  voltaro::CueObserver cues([&heard](voltaro::Effect) { ++heard; });
  std::size_t next = 0;
  for (auto _ : state) {
    const PlayedFrame& frame = played[next];
    next = next + 1 == played.size() ? 0 : next + 1;
    cues.FrameDone(frame.game, 1, frame.end);
  }
  benchmark::DoNotOptimize(heard);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CueObserver_Frame);

}  // namespace
