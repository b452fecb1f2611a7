// The cost of one play frame's update: UpdateFrame and the frame's ScorePoint
// on a running game, without drawing. When a game ends it is set up afresh
// with the timer stopped, so only frames in play are measured. The target is
// well under 2 microseconds a frame, so the headless simulator runs several
// hundred thousand frames a second.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "game/game_ready.h"
#include "game/game_state.h"
#include "game/headless_platform.h"
#include "game/keys.h"
#include "game/play_frame.h"
#include "game/random_source.h"

namespace {

void NewGame(voltaro::GameState& game, voltaro::HeadlessPlatform& platform, bool holdFire) {
  game.GameMode = voltaro::kModePlaying;
  voltaro::GameReady(game, platform);
  if (holdFire) {
    for (const int key : {voltaro::kKeyZ, voltaro::kKeyV, voltaro::kKeyD}) {
      voltaro::HandleKeyDown(game, key);
    }
  }
}

// Games as they start: plates only until the car falls out, usually within
// the first 200 frames.
void BM_FrameUpdate_FromSetUp(benchmark::State& state) {
  voltaro::HeadlessPlatform platform(12345);
  voltaro::GameState game;
  NewGame(game, platform, false);
  for (auto _ : state) {
    const voltaro::FrameEnd end = voltaro::UpdateFrame(game, platform);
    if (end == voltaro::FrameEnd::kContinue) {
      voltaro::ScorePoint(game);
    } else {
      state.PauseTiming();
      NewGame(game, platform, false);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(game);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameUpdate_FromSetUp);

// A long game with everything moving: all three fire keys held (a shot each
// every 11 frames), enemies and coins in play, and the car dropped back in at
// the top whenever it sinks low, so it keeps landing and meeting enemies.
void BM_FrameUpdate_LongGame(benchmark::State& state) {
  voltaro::HeadlessPlatform platform(12345);
  voltaro::GameState game;
  NewGame(game, platform, true);
  std::int64_t games = 1;
  for (auto _ : state) {
    const voltaro::FrameEnd end = voltaro::UpdateFrame(game, platform);
    if (end == voltaro::FrameEnd::kContinue) {
      voltaro::ScorePoint(game);
      if (game.CarY > 300) {
        game.CarY = 0;
        game.CarVY = 0;
        game.OnPlate = false;
      }
    } else {
      state.PauseTiming();
      NewGame(game, platform, true);
      ++games;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(game);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["frames_per_game"] =
      static_cast<double>(state.iterations()) / static_cast<double>(games);
}
BENCHMARK(BM_FrameUpdate_LongGame);

}  // namespace
