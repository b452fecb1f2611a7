// Replay files: a recording written and read back is the same recording to
// the last bit, and every kind of bad file is refused with the line named.
#include "saves/replay_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace voltaro {
namespace {

Recording Sample() {
  Recording r;
  r.randomState = 0xFEDCBA9876543210ull;
  GameState& g = r.start;
  g.GameMode = kModePlaying;
  g.CarX = 0.1f;
  g.CarY = -0.0f;
  g.CarVX = -3.4e-7f;
  g.CarVY = 146.5f;
  g.RidePlate = 8;
  g.MoveKey = 2;
  g.Plates[3] = {169, -599};
  g.Enemies[0] = {-200, 412.5f, true, 7, false};
  g.Bullets[0] = {-100, 0, 2, false};
  g.FireReleased = {true, false, true};
  g.FireCooldown = {-1, 10, 3};
  g.Score = 4321;
  g.HitCount = 4;
  r.keys = {{1, true, 13}, {1, false, 90}, {57, true, 229}};
  r.frames = 5000;
  r.end = FrameEnd::kHits;
  r.score = 5123;
  return r;
}

// Written, read and written again: the same text, and a -0 (which no stored
// game holds) kept. A replay edited on Windows, with CRLF, is the same game.
TEST(ReplayText, ReadsBackTheSameRecordingToTheLastBit) {
  const Recording r = Sample();
  const std::string text = ReplayText(r);
  const Recording back = ParseReplayText(text, "x");
  EXPECT_EQ(ReplayText(back), text);
  EXPECT_EQ(std::memcmp(&back.start.CarY, &r.start.CarY, sizeof(float)), 0);
  const std::string crlf = std::regex_replace(text, std::regex("\n"), "\r\n");
  EXPECT_EQ(ReplayText(ParseReplayText(crlf, "x")), text);
}

TEST(ReplayText, WritesEveryRecordedGameBackByteForByte) {
  int files = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(VOLTARO5_SOURCE_DIR "/tests/replays")) {
    if (entry.path().extension() != ".v5replay") continue;
    ++files;
    std::stringstream text;
    text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    EXPECT_EQ(ReplayText(ParseReplayText(text.str(), "f")), text.str()) << entry.path();
  }
  EXPECT_GE(files, 5);
}

// Replaces the first line starting with `item` by `line` ("" deletes it).
std::string WithLine(std::string text, const std::string& item, const std::string& line) {
  const std::size_t at = text.rfind("\n" + item + " ") + 1;
  const std::size_t end = text.find('\n', at) + 1;
  return text.replace(at, end - at, line.empty() ? "" : line + "\n");
}

TEST(ReplayText, RefusesEveryKindOfBadFileNamingTheLine) {
  const std::string good = ReplayText(Sample());
  struct Case {
    std::string text;
    std::string message;  // the start of the error
  };
  const Case cases[] = {
      {"VOLTARO5-REPLAY 2\n", "f:1: replay version '2'"},
      {"#!/bin/sh\nrandom 1\n", "f:1: not a replay"},
      {good.substr(0, good.find("\nplate ") + 1), "f:6: the replay ends early"},
      // Cut short: the line where it ends, even inside a number.
      {good.substr(0, good.size() - 1), "f:41: the replay ends early: this line is cut short"},
      {good.substr(0, good.find("\nkey 57") + 6), "f:38: the replay ends early: this line is"},
      {good.substr(0, good.find("\nframes ") + 1), "f:39: the replay ends early: expected 'key'"},
      {"VOLTARO5-REPLAY 1", "f:1: the replay ends early"},
      {WithLine(good, "car", "car 1 2 3"), "f:5: 'car' takes 7 values, found 3"},
      {WithLine(good, "car", "car 1e30 0 0 0 0 0 0"), "f:5: car x: 1e30 is a value"},
      {WithLine(good, "car", "car 1,5 0 0 0 0 0 0"), "f:5: car x: '1,5' is not a number"},
      {WithLine(good, "car", "car 0 0 0 0 2 0 0"), "f:5: car on plate: 2 is out of range"},
      {WithLine(good, "car", "car 0 0 0 0 0 9 0"), "f:5: car ride plate: 9 is out of range"},
      {WithLine(good, "screen", "screen 251 400"), "f:3: screen width: 251 is out of range"},
      {WithLine(good, "mode", "mode 2"), "f:4: mode: 2 is out of range"},
      {WithLine(good, "enemy", "enemy 0 0 0 -1 1"), "f:16: enemy plate: -1 is out of range"},
      {WithLine(good, "bullet", "bullet 0 0 3 1"), "f:30: bullet kind: 3 is out of range"},
      {WithLine(good, "fire", "fire 0 0 0 -2"), "f:33: fire cool-down: -2 is out of range"},
      {WithLine(good, "fire", "fire 0 0 0 11"), "f:33: fire cool-down: 11 is out of range"},
      {WithLine(good, "random", "random -1"), "f:2: random: '-1' is not a whole number"},
      {WithLine(good, "frames", "key 50 down 68\nframes 9"), "f:39: key at pump 50 comes after"},
      {WithLine(good, "key", "key 58 sideways 68"), "f:38: 'sideways' is neither"},
      {WithLine(good, "key", "key 58 down 65536"), "f:38: key code: 65536 is out of range"},
      {WithLine(good, "key", "key 0 down 68"), "f:38: key pump: 0 is out of range"},
      {WithLine(good, "frames", "frames 0"), "f:39: frames: 0 is out of range"},
      {WithLine(good, "end", "end limit"), "f:40: end: 'limit' is neither"},
      {WithLine(good, "hits", "lives 3"), "f:35: expected 'hits', found 'lives'"},
      {good + "more\n", "f:42: unexpected text after the final score"},
      {std::string("VOLTARO5-REPLAY 1\n\x01\xff\n", 21), "f:2: expected 'random'"},
  };
  for (const Case& c : cases) {
    try {
      ParseReplayText(c.text, "f");
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const ReplayError& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message);
    }
  }
}

}  // namespace
}  // namespace voltaro
