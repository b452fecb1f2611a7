// The simulator's pieces a trace check cannot see: the trace's number format
// and key order, and key-script parsing.
#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/game_state.h"
#include "sim/json_text.h"
#include "sim/key_script.h"
#include "sim/sim_options.h"
#include "sim/trace_writer.h"

namespace voltaro::sim {
namespace {

std::string Formatted(float value) {
  std::string out;
  AppendFloat(out, value);
  return out;
}

// The quick path for whole and half values writes what to_chars writes, up to
// past its edges; non-finite values become null, keeping the line valid JSON.
TEST(TraceNumbers, MatchToCharsAndWriteNullForNonFinite) {
  std::vector<float> values = {0.1f,    1e-30f,   1e5f,        1e7f, -1e20f,
                               3.4e38f, 0x1p-24f, 0.99999994f, -0.0f};
  for (float v = -10050.0f; v <= 10050.0f; v += 0.5f) values.push_back(v);  // exact steps
  for (const float value : values) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    ASSERT_EQ(Formatted(value), std::string(buffer, result.ptr)) << value;
  }
  constexpr float kInf = std::numeric_limits<float>::infinity();
  for (const float value : {kInf, -kInf, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(Formatted(value), "null");
  }
}

TEST(TraceLines, SetUpLineHasTheFixedKeyOrder) {
  GameState game;
  game.GameMode = kModePlaying;
  game.CarX = 108;
  const std::vector<KeyEvent> events = {{1, true, 90}, {1, false, 37}};
  const std::vector<float> draws = {0.5f, 0.03125f};
  const std::string out = TraceLineText(TraceLine{2, 7, 31, "limit", &events, &draws}, game);
  EXPECT_TRUE(out.starts_with(
      "{\"game\":2,\"frame\":7,\"tick\":31,\"mode\":1,\"end\":\"limit\","
      "\"events\":[[\"down\",90],[\"up\",37]],\"draws\":[0.5,0.03125],\"score\":0,\"hits\":0,"
      "\"car\":{\"x\":108,\"y\":0,\"vx\":0,\"vy\":0,\"onPlate\":false,\"ridePlate\":0,"
      "\"moveKey\":0},\"plates\":[{\"x\":0,\"y\":0},"))
      << out;
  EXPECT_TRUE(
      out.ends_with("\"fire\":{\"held\":[false,false,false],\"released\":[false,false,false],"
                    "\"served\":[false,false,false],\"cooldown\":[0,0,0]}}\n"))
      << out;
  EXPECT_EQ(out.find('\n'), out.size() - 1);
}

TEST(KeyScript, ErrorsNameTheFileLineAndField) {
  const std::pair<const char*, const char*> table[] = {
      {"1 down 90\n2 press 90\n", "keys.txt:2: 'press'"},
      {"# c\n\n0 down 90\n", R"(keys.txt:3: tick: "0" is out of range)"},
      {"1 up 9O\n", R"(keys.txt:1: key code: "9O" is not a whole number)"}};
  for (const auto& [text, message] : table) {
    std::istringstream in(text);
    try {
      ParseKeyScript(in, "keys.txt");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace voltaro::sim
