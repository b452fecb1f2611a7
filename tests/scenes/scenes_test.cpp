// What the window shows and when: the screens to the pixel, and the scenes on
// a scripted window whose clock moves only when a scene waits.
#include "scenes/scenes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <regex>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/keys.h"
#include "gfx/screens.h"
#include "gfx/text.h"
#include "scenes/clock.h"

namespace voltaro {
namespace {

constexpr std::uint64_t k2To31 = 1ull << 31, k2To32 = 1ull << 32;
constexpr int kClose = 0;

struct ScriptEnded : std::exception {};  // the script ran out: stops an endless scene

std::uint64_t PictureHash(const Surface& picture) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const std::uint32_t pixel : picture.pixels) hash = (hash ^ pixel) * 1099511628211ull;
  return hash;
}

class FakeShell final : public Shell {
 public:
  struct Shown {
    std::uint64_t at, hash;
  };

  explicit FakeShell(std::uint64_t startMs) : now_(startMs) {}
  // Events, in time order: a key code goes down, its negation comes up, kClose closes.
  void At(std::uint64_t at, int event) { events_.emplace_back(at, event); }
  std::uint64_t Elapsed() const { return now_; }
  bool EventPending() const { return next_ < events_.size() && events_[next_].first <= now_; }

  std::uint64_t TimeOfDaySeed() override { return 20261206; }
  void SetCaption(const std::string&) override {}
  void SetClientSize(int, int) override {}
  void ShowWindow() override {}
  std::int32_t Now() override { return ++clockReads_, ClockFromMilliseconds(now_); }
  void PumpEvents(KeySink& keys) override {
    ++pumps_;
    now_ += msPerPump_;
    while (EventPending()) {
      const int event = events_[next_++].second;
      if (event == kClose) throw QuitRequested();
      event > 0 ? keys.OnKeyDown(event) : keys.OnKeyUp(-event);
    }
  }
  void WaitForEventsUntil(std::int32_t tick) override {
    const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(now_));
    if (!EventPending() && ahead > 0) {
      now_ += static_cast<std::uint64_t>(ahead);
      if (next_ < events_.size()) now_ = std::min(now_, events_[next_].first);
    } else if (++idleWaits_ > 100'000) {
      throw std::runtime_error("the scene spins without sleeping");
    }
  }
  void WaitForEvent() override {
    if (next_ >= events_.size()) throw ScriptEnded();
    now_ = std::max(now_, events_[next_].first);
  }
  void Show(const Surface& picture) override {
    shown_.push_back({now_, PictureHash(picture)});
    now_ += workMsPerFrame_;
    if (shown_.size() >= maxShows_) throw ScriptEnded();
  }
  void ShowImeMessage() override { ++imeMessages_; }

  std::uint64_t workMsPerFrame_ = 0;
  std::uint64_t msPerPump_ = 0;  // lets keys land inside a frame's placements
  std::size_t maxShows_ = 5000;
  std::vector<Shown> shown_;
  int clockReads_ = 0, pumps_ = 0, imeMessages_ = 0;

 private:
  std::uint64_t now_;
  std::vector<std::pair<std::uint64_t, int>> events_;
  std::size_t next_ = 0;
  int idleWaits_ = 0;
};

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

std::uint64_t TitleHash(std::int32_t hiScore, bool prompt) {
  Surface picture(kPlayfieldW, kPlayfieldH);
  DrawTitleFrame(picture, TheSprites(), kPlayfieldW, kPlayfieldH, hiScore, prompt);
  return PictureHash(picture);
}

std::uint64_t GameOverHash(std::int32_t score, bool newRecord) {
  Surface picture(kPlayfieldW, kPlayfieldH);
  DrawGameOverFrame(picture, TheSprites(), kPlayfieldW, score, newRecord);
  return PictureHash(picture);
}

TEST(ScreenLayouts, MatchTheLinesWrittenAtTheLayoutTablesPlaces) {
  // Title (best score, prompt shown) or game over (score, new record); x centres the number.
  // clang-format off
  const std::tuple<bool, std::int32_t, bool, std::int16_t> cases[] = {
      {true, 0, true, 116}, {true, 1234, false, 89}, {true, INT32_MAX, true, 35},
      {false, 1234, true, 35}, {false, -5, false, 53}};
  // clang-format on
  for (const auto& [title, number, flag, x] : cases) {
    Surface drawn(kPlayfieldW, kPlayfieldH, kWhite),
        written(kPlayfieldW, kPlayfieldH);  // a frame starts by clearing
    const auto write = [&written](std::int16_t lineX, std::int16_t lineY, std::string text) {
      WriteText(written, TheSprites(), lineX, lineY, text);
    };
    if (title) {
      DrawTitleFrame(drawn, TheSprites(), kPlayfieldW, kPlayfieldH, number, flag);
      write(8, 90, "VOLTARO ZIP 5");
      write(35, 190, "HIGH SCORE");
      write(x, 207, std::to_string(number));
      write(26, 386, kCreditText);
      if (flag) write(26, 300, "PRESS ENTER");
    } else {
      DrawGameOverFrame(drawn, TheSprites(), kPlayfieldW, number, flag);
      write(35, 100, "GAME OVER!");
      write(x, 170, "SCORE:" + std::to_string(number));
      write(26, 300, "PRESS ENTER");
      if (flag) write(17, 187, "HIGH SCORE!!");
    }
    EXPECT_TRUE(drawn.pixels == written.pixels) << title << " " << number << " " << flag;
  }
}

