// Games played through the window's scenes, watched as traces. They are
// recorded so exactly that the simulator, replaying the recording, goes
// through the very same states: the trace it writes equals, byte for byte, a
// trace taken while the game was played, for keys in set-up, inside a frame's
// placements and between frames, and for a second game that starts from what
// the first one left behind. A recorded game is shown at its pace.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "game/key_codes.h"
#include "gfx/sprites.h"
#include "saves/replay_files.h"
#include "saves/replay_text.h"
#include "scenes/scenes.h"
#include "sim/simulator.h"
#include "sim/trace_observer.h"
#include "tests/support/scripted_shell.h"

namespace voltaro {
namespace {

using testing::ScriptedShell;

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

// A window whose clock moves a millisecond per pump and a few per picture, so
// that keys land in every kind of pump.
void Pace(ScriptedShell& window) {
  window.msPerPump = 1;
  window.msPerPicture = 3;
}

// The text a FILE* collected in memory.
class MemoryFile {
 public:
  MemoryFile() : file_(open_memstream(&data_, &size_)) {}
  ~MemoryFile() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(data_);
  }
  std::FILE* get() { return file_; }
  std::string Text() {
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

// A trace of each game as it is played, and where its keys arrived.
class PlayedGames final : public PlayObserver {
 public:
  void GameStarting(const GameState& game, std::uint64_t randomState) override {
    files_.push_back(std::make_unique<MemoryFile>());
    trace_ = std::make_unique<sim::TraceObserver>(files_.back()->get());
    trace_->GameStarting(game, randomState);
    setUp_ = true;
  }
  void KeyDelivered(std::int64_t pump, bool down, int code) override {
    trace_->KeyDelivered(pump, down, code);
    (setUp_ ? inSetUp : drewInFrame_ ? inPlacements : betweenFrames)++;
  }
  void Drew(float r) override {
    trace_->Drew(r);
    drewInFrame_ = true;
  }
  void SetUpDone(const GameState& game) override {
    trace_->SetUpDone(game);
    setUp_ = false;
  }
  void FrameDone(const GameState& game, std::int64_t frame, FrameEnd end) override {
    trace_->FrameDone(game, frame, end);
    drewInFrame_ = false;
  }
  std::string Trace(std::size_t game) { return files_[game]->Text(); }

  int inSetUp = 0, inPlacements = 0, betweenFrames = 0;

 private:
  std::vector<std::unique_ptr<MemoryFile>> files_;
  std::unique_ptr<sim::TraceObserver> trace_;
  bool setUp_ = false, drewInFrame_ = false;
};

std::string ReplayTrace(const Recording& game) {
  MemoryFile file;
  sim::RunSummary summary;
  EXPECT_EQ(sim::RunReplay(sim::Options{}, game, file.get(), summary), std::nullopt);
  return file.Text();
}

TEST(Recording, ReplaysInTheSimulatorThroughTheSameStatesAsPlayed) {
  ScriptedShell window;
  Pace(window);
  std::vector<Recording> saved;
  Scenes scenes(window, TheSprites(),
                {[] { return 0; }, [](std::int32_t score) { return score; },
                 [&saved](const Recording& game, bool) { saved.push_back(game); }});
  PlayedGames played;
  scenes.Watch(played);

  // A careless player: the game's keys at random moments, Enter now and then
  // (to start the next game, and held across its set-up), keys that are not
  // the game's, and the input-method key.
  std::mt19937 random(2026);
  const int keys[] = {kKeyLeft, kKeyRight, kKeyUp, kKeyZ, kKeyV, kKeyD, kKeyEnter, 65, kKeyProcess};
  for (std::uint64_t at = 1200; at < 200'000; at += 1 + random() % 40) {
    const int key = keys[random() % std::size(keys)];
    window.At(at, random() % 3 == 0 ? -key : key);
  }
  window.At(200'000, testing::kClose);
  scenes.StartUp();
  EXPECT_THROW(scenes.RunScenes(), QuitRequested);

  ASSERT_GE(saved.size(), 2u) << "the script should finish at least two games";
  EXPECT_GT(played.inSetUp, 0);
  EXPECT_GT(played.inPlacements, 0);
  EXPECT_GT(played.betweenFrames, 0);
  for (std::size_t g = 0; g < saved.size(); ++g) {
    // Through the file's text too: what is saved is what replays.
    const Recording reread = ParseReplayText(ReplayText(saved[g]), "game");
    EXPECT_EQ(ReplayTrace(reread), played.Trace(g)) << "game " << g + 1;
  }
}

TEST(Replay, ShowsTheRecordedGameAtItsPaceIgnoringThePlayerAndStoresNothing) {
  std::string whyNot;
  const std::optional<Recording> game =
      LoadReplayFile(VOLTARO5_SOURCE_DIR "/tests/replays/careless_first.v5replay", whyNot);
  ASSERT_TRUE(game) << whyNot;
  for (const int speed : {1, 4}) {
    ScriptedShell window;
    Pace(window);
    // The player's keys during the replay change nothing; Enter on the
    // game-over screen ends it.
    for (std::uint64_t at = 1100; at < 6000; at += 7) window.At(at, at % 2 ? kKeyLeft : kKeyUp);
    window.At(60'000, kKeyEnter);
    int writes = 0, saved = 0;
    Scenes scenes(window, TheSprites(),
                  {[] { return 0; }, [&writes](std::int32_t score) { return ++writes, score; },
                   [&saved](const Recording&, bool) { ++saved; }});
    scenes.StartUp();
    const std::uint64_t start = window.Elapsed();
    scenes.ReplayScene(ReplayShow{*game, speed});
    EXPECT_EQ(scenes.Game().Score, game->score) << speed;
    EXPECT_EQ(scenes.Game().GameMode, kModeTitle) << speed;  // Enter left the game-over screen
    EXPECT_EQ(writes + saved, 0) << speed;
    // Every frame but the one that ended the game, then the game-over screen.
    ASSERT_EQ(window.shown.size(), static_cast<std::size_t>(game->frames)) << speed;
    // About 31 ms a frame at the normal pace, a quarter of that four times as
    // fast, give or take set-up and the moments the window itself takes.
    const std::uint64_t played = window.shown.back().at - start;
    const std::uint64_t expected = static_cast<std::uint64_t>(game->frames) * 31 / speed;
    EXPECT_NEAR(static_cast<double>(played), static_cast<double>(expected),
                static_cast<double>(expected) * 0.1 + 250)
        << speed;
  }
}

}  // namespace
}  // namespace voltaro
