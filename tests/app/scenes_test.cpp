// The scenes driven by a scripted window: frame pacing on the fake clock (also
// across the points where the 32-bit clock turns negative and wraps), the
// title prompt's blink, the extra title frame after Enter, the game-over
// screen and the best score, the close, and keys pumped during set-up.
#include "app/scenes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "app/clock.h"
#include "app/screens.h"
#include "fake_shell.h"
#include "game/game_ready.h"
#include "game/keys.h"
#include "game/run_time_error.h"

namespace voltaro {
namespace {

using testing::FakeShell;
using testing::PictureHash;
using testing::ScriptEnded;

constexpr std::uint64_t k2To31 = 1ull << 31;
constexpr std::uint64_t k2To32 = 1ull << 32;

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

std::uint64_t TitleHash(std::int32_t hiScore, bool prompt) {
  Surface picture(250, 400);
  DrawTitleFrame(picture, TheSprites(), 250, 400, hiScore, prompt);
  return PictureHash(picture);
}

std::uint64_t GameOverHash(std::int32_t score, bool newRecord) {
  Surface picture(250, 400);
  DrawGameOverFrame(picture, TheSprites(), 250, score, newRecord);
  return PictureHash(picture);
}

// A high-score file that only remembers what was asked of it.
struct StoreLog {
  std::int32_t stored = 0;
  std::vector<std::string> readDirs;
  std::vector<std::pair<std::string, std::int32_t>> writes;