// The scenes on a fake window and a high-score file that only logs.
struct Rig {
  explicit Rig(std::uint64_t startMs)
      : shell(startMs),
        scenes(shell, TheSprites(),
               {[this] { return stored; },
                [this](std::int32_t score) {
                  writes.push_back(score);
                  return score;
                },
                [this](const Recording& game, bool newRecord) {
                  replays.emplace_back(game, newRecord);
                }}) {}
  std::int32_t stored = 0;
  std::vector<std::int32_t> writes;
  std::vector<std::pair<Recording, bool>> replays;
  FakeShell shell;
  Scenes scenes;
};

TEST(WaitUntil, ReturnsAtTheFirstReadingPastTheDeadline) {
  // Start, deadline from then, and when it returns: 0 is at once, after one reading, no pump.
  const std::tuple<std::uint64_t, std::int32_t, std::uint64_t> cases[] = {
      {5000, -1, 0},        {5000, -2'000'000'000, 0}, {5000, 0, 1} /* equal: not yet */,
      {5000, 30, 31},       {k2To31 - 10, 30, 31},     {k2To31, 30, 31},
      {k2To31 + 5, -10, 0}, {k2To32 - 10, 30, 31},     {k2To32, 30, 31},
      {k2To32 + 5, -10, 0}};
  for (const auto& [startMs, deadlineFromNow, returnsAfterMs] : cases) {
    SCOPED_TRACE(::testing::Message() << startMs << " " << deadlineFromNow);
    Rig rig(startMs);
    rig.shell.At(startMs + 10, kKeyEnter);  // handled while it waits
    rig.scenes.WaitUntil(ClockAdd(ClockFromMilliseconds(startMs), deadlineFromNow));
    EXPECT_EQ(rig.shell.Elapsed() - startMs, returnsAfterMs);
    EXPECT_EQ(rig.shell.pumps_ == 0 && rig.shell.clockReads_ == 1, returnsAfterMs == 0);
    EXPECT_EQ(rig.scenes.Game().GameMode, returnsAfterMs > 10 ? kModePlaying : kModeTitle);
  }
}

TEST(TitleScreen, DrawsEvery101MsHidingThePromptInOneFrameOfElevenAndOneMoreAfterEnter) {
  // Start, Enter after so many ms, and the frames shown, the last one full.
  // clang-format off
  const std::tuple<std::uint64_t, std::uint64_t, std::size_t> cases[] = {
      {5000, 0, 2}, {5000, 101, 2}, {5000, 102, 3}, {5000, 101 * 9 + 50, 11},
      {k2To31 - 1000, 101 * 20 + 50, 22}, {k2To32 - 1000, 101 * 20 + 50, 22}};
  // clang-format on
  for (const auto& [start, enterAfterMs, frames] : cases) {
    SCOPED_TRACE(::testing::Message() << start << " Enter after " << enterAfterMs);
    Rig rig(start);
    rig.scenes.SetHiScore(1234);
    rig.shell.At(start + enterAfterMs, kKeyEnter);
    rig.scenes.TitleScene();
    EXPECT_EQ(rig.scenes.Game().GameMode, kModePlaying);
    ASSERT_EQ(rig.shell.shown_.size(), frames);
    for (std::size_t k = 0; k < frames; ++k) {
      EXPECT_EQ(rig.shell.shown_[k].at, start + 101 * k) << "frame " << k;
      EXPECT_EQ(rig.shell.shown_[k].hash, TitleHash(1234, k % 11 != 10)) << "frame " << k;
    }
    EXPECT_EQ(rig.shell.Elapsed(), rig.shell.shown_.back().at);  // no wait after it
    // The next visit starts with the prompt shown.
    rig.scenes.Game().GameMode = kModeTitle;
    rig.shell.At(rig.shell.Elapsed() + 10, kClose);
    EXPECT_THROW(rig.scenes.TitleScene(), QuitRequested);
    EXPECT_EQ(rig.shell.shown_.back().hash, TitleHash(1234, true));
  }
}

TEST(PlayScene, FramesStartEvery31MsAndAnOverrunningFrameIsFollowedAtOnce) {
  // Start, the work each frame does before its wait, and the frame interval.
  const std::tuple<std::uint64_t, std::uint64_t, std::uint64_t> cases[] = {
      {5000, 0, 31},  {k2To31 - 600, 0, 31}, {k2To32 - 600, 0, 31}, {5000, 30, 31},
      {5000, 31, 31}, {5000, 45, 45},        {k2To32 - 600, 45, 45}};
  for (const auto& [startMs, workMs, interval] : cases) {
    SCOPED_TRACE(::testing::Message() << startMs << " work " << workMs);
    Rig rig(startMs);
    rig.scenes.Game().GameMode = kModePlaying;
    rig.scenes.StartGame();
    rig.shell.workMsPerFrame_ = workMs;
    rig.shell.maxShows_ = 40;
    EXPECT_THROW(rig.scenes.PlayScene(), ScriptEnded);
    const auto& shown = rig.shell.shown_;
    ASSERT_EQ(shown.size(), 40u);
    EXPECT_EQ(shown[0].at, startMs);
    for (std::size_t k = 1; k < shown.size(); ++k) {
      EXPECT_EQ(shown[k].at - shown[k - 1].at, interval) << "frame " << k;
    }
    EXPECT_EQ(rig.scenes.Game().Score, 39);  // the last frame stopped before its point
  }
}

TEST(PlayScene, ClosingTheWindowEndsAtOnceWithoutStoringTheScore) {
  Rig rig(5000);
  rig.scenes.StartUp();
  rig.shell.At(5010, kKeyEnter);
  rig.shell.At(6000, kClose);  // some 29 frames into the game
  EXPECT_THROW(rig.scenes.RunScenes(), QuitRequested);
  EXPECT_EQ(rig.scenes.Game().GameMode, kModePlaying);
  EXPECT_GT(rig.scenes.Game().Score, rig.scenes.HiScore());
  EXPECT_TRUE(rig.writes.empty());
}

TEST(GameSetUp, KeysPumpedDuringPlatePlacementReachTheHandlersAndAreThenReset) {
  Rig rig(5000);
  // Pending when set-up starts: only its placement loop pumps them.
  for (const int key : {kKeyZ, -kKeyZ, kKeyV, kKeyLeft, kKeyProcess}) rig.shell.At(5000, key);
  GameState& game = rig.scenes.Game();
  game.GameMode = kModePlaying;
  rig.scenes.StartGame();
  EXPECT_FALSE(rig.shell.EventPending());
  EXPECT_EQ(rig.shell.imeMessages_, 1);
  EXPECT_EQ(game.MoveKey, 0);
  EXPECT_EQ(game.FireHeld, (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(game.FireServed, (std::array<bool, 3>{true, true, true}));
  // Only the release flag keeps what the handlers set.
  EXPECT_EQ(game.FireReleased, (std::array<bool, 3>{true, false, false}));
}

TEST(GameOverScreen, StoresOnlyAStrictlyHigherScoreAndWaitsForEnterWithoutTheClock) {
  // Best score before, this game's score, and whether it is a new record.
  // clang-format off
  const std::tuple<std::int32_t, std::int32_t, bool> cases[] = {
      {100, 101, true}, {100, 100, false}, {100, 99, false}, {-5, 0, true},
      {INT32_MAX - 1, INT32_MAX, true}};
  // clang-format on
  for (const auto& [hiScore, score, newRecord] : cases) {
    Rig rig(5000);
    rig.stored = hiScore;
    rig.scenes.StartUp();
    rig.scenes.Game().GameMode = kModeGameOver;
    rig.scenes.Game().Score = score;
    rig.shell.At(5100, kKeyZ);  // other keys do not leave the screen
    rig.shell.At(9000, kKeyEnter);
    const int clockReads = rig.shell.clockReads_;
    rig.scenes.GameOverScene();
    EXPECT_EQ(rig.scenes.Game().GameMode, kModeTitle) << hiScore << " then " << score;
    EXPECT_EQ(std::pair(rig.shell.Elapsed(), rig.shell.clockReads_),
              std::pair(std::uint64_t{9000}, clockReads));
    ASSERT_EQ(rig.shell.shown_.size(), 1u);
    EXPECT_EQ(rig.shell.shown_[0].hash, GameOverHash(score, newRecord));
    EXPECT_EQ(rig.scenes.HiScore(), newRecord ? score : hiScore);
    using Writes = std::vector<std::int32_t>;
    EXPECT_EQ(rig.writes, (newRecord ? Writes{score} : Writes{}));
  }
}

TEST(SceneSequence, EnterHeldStepsThroughGameOverAndTitleIntoANewGame) {
  Rig rig(5000);
  rig.scenes.StartUp();
  // Enter goes down at the title and repeats every 33 ms through the first game and beyond.
  for (std::uint64_t at = 5050; at <= 25'000; at += 33) rig.shell.At(at, kKeyEnter);
  rig.shell.At(25'000, kClose);
  EXPECT_THROW(rig.scenes.RunScenes(), QuitRequested);
  ASSERT_FALSE(rig.writes.empty());
  const std::int32_t firstScore = rig.writes[0];
  const std::uint64_t t0 = TitleHash(0, true), t1 = TitleHash(firstScore, true),
                      g = GameOverHash(firstScore, true);
  std::string screens;  // title, game over with the new record, or play
  for (const auto& [at, h] : rig.shell.shown_)
    screens += h == t0 || h == t1 ? 'T' : h == g ? 'G' : 'P';
  // Title twice (Enter, one more full frame), a game, game over, title twice, a new game.
  EXPECT_TRUE(std::regex_search(screens, std::regex("^TTP+GTTP+"))) << screens.substr(0, 400);
}

}  // namespace
}  // namespace voltaro
