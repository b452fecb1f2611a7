// The title and game-over layouts to the pixel: each picture must equal the
// same lines written by hand at the positions the screens' layout tables give
// for the 250-pixel playfield.
#include "app/screens.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/text.h"

namespace voltaro {
namespace {

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

struct Line {
  std::int16_t x;
  std::int16_t y;
  std::string text;
};

Surface Written(const std::vector<Line>& lines) {
  Surface picture(250, 400);
  for (const Line& line : lines) WriteText(picture, TheSprites(), line.x, line.y, line.text);
  return picture;
}

TEST(CenteredX, OnAnOddWidthHalvesGoToTheEvenPixel) {
  EXPECT_EQ(CenteredX(251, 1), 116);  // 116.5
  EXPECT_EQ(CenteredX(253, 1), 118);  // 117.5
  EXPECT_EQ(CenteredX(247, 14), -2);  // -2.5: a line wider than the playfield
}

TEST(CreditLine, IsElevenCharactersTheFontCanDraw) {
  const std::string credit = kCreditText;
  ASSERT_EQ(credit.size(), 11u);
  for (const char ch : credit) {
    const int code = std::toupper(static_cast<unsigned char>(ch));
    EXPECT_GE(code, 32);
    EXPECT_LE(code, 96);
  }
}

struct TitleCase {
  std::int32_t hiScore;
  bool prompt;
  std::int16_t hiScoreX;
};

class TitleLayout : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TitleLayout, MatchesTheLinesAtTheirPlaces) {
  const TitleCase& c = GetParam();
  std::vector<Line> lines = {{8, 90, "VOLTARO ZIP 5"},
                             {35, 190, "HIGH SCORE"},
                             {c.hiScoreX, 207, std::to_string(c.hiScore)},
                             {26, 386, kCreditText}};
  if (c.prompt) lines.push_back({26, 300, "PRESS ENTER"});
  Surface picture(250, 400, kWhite);  // the frame starts by clearing
  DrawTitleFrame(picture, TheSprites(), 250, 400, c.hiScore, c.prompt);
  EXPECT_TRUE(picture.pixels == Written(lines).pixels);
}

INSTANTIATE_TEST_SUITE_P(BestScores, TitleLayout,
                         ::testing::Values(TitleCase{0, true, 116}, TitleCase{0, false, 116},
                                           TitleCase{2147483647, true, 35},
                                           TitleCase{-5, true, 107}, TitleCase{1234, true, 89}));

struct GameOverCase {
  std::int32_t score;
  bool newRecord;
  std::int16_t scoreX;
};

class GameOverLayout : public ::testing::TestWithParam<GameOverCase> {};

TEST_P(GameOverLayout, MatchesTheLinesAtTheirPlaces) {
  const GameOverCase& c = GetParam();
  std::vector<Line> lines = {{35, 100, "GAME OVER!"},
                             {c.scoreX, 170, "SCORE:" + std::to_string(c.score)},
                             {26, 300, "PRESS ENTER"}};
  if (c.newRecord) lines.push_back({17, 187, "HIGH SCORE!!"});
  Surface picture(250, 400, kWhite);
  DrawGameOverFrame(picture, TheSprites(), 250, c.score, c.newRecord);
  EXPECT_TRUE(picture.pixels == Written(lines).pixels);
}

INSTANTIATE_TEST_SUITE_P(Scores, GameOverLayout,
                         ::testing::Values(GameOverCase{1234, true, 35},
                                           GameOverCase{1234, false, 35},
                                           GameOverCase{0, false, 62}, GameOverCase{-5, true, 53}));

}  // namespace
}  // namespace voltaro
