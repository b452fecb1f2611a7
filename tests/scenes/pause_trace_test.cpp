// A pause changes nothing the rules see: a game paused and resumed goes
// through the very same states as one never paused, given the same keys at the
// same frames, and the frame after a pause comes a whole period after it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/keys.h"
#include "gfx/sprites.h"
#include "scenes/clock.h"
#include "scenes/scenes.h"
#include "sim/trace_observer.h"

namespace voltaro {
namespace {

struct ScriptEnded : std::exception {};

constexpr std::uint64_t kPauseMs = 5000;

// A window whose keys come at given pictures (delivered at the first pump
// after that many were shown) and which pauses as the SDL window does: inside
// a pump, the clock runs on while nothing else happens, then play resumes.
class FrameKeyedWindow final : public Shell {
 public:
  std::vector<std::pair<int, int>> keys;  // (pictures shown, key; negative: up)
  std::vector<int> pauses;                // pause at the first pump after this many
  std::vector<std::int32_t> resumedAt;
  int lastPicture = 400;

  std::uint64_t TimeOfDaySeed() override { return 31; }
  void SetCaption(const std::string&) override {}
  void SetClientSize(int, int) override {}
  void ShowWindow() override {}
  std::int32_t Now() override { return ClockFromMilliseconds(now_); }
  void PumpEvents(KeySink& sink) override {
    now_ += 1;
    while (nextKey_ < keys.size() && keys[nextKey_].first <= shown_) {
      const int key = keys[nextKey_++].second;
      key > 0 ? sink.OnKeyDown(key) : sink.OnKeyUp(-key);
    }
    if (pauseAllowed_ && nextPause_ < pauses.size() && pauses[nextPause_] <= shown_) {
      ++nextPause_;
      now_ += kPauseMs;
      resumedAt.push_back(Now());
      sink.OnResumed();
    }
  }
  void WaitForEventsUntil(std::int32_t tick) override {
    const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(now_));
    if (ahead > 0) now_ += static_cast<std::uint64_t>(ahead);
  }
  // Only the game-over screen waits for a key: the script ends there.
  void WaitForEvent() override { throw ScriptEnded(); }
  void Show(const Surface&) override {
    now_ += 3;
    if (++shown_ > lastPicture) throw ScriptEnded();
  }
  void ShowImeMessage() override {}
  void AllowPause(bool allowed) override { pauseAllowed_ = allowed; }

 private:
  std::uint64_t now_ = 1000;
  int shown_ = 0;
  std::size_t nextKey_ = 0, nextPause_ = 0;
  bool pauseAllowed_ = false;
};

struct Played {
  std::string trace;
  std::vector<std::int32_t> playFrameTimes, resumedAt;
};

Played Play(const std::vector<int>& pauses) {
  const Sprites sprites = LoadSprites();
  FrameKeyedWindow window;
  // Enter on the title, then steering, a jump and shots, some of them held
  // across the pauses.
  window.keys = {{2, kKeyEnter}, {2, -kKeyEnter}, {8, kKeyLeft},    {20, -kKeyLeft},
                 {21, kKeyZ},    {22, kKeyUp},    {22, -kKeyZ},     {30, kKeyRight},
                 {31, kKeyD},    {45, -kKeyD},    {46, -kKeyRight}, {60, kKeyV},
                 {61, -kKeyV},   {70, kKeyLeft},  {90, -kKeyLeft}};
  window.pauses = pauses;
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&data, &size);
  Played played;
  {
    sim::TraceObserver trace(file);
    Scenes scenes(window, sprites,
                  {[] { return 0; }, [](std::int32_t score) { return score; }, {}});
    scenes.Watch(trace);
    scenes.SetFrameObserver([&played](const char* scene, std::int32_t frameTime) {
      if (std::string(scene) == "play") played.playFrameTimes.push_back(frameTime);
    });
    scenes.StartUp();
    EXPECT_THROW(scenes.RunScenes(), ScriptEnded);
  }
  std::fclose(file);
  played.trace.assign(data, size);
  std::free(data);
  played.resumedAt = window.resumedAt;
  return played;
}

TEST(Pause, PlayGoesThroughTheSameStatesAndResumesAWholePeriodLater) {
  const Played plain = Play({});
  const Played paused = Play({5, 21, 22, 40, 41});
  ASSERT_GT(plain.trace.size(), 1000u);
  EXPECT_EQ(paused.trace, plain.trace);
  ASSERT_EQ(paused.resumedAt.size(), 5u);
  ASSERT_EQ(paused.playFrameTimes.size(), plain.playFrameTimes.size());
  // Each resume is followed by a frame that starts a whole period (and the
  // clock's step) after it, never at once.
  for (const std::int32_t resumed : paused.resumedAt) {
    std::int32_t next = 0;
    for (const std::int32_t t : paused.playFrameTimes) {
      if (ClockDiff(t, resumed) > 0) {
        next = t;
        break;
      }
    }
    EXPECT_GE(ClockDiff(next, resumed), kPlayPeriodMs) << "resumed at " << resumed;
    EXPECT_LE(ClockDiff(next, resumed), kPlayPeriodMs + 5) << "resumed at " << resumed;
  }
}

}  // namespace
}  // namespace voltaro
