// What the window shows and when: the scenes on a scripted window whose clock
// moves only when a scene waits, and a best-score file that only logs.
#include "scenes/scenes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/key_codes.h"
#include "gfx/screens.h"
#include "tests/support/scripted_shell.h"

namespace voltaro {
namespace {

using testing::kClose;
using testing::ScriptEnded;

constexpr std::uint64_t k2To31 = 1ull << 31, k2To32 = 1ull << 32;

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

std::uint64_t TitleHash(std::int32_t hiScore, bool prompt) {
  Surface picture(kPlayfieldW, kPlayfieldH);
  DrawTitleFrame(picture, TheSprites(), kPlayfieldW, kPlayfieldH, hiScore, prompt);
  return testing::PictureHash(picture);
}

std::uint64_t GameOverHash(std::int32_t score, bool newRecord) {
  Surface picture(kPlayfieldW, kPlayfieldH);
  DrawGameOverFrame(picture, TheSprites(), kPlayfieldW, score, newRecord);
  return testing::PictureHash(picture);
}

// The scenes on a scripted window and a best-score file that only logs.
struct Rig {
  explicit Rig(std::uint64_t startMs)
      : shell(startMs),
        scenes(shell, TheSprites(),
               {[this] { return stored; },
                [this](std::int32_t score) {
                  writes.push_back(score);
                  return score;
                },
                {}}) {}
  std::int32_t stored = 0;
  std::vector<std::int32_t> writes;
  testing::ScriptedShell shell;
  Scenes scenes;
};

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
    rig.stored = 1234;
    rig.scenes.StartUp();
    rig.shell.At(start + enterAfterMs, kKeyEnter);
    rig.scenes.TitleScene();
    EXPECT_EQ(rig.scenes.Game().GameMode, kModePlaying);
    const auto& shown = rig.shell.shown;
    ASSERT_EQ(shown.size(), frames);
    for (std::size_t k = 0; k < frames; ++k) {
      EXPECT_EQ(shown[k].at, start + 101 * k) << "frame " << k;
      EXPECT_EQ(shown[k].hash, TitleHash(1234, k % 11 != 10)) << "frame " << k;
    }
    EXPECT_EQ(rig.shell.Elapsed(), shown.back().at);  // no wait after it
    // The next visit starts with the prompt shown.
    rig.scenes.Game().GameMode = kModeTitle;
    rig.shell.At(rig.shell.Elapsed() + 10, kClose);
    EXPECT_THROW(rig.scenes.TitleScene(), QuitRequested);
    EXPECT_EQ(shown.back().hash, TitleHash(1234, true));
  }
}

// A pause after the 20th picture: play resumes a whole period after it ends.
TEST(PlayScene,
     FramesStartEvery31MsAnOverrunningFrameIsFollowedAtOnceAndAPauseResumesAfterAPeriod) {
  // Start, the work each frame does before its wait, the frame interval, and a pause.
  const std::tuple<std::uint64_t, std::uint64_t, std::uint64_t, bool> cases[] = {
      {5000, 0, 31, false},          {k2To31 - 600, 0, 31, false}, {k2To32 - 600, 0, 31, false},
      {5000, 30, 31, false},         {5000, 31, 31, false},        {5000, 45, 45, false},
      {k2To32 - 600, 45, 45, false}, {5000, 0, 31, true},          {k2To32 - 600, 45, 45, true}};
  for (const auto& [startMs, workMs, interval, paused] : cases) {
    SCOPED_TRACE(::testing::Message() << startMs << " work " << workMs << " paused " << paused);
    Rig rig(startMs);
    rig.scenes.Game().GameMode = kModePlaying;
    rig.scenes.StartGame();
    rig.shell.msPerPicture = workMs;
    rig.shell.lastPicture = 40;
    if (paused) rig.shell.AfterPicture(20, testing::kPause);
    EXPECT_THROW(rig.scenes.PlayScene(), ScriptEnded);
    const auto& shown = rig.shell.shown;
    ASSERT_EQ(shown.size(), 40u);
    EXPECT_EQ(shown[0].at, startMs);
    for (std::size_t k = 1; k < shown.size(); ++k) {
      const std::uint64_t resumed = workMs + testing::kPauseMs + kPlayPeriodMs + 1;
      EXPECT_EQ(shown[k].at - shown[k - 1].at, paused && k == 20 ? resumed : interval)
          << "frame " << k;
    }
    EXPECT_EQ(rig.scenes.Game().Score, 39);  // the last frame stopped before its point
  }
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
    const int clockReads = rig.shell.clockReads;
    rig.scenes.GameOverScene();
    EXPECT_EQ(rig.scenes.Game().GameMode, kModeTitle) << hiScore << " then " << score;
    EXPECT_EQ(std::pair(rig.shell.Elapsed(), rig.shell.clockReads),
              std::pair(std::uint64_t{9000}, clockReads));
    using Writes = std::vector<std::int32_t>;
    EXPECT_EQ(rig.writes, (newRecord ? Writes{score} : Writes{}));
    // The title screen shows the best score from now on.
    rig.shell.At(9000, kClose);
    EXPECT_THROW(rig.scenes.TitleScene(), QuitRequested);
    ASSERT_EQ(rig.shell.shown.size(), 2u);
    EXPECT_EQ(rig.shell.shown[0].hash, GameOverHash(score, newRecord));
    EXPECT_EQ(rig.shell.shown[1].hash, TitleHash(newRecord ? score : hiScore, true));
  }
}

TEST(HelpScreens, F1CanShowTheHelpOnTheTitleAndGameOverScreensOnly) {
  Rig rig(5000);
  rig.scenes.StartUp();
  rig.shell.At(5250, kKeyEnter);  // a game without keys, to its end
  rig.shell.At(60000, kClose);
  EXPECT_THROW(rig.scenes.RunScenes(), QuitRequested);
  ASSERT_EQ(rig.scenes.Game().GameMode, kModeGameOver);
  // Start-up, the title's pumps, the set-up's and play's, the game-over screen's.
  std::string stretches = rig.shell.helpAtPumps;
  stretches.erase(std::unique(stretches.begin(), stretches.end()), stretches.end());
  EXPECT_EQ(stretches, "-h-h");
}

}  // namespace
}  // namespace voltaro