  HighScoreStore Store() {
    return {[this](const std::string& dir) {
              readDirs.push_back(dir);
              return stored;
            },
            [this](const std::string& dir, std::int32_t hiScore) {
              writes.emplace_back(dir, hiScore);
            }};
  }
};

struct Rig {
  explicit Rig(std::uint64_t startMs) : shell(startMs), scenes(shell, TheSprites(), log.Store()) {}
  FakeShell shell;
  StoreLog log;
  Scenes scenes;
};

// ---------------------------------------------------------------- start-up

TEST(FormLoad, PreparesTheWindowReadsTheBestScoreAndEndsInTitleMode) {
  Rig rig(10'000);
  rig.log.stored = 777;
  rig.shell.KeyDown(10'000, kKeyEnter);  // arrives in start-up's own pump
  rig.scenes.Form_Load();

  EXPECT_EQ(rig.shell.caption_, "VOLTARO ZIP 5");
  EXPECT_EQ(rig.shell.clientW_, 250);
  EXPECT_EQ(rig.shell.clientH_, 400);
  EXPECT_TRUE(rig.shell.windowShown_);
  EXPECT_EQ(rig.shell.pumps_, 1);
  EXPECT_EQ(rig.scenes.AppDir(), "/games/voltaro/");
  EXPECT_EQ(rig.log.readDirs, std::vector<std::string>{"/games/voltaro/"});
  EXPECT_EQ(rig.scenes.HiScore(), 777);
  EXPECT_EQ(rig.scenes.Game().GameMode, kModeTitle);
  EXPECT_TRUE(rig.log.writes.empty());
  EXPECT_TRUE(rig.shell.shown_.empty());
}

// ---------------------------------------------------------------- the wait

struct WaitCase {
  const char* name;
  std::uint64_t startMs;
  std::int32_t deadlineFromNow;
  std::uint64_t returnsAfterMs;
  bool pumps;
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const WaitCase& c, std::ostream* os) {
  *os << c.name;
}

std::string WaitCaseName(const ::testing::TestParamInfo<WaitCase>& param) {
  return param.param.name;
}

class WaitUntilContract : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitUntilContract, ReturnsAtTheFirstReadingPastTheDeadline) {
  const WaitCase& c = GetParam();
  Rig rig(c.startMs);
  const std::int32_t deadline = ClockAdd(ClockFromMilliseconds(c.startMs), c.deadlineFromNow);
  rig.scenes.WaitUntil(deadline);
  EXPECT_EQ(rig.shell.Elapsed() - c.startMs, c.returnsAfterMs);
  EXPECT_EQ(rig.shell.pumps_ > 0, c.pumps);
  if (!c.pumps) {
    EXPECT_EQ(rig.shell.clockReads_, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Clock, WaitUntilContract,
    ::testing::Values(WaitCase{"PassedByOne", 5000, -1, 0, false},
                      WaitCase{"PassedLongAgo", 5000, -2'000'000'000, 0, false},
                      WaitCase{"EqualKeepsWaiting", 5000, 0, 1, true},
                      WaitCase{"OneFrame", 5000, 30, 31, true},
                      WaitCase{"TitleFrame", 5000, 100, 101, true},
                      WaitCase{"DeadlinePastInt32Max", k2To31 - 10, 30, 31, true},
                      WaitCase{"ClockAtInt32Max", k2To31 - 1, 30, 31, true},
                      WaitCase{"ClockNegative", k2To31, 30, 31, true},
                      WaitCase{"PassedAcrossInt32Max", k2To31 + 5, -10, 0, false},
                      WaitCase{"DeadlinePastTheWrap", k2To32 - 10, 30, 31, true},
                      WaitCase{"ClockJustWrapped", k2To32, 30, 31, true},
                      WaitCase{"PassedAcrossTheWrap", k2To32 + 5, -10, 0, false}),
    WaitCaseName);

TEST(WaitUntil, HandlesKeysWhileItWaits) {
  Rig rig(5000);
  rig.shell.KeyDown(5010, kKeyEnter);
  rig.scenes.WaitUntil(5030);
  EXPECT_EQ(rig.scenes.Game().GameMode, kModePlaying);
  EXPECT_EQ(rig.shell.Elapsed(), 5031u);
}

// ---------------------------------------------------------------- title

class TitleScreen : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(TitleScreen, DrawsEvery101MsWithThePromptHiddenInOneFrameOfEleven) {
  const std::uint64_t start = GetParam();
  Rig rig(start);
  rig.scenes.SetHiScore(1234);
  rig.shell.Close(start + 101 * 23 - 50);
  EXPECT_THROW(rig.scenes.OpeningR(), QuitRequested);

  ASSERT_EQ(rig.shell.shown_.size(), 23u);
  for (std::size_t k = 0; k < rig.shell.shown_.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(rig.shell.shown_[k].at, start + 101 * k);
    EXPECT_EQ(rig.shell.shown_[k].hash, TitleHash(1234, k % 11 != 10));
  }
}

INSTANTIATE_TEST_SUITE_P(Clock, TitleScreen, ::testing::Values(5000, k2To31 - 1000, k2To32 - 1000));

struct EnterCase {
  std::uint64_t enterAfterMs;
  std::size_t framesShown;
};

class TitleEnter : public ::testing::TestWithParam<EnterCase> {};

TEST_P(TitleEnter, ShowsOneMoreFullFrameThenReturnsWithoutWaiting) {
  const EnterCase& c = GetParam();
  Rig rig(5000);
  rig.shell.KeyDown(5000 + c.enterAfterMs, kKeyEnter);
  rig.scenes.OpeningR();

  EXPECT_EQ(rig.scenes.Game().GameMode, kModePlaying);
  ASSERT_EQ(rig.shell.shown_.size(), c.framesShown);
  EXPECT_EQ(rig.shell.shown_.back().at, 5000 + 101 * (c.framesShown - 1));
  EXPECT_EQ(rig.shell.shown_.back().hash, TitleHash(0, true));
  EXPECT_EQ(rig.shell.Elapsed(), rig.shell.shown_.back().at);  // no wait after it
}

INSTANTIATE_TEST_SUITE_P(Keys, TitleEnter,
                         ::testing::Values(EnterCase{0, 2}, EnterCase{50, 2}, EnterCase{100, 2},
                                           EnterCase{101, 2}, EnterCase{102, 3},
                                           EnterCase{150, 3}));

TEST(TitleScreenVisit, StartsWithThePromptShownEveryTime) {
  Rig rig(5000);
  // Leave in the frame where the prompt is hidden (the eleventh).
  rig.shell.KeyDown(5000 + 101 * 9 + 50, kKeyEnter);
  rig.scenes.OpeningR();
  ASSERT_EQ(rig.shell.shown_.size(), 11u);
  EXPECT_EQ(rig.shell.shown_.back().hash, TitleHash(0, false));

  rig.scenes.Game().GameMode = kModeTitle;
  rig.shell.Close(rig.shell.Elapsed() + 10);
  EXPECT_THROW(rig.scenes.OpeningR(), QuitRequested);
  ASSERT_EQ(rig.shell.shown_.size(), 12u);
  EXPECT_EQ(rig.shell.shown_.back().hash, TitleHash(0, true));
}

TEST(TitleScreenVisit, InputMethodKeyShowsTheMessageAndTheNextFrameFollowsAtOnce) {
  Rig rig(5000);
  rig.shell.imeMessageMs_ = 500;
  rig.shell.KeyDown(5020, kKeyProcess);
  rig.shell.Close(5530);
  EXPECT_THROW(rig.scenes.OpeningR(), QuitRequested);
  EXPECT_EQ(rig.shell.imeMessages_, 1);
  ASSERT_EQ(rig.shell.shown_.size(), 2u);
  EXPECT_EQ(rig.shell.shown_[1].at, 5520u);
  EXPECT_EQ(rig.scenes.Game().GameMode, kModeTitle);
}

// ---------------------------------------------------------------- play

struct PlayPacingCase {
  std::uint64_t startMs;
  std::uint64_t workMs;  // time the frame's work takes before the wait
  std::uint64_t interval;
};

class PlayPacing : public ::testing::TestWithParam<PlayPacingCase> {};

TEST_P(PlayPacing, FramesStartAtTheFirstReadingPastStartPlus30) {
  const PlayPacingCase& c = GetParam();
  Rig rig(c.startMs);
  rig.scenes.Game().GameMode = kModePlaying;
  GameReady(rig.scenes.Game(), rig.scenes);
  rig.shell.workMsPerFrame_ = c.workMs;
  rig.shell.maxShows_ = 40;
  EXPECT_THROW(rig.scenes.GameR(), ScriptEnded);

  const auto& shown = rig.shell.shown_;
  ASSERT_EQ(shown.size(), 40u);
  EXPECT_EQ(shown[0].at, c.startMs);
  for (std::size_t k = 1; k < shown.size(); ++k) {
    EXPECT_EQ(shown[k].at - shown[k - 1].at, c.interval) << "frame " << k;
  }
  EXPECT_EQ(rig.scenes.Game().Score, 39);  // the last frame was shown but stopped before its point
}

INSTANTIATE_TEST_SUITE_P(
    Clock, PlayPacing,
    ::testing::Values(PlayPacingCase{5000, 0, 31}, PlayPacingCase{k2To31 - 600, 0, 31},
                      PlayPacingCase{k2To32 - 600, 0, 31}, PlayPacingCase{5000, 29, 31},
                      PlayPacingCase{5000, 30, 31}, PlayPacingCase{5000, 31, 31},
                      PlayPacingCase{5000, 45, 45}, PlayPacingCase{k2To32 - 600, 45, 45}));

TEST(PlayScene, ClosingTheWindowEndsAtOnceWithoutStoringTheScore) {
  Rig rig(5000);
  rig.scenes.Form_Load();
  rig.shell.KeyDown(5010, kKeyEnter);
  rig.shell.Close(6000);  // some 29 frames into the game: far from its end
  EXPECT_THROW(rig.scenes.MainR(), QuitRequested);
  EXPECT_EQ(rig.scenes.Game().GameMode, kModePlaying);
  EXPECT_GT(rig.scenes.Game().Score, rig.scenes.HiScore());
  EXPECT_TRUE(rig.log.writes.empty());
}

TEST(PlayScene, ARunTimeErrorLeavesThePlaySceneInsteadOfBeingSwallowed) {
  Rig rig(5000);
  rig.scenes.Game().GameMode = kModePlaying;
  GameReady(rig.scenes.Game(), rig.scenes);
  rig.scenes.Game().Score = INT32_MAX;  // the first frame's point overflows
  EXPECT_THROW(rig.scenes.GameR(), RunTimeError);
  EXPECT_EQ(rig.shell.shown_.size(), 1u);
}

TEST(GameSetUp, KeysPumpedDuringPlatePlacementReachTheHandlersAndAreThenReset) {
  Rig rig(5000);
  GameState& game = rig.scenes.Game();
  game.GameMode = kModePlaying;
  // Pending when set-up starts: only its placement loop pumps them.
  rig.shell.KeyDown(5000, kKeyZ);
  rig.shell.KeyUp(5000, kKeyZ);
  rig.shell.KeyDown(5000, kKeyV);
  rig.shell.KeyDown(5000, kKeyLeft);
  GameReady(game, rig.scenes);

  EXPECT_GT(rig.shell.pumps_, 0);
  EXPECT_FALSE(rig.shell.EventPending());
  EXPECT_EQ(game.MoveKey, 0);
  EXPECT_EQ(game.FireHeld, (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(game.FireServed, (std::array<bool, 3>{true, true, true}));
  // Only the release flag keeps what the handlers set.
  EXPECT_EQ(game.FireReleased, (std::array<bool, 3>{true, false, false}));
}

// ---------------------------------------------------------------- game over

struct RecordCase {
  std::int32_t hiScore;
  std::int32_t score;
  bool newRecord;
};

class GameOverScreen : public ::testing::TestWithParam<RecordCase> {};

TEST_P(GameOverScreen, StoresOnlyAStrictlyHigherScoreAndWaitsForEnterWithoutTheClock) {
  const RecordCase& c = GetParam();
  Rig rig(5000);
  rig.log.stored = c.hiScore;
  rig.scenes.Form_Load();
  rig.scenes.Game().GameMode = kModeGameOver;
  rig.scenes.Game().Score = c.score;
  rig.shell.KeyDown(5100, kKeyZ);  // other keys do not leave the screen
  rig.shell.KeyDown(5200, kKeyUp);
  rig.shell.KeyDown(9000, kKeyEnter);
  const int clockReadsBefore = rig.shell.clockReads_;
  rig.scenes.GameOver();

  EXPECT_EQ(rig.scenes.Game().GameMode, kModeTitle);
  EXPECT_EQ(rig.shell.Elapsed(), 9000u);
  EXPECT_EQ(rig.shell.clockReads_, clockReadsBefore);
  EXPECT_GE(rig.shell.blockingWaits_, 3);
  ASSERT_EQ(rig.shell.shown_.size(), 1u);
  EXPECT_EQ(rig.shell.shown_[0].hash, GameOverHash(c.score, c.newRecord));
  if (c.newRecord) {
    EXPECT_EQ(rig.scenes.HiScore(), c.score);
    ASSERT_EQ(rig.log.writes.size(), 1u);
    EXPECT_EQ(rig.log.writes[0],
              (std::pair<std::string, std::int32_t>{"/games/voltaro/", c.score}));
  } else {
    EXPECT_EQ(rig.scenes.HiScore(), c.hiScore);
    EXPECT_TRUE(rig.log.writes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Scores, GameOverScreen,
                         ::testing::Values(RecordCase{100, 101, true}, RecordCase{100, 100, false},
                                           RecordCase{100, 99, false}, RecordCase{0, 0, false},
                                           RecordCase{0, 1, true}, RecordCase{-5, 0, true},
                                           RecordCase{-5, -5, false},
                                           RecordCase{2147483646, 2147483647, true}));

// ---------------------------------------------------------------- the sequence

TEST(SceneSequence, EnterHeldStepsThroughGameOverAndTitleIntoANewGame) {
  Rig rig(5000);
  rig.scenes.Form_Load();
  // Enter goes down at the title and stays down: the key repeats every 33 ms
  // through the whole first game and beyond.
  rig.shell.KeyRepeat(5050, 25'000, 33, kKeyEnter);
  rig.shell.Close(25'000);
  try {
    rig.scenes.MainR();
  } catch (const QuitRequested&) {
  } catch (const ScriptEnded&) {
  }

  // Name every picture shown: title, game over (with the new record), play.
  ASSERT_FALSE(rig.log.writes.empty());
  const std::int32_t firstScore = rig.log.writes[0].second;
  std::string screens;
  for (const auto& shown : rig.shell.shown_) {
    if (shown.hash == TitleHash(0, true) || shown.hash == TitleHash(firstScore, true)) {
      screens += 'T';
    } else if (shown.hash == GameOverHash(firstScore, true)) {
      screens += 'G';
    } else {
      screens += 'P';
    }
  }
  // Title twice (Enter, then one more full frame), the first game, its
  // game-over screen, the title twice again and straight into a new game.
  EXPECT_TRUE(std::regex_search(screens, std::regex("^TTP+GTTP+"))) << screens.substr(0, 400);
}

}  // namespace
}  // namespace voltaro
