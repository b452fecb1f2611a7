// The simulator's own pieces that a trace check cannot see directly: the
// number format of the trace, key-script parsing and the command line.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "json_text.h"
#include "key_script.h"
#include "sim_options.h"
#include "trace_writer.h"

namespace voltaro::sim {
namespace {

std::string ToChars(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string Formatted(float value) {
  std::string out;
  AppendFloat(out, value);
  return out;
}

// The quick path for whole and half values must write exactly what to_chars
// writes, over the whole range where it is taken and just past its edges.
TEST(TraceNumbers, WholeAndHalfValuesMatchToChars) {
  for (int halves = -20100; halves <= 20100; ++halves) {
    const float value = static_cast<float>(halves) * 0.5f;
    ASSERT_EQ(Formatted(value), ToChars(value)) << "halves " << halves;
  }
}

TEST(TraceNumbers, OtherValuesMatchToChars) {
  const float samples[] = {-0.0f,  0.1f,    -13.0f,   146.5f,    0.25f,
                           1e-30f, 9999.5f, 10000.0f, 100000.0f, 1e7f,
                           -1e20f, 0.5124f, 3.4e38f,  0x1p-24f,  0.99999994f};
  for (const float value : samples) EXPECT_EQ(Formatted(value), ToChars(value)) << value;
  EXPECT_EQ(Formatted(-0.0f), "-0");
  EXPECT_EQ(Formatted(146.5f), "146.5");
  EXPECT_EQ(Formatted(-13.0f), "-13");
  EXPECT_EQ(Formatted(0.1f), "0.1");
}

TEST(TraceNumbers, NonFiniteValuesKeepTheLineValidJson) {
  EXPECT_EQ(Formatted(std::numeric_limits<float>::infinity()), "null");
  EXPECT_EQ(Formatted(-std::numeric_limits<float>::infinity()), "null");
  EXPECT_EQ(Formatted(std::numeric_limits<float>::quiet_NaN()), "null");
}

TEST(TraceLines, SetUpLineOfAFreshGameHasTheFixedKeyOrder) {
  GameState game;
  game.GameMode = kModePlaying;
  game.CarX = 108;
  const std::vector<KeyEvent> events = {{1, true, 90}, {1, false, 37}};
  const std::vector<float> draws = {0.5f, 0.03125f};
  const std::string out = TraceLineText(TraceLine{2, 7, 31, "limit", &events, &draws}, game);
  const std::string start =
      "{\"game\":2,\"frame\":7,\"tick\":31,\"mode\":1,\"end\":\"limit\","
      "\"events\":[[\"down\",90],[\"up\",37]],\"draws\":[0.5,0.03125],\"score\":0,\"hits\":0,"
      "\"car\":{\"x\":108,\"y\":0,\"vx\":0,\"vy\":0,\"onPlate\":false,\"ridePlate\":0,"
      "\"moveKey\":0},\"plates\":[{\"x\":0,\"y\":0},";
  EXPECT_EQ(out.substr(0, start.size()), start);
  const std::string end =
      "\"fire\":{\"held\":[false,false,false],\"released\":[false,false,false],"
      "\"served\":[false,false,false],\"cooldown\":[0,0,0]}}\n";
  ASSERT_GE(out.size(), end.size());
  EXPECT_EQ(out.substr(out.size() - end.size()), end);
  EXPECT_EQ(out.find('\n'), out.size() - 1);
}

struct BadScript {
  const char* text;
  const char* message;  // part of the expected message
};

class KeyScriptErrors : public testing::TestWithParam<BadScript> {};

TEST_P(KeyScriptErrors, NameTheFileAndLine) {
  std::istringstream in(GetParam().text);
  try {
    ParseKeyScript(in, "keys.txt");
    FAIL() << "accepted: " << GetParam().text;
  } catch (const UsageError& error) {
    EXPECT_NE(std::strstr(error.what(), GetParam().message), nullptr) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, KeyScriptErrors,
    testing::Values(BadScript{"1 down 90\n2 press 90\n", "keys.txt:2: 'press'"},
                    BadScript{"# c\n\nx down 90\n", "keys.txt:3: tick"},
                    BadScript{"0 down 90\n", "keys.txt:1: tick: '0' is out of range"},
                    BadScript{"-1 down 90\n", "keys.txt:1: tick"},
                    BadScript{"1 down\n", "keys.txt:1: expected 'TICK down|up CODE'"},
                    BadScript{"1 down 90 12\n", "keys.txt:1: expected"},
                    BadScript{"1 up 65536\n", "keys.txt:1: key code: '65536' is out of range"},
                    BadScript{"1 up 9O\n", "keys.txt:1: key code: '9O' is not a whole number"},
                    BadScript{"99999999999999999999 up 90\n", "keys.txt:1: tick"}));

TEST(KeyScript, CommentsBlankLinesAndOrderWithinATick) {
  std::istringstream in(
      "# a whole-line comment\n"
      "\n"
      "  7 up 90   # key up at the end of a line\r\n"
      "3 down 39\n"
      "7 down 68\n"
      "\t3\tup\t39\n");
  const std::vector<KeyEvent> events = ParseKeyScript(in, "k");
  ASSERT_EQ(events.size(), 4u);
  const KeyEvent expected[] = {{3, true, 39}, {3, false, 39}, {7, false, 90}, {7, true, 68}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(events[i].tick, expected[i].tick) << i;
    EXPECT_EQ(events[i].down, expected[i].down) << i;
    EXPECT_EQ(events[i].code, expected[i].code) << i;
  }
}

TEST(Options, DefaultsAndValues) {
  const Options plain = ParseOptions({});
  EXPECT_EQ(plain.seed, 1u);
  EXPECT_EQ(plain.games, 1);
  EXPECT_EQ(plain.maxFrames, 100000);
  EXPECT_FALSE(plain.botSeed || plain.pilotSeed);

  const Options full = ParseOptions({"--seed", "18446744073709551615", "--pilot", "0", "--bot", "4",
                                     "--games", "3", "--max-frames", "10", "--trace", "-",
                                     "--shots", "d", "--every", "5", "--render", "--seed", "9"});
  EXPECT_EQ(full.seed, 9u);  // the last one counts
  EXPECT_EQ(*full.pilotSeed, 0u);
  EXPECT_EQ(*full.botSeed, 4u);
  EXPECT_EQ(full.games, 3);
  EXPECT_EQ(full.maxFrames, 10);
  EXPECT_EQ(full.tracePath, "-");
  EXPECT_EQ(full.shotsDir, "d");
  EXPECT_EQ(full.every, 5);
  EXPECT_TRUE(full.render);
}

}  // namespace
}  // namespace voltaro::sim
