// A replayed game against its recording: where and how it first differs.
#include "saves/replay_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voltaro {
namespace {

Recording Recorded() {
  Recording r;
  r.frames = 100;
  r.end = FrameEnd::kFell;
  r.score = 500;
  return r;
}

TEST(ReplayCheck, NamesTheFrameWhereTheGameFirstDiffers) {
  struct Case {
    std::int64_t frames;  // the frame that ended the game, or that it went on from
    FrameEnd end;
    std::int32_t score;
    std::string why;  // "" when it went as recorded
  };
  const Case cases[] = {
      {100, FrameEnd::kFell, 500, ""},
      {100, FrameEnd::kContinue, 500,
       "frame 100: the recording ended here (fell) but the game went on"},
      {60, FrameEnd::kFell, 500,
       "frame 60: the game ended (fell) before its recorded end (fell) in frame 100"},
      {100, FrameEnd::kHits, 500,
       "frame 100: the game ended (hits) before its recorded end (fell) in frame 100"},
      {100, FrameEnd::kFell, 400, "frame 100: score 400, recorded 500"},
  };
  const Recording recorded = Recorded();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(ReplayDivergence(recorded, c.frames, c.end, c.score).value_or(""), c.why);
    // Watched frame by frame, as the window plays it on past the recorded end.
    std::vector<std::string> said;
    ReplayCheck check(recorded, [&said](const std::string& why) { said.push_back(why); });
    GameState game;
    game.Score = c.score;
    for (std::int64_t frame = 1; frame < c.frames; ++frame) {
      check.FrameDone(game, frame, FrameEnd::kContinue);
    }
    check.FrameDone(game, c.frames, c.end);
    for (std::int64_t frame = c.frames + 1; frame <= 120 && c.end == FrameEnd::kContinue; ++frame) {
      check.FrameDone(game, frame, frame == 120 ? FrameEnd::kHits : FrameEnd::kContinue);
    }
    EXPECT_EQ(said, c.why.empty() ? std::vector<std::string>{} : std::vector{c.why});
    EXPECT_EQ(check.Diverged(), !c.why.empty());
  }
}

}  // namespace
}  // namespace voltaro
