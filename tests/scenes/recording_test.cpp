// Games played through the window's scenes are recorded so exactly that the
// simulator, replaying the recording, goes through the very same states: the
// trace it writes equals, byte for byte, a trace taken while the game was
// played, for keys in set-up, inside a frame's placements and between frames,
// and for a second game that starts from what the first one left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/keys.h"
#include "gfx/sprites.h"
#include "saves/replay_text.h"
#include "scenes/clock.h"
#include "scenes/scenes.h"
#include "sim/simulator.h"
#include "sim/trace_observer.h"

namespace voltaro {
namespace {

struct ScriptEnded : std::exception {};

// A window whose clock moves one millisecond per pump and a few per frame, so
// that keys land in every kind of pump, and which closes when its script ends.
class ScriptedWindow final : public Shell {
 public:
  // A player who looks at the game between frames and adds keys of its own.
  std::function<void(std::vector<int>& keys)> player;
  std::uint64_t seed = 77;  // the random source's seed at start-up

  void At(std::uint64_t at, int key) { events_.emplace_back(at, key); }
  std::uint64_t TimeOfDaySeed() override { return seed; }
  void SetCaption(const std::string&) override {}
  void SetClientSize(int, int) override {}
  void ShowWindow() override {}
  std::int32_t Now() override { return ClockFromMilliseconds(now_); }
  std::uint64_t Elapsed() const { return now_; }
  void PumpEvents(KeySink& keys) override {
    now_ += 1;
    if (player && shownSinceAsked_) {
      shownSinceAsked_ = false;
      std::vector<int> wanted;
      player(wanted);
      for (const int key : wanted) key > 0 ? keys.OnKeyDown(key) : keys.OnKeyUp(-key);
    }
    while (next_ < events_.size() && events_[next_].first <= now_) {
      const int key = events_[next_++].second;
      key > 0 ? keys.OnKeyDown(key) : keys.OnKeyUp(-key);
    }
    if (next_ >= events_.size()) throw ScriptEnded();
  }
  void WaitForEventsUntil(std::int32_t tick) override {
    const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(now_));
    if (ahead > 0) now_ += static_cast<std::uint64_t>(ahead);
  }
  void WaitForEvent() override {
    if (gameOverAt_ == 0) gameOverAt_ = now_;  // only the game-over screen waits like this
    now_ = std::max(now_, events_[next_].first);
  }
  std::uint64_t GameOverAt() const { return gameOverAt_; }
  void Show(const Surface&) override {
    now_ += 3;
    shownSinceAsked_ = true;
  }
  void ShowImeMessage() override {}

 private:
  std::uint64_t now_ = 1000;
  std::vector<std::pair<std::uint64_t, int>> events_;
  std::size_t next_ = 0;
  bool shownSinceAsked_ = false;
  std::uint64_t gameOverAt_ = 0;
};

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
  const Sprites sprites = LoadSprites();
  ScriptedWindow window;
  std::vector<Recording> saved;
  Scenes scenes(window, sprites,
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
  scenes.StartUp();
  EXPECT_THROW(scenes.RunScenes(), ScriptEnded);

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
  const Sprites sprites = LoadSprites();
  std::ifstream file(VOLTARO5_SOURCE_DIR "/tests/replays/careless_first.v5replay");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const ReplayShow show{ParseReplayText(text, "careless_first"), 1};
  for (const int speed : {1, 4}) {
    ScriptedWindow window;
    // The player's keys during the replay change nothing; Enter on the
    // game-over screen ends it.
    for (std::uint64_t at = 1100; at < 6000; at += 7) window.At(at, at % 2 ? kKeyLeft : kKeyUp);
    window.At(60'000, kKeyEnter);
    window.At(70'000, 0);  // the end of the script
    int writes = 0, saved = 0;
    Scenes scenes(window, sprites,
                  {[] { return 0; },
                   [&writes](std::int32_t score) { return ++writes, score; },
                   [&saved](const Recording&, bool) { ++saved; }});
    scenes.StartUp();
    const std::uint64_t start = window.Elapsed();
    scenes.ReplayScene(ReplayShow{show.game, speed});
    const GameState& game = scenes.Game();
    EXPECT_EQ(game.Score, show.game.score) << speed;
    EXPECT_EQ(game.GameMode, kModeTitle) << speed;  // Enter left the game-over screen
    EXPECT_EQ(scenes.LastGame().frames, show.game.frames) << speed;
    EXPECT_EQ(writes + saved, 0) << speed;
    // About 31 ms a frame at the normal pace, a quarter of that four times as
    // fast, give or take set-up and the moments the window itself takes.
    const std::uint64_t played = window.GameOverAt() - start;
    const std::uint64_t expected = static_cast<std::uint64_t>(show.game.frames) * 31 / speed;
    EXPECT_NEAR(static_cast<double>(played), static_cast<double>(expected),
                static_cast<double>(expected) * 0.1 + 250)
        << speed;
  }
}

}  // namespace
}  // namespace voltaro
