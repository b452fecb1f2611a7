// A window for driving the scenes from a script: a fake clock that moves only
// a set step per pump and per picture, or to the deadline when a scene
// sleeps; key events at given times or after a given number of pictures, the
// player's pause and the window's close among them; and every picture shown
// kept as a hash with its time. The scene tests and the replay corpus maker
// play through it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "scenes/clock.h"
#include "scenes/shell.h"

namespace voltaro::testing {

// The script has nothing more to give: the game-over screen waits for a key
// that never comes, or the last picture asked for has been shown.
struct ScriptEnded : std::exception {};

// Script events besides key codes (a code goes down, its negation comes up).
inline constexpr int kClose = 0;        // the player closes the window
inline constexpr int kPause = 1 << 20;  // a pause while play allows one
inline constexpr std::uint64_t kPauseMs = 5000;

inline std::uint64_t PictureHash(const Surface& picture) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const std::uint32_t pixel : picture.pixels) hash = (hash ^ pixel) * 1099511628211ull;
  return hash;
}

class ScriptedShell final : public Shell {
 public:
  struct Shown {
    std::uint64_t at, hash;
  };

  explicit ScriptedShell(std::uint64_t startMs = 1000) : now_(startMs) {}

  // An event for the first pump at or after `ms`; events for the same pump
  // come in the order they were added.
  void At(std::uint64_t ms, int event) { Add(timed_, nextTimed_, {ms, event}); }
  // An event for the first pump after `pictures` were shown.
  void AfterPicture(std::uint64_t pictures, int event) {
    Add(byPicture_, nextByPicture_, {pictures, event});
  }
  std::uint64_t Elapsed() const { return now_; }
  bool EventPending() const { return nextTimed_ < timed_.size() && timed_[nextTimed_].at <= now_; }

  std::uint64_t seed = 20261206;
  std::uint64_t msPerPump = 0, msPerPicture = 0;
  std::size_t lastPicture = std::numeric_limits<std::size_t>::max();
  // A player who looks at the game after each picture and adds keys of its own.
  std::function<void(std::vector<int>& keys)> player;

  std::vector<Shown> shown;
  int pumps = 0, clockReads = 0, imeMessages = 0;
  std::string helpAtPumps;  // at each pump: 'h' when F1 could show the help, else '-'

  std::uint64_t TimeOfDaySeed() override { return seed; }
  void SetCaption(const std::string&) override {}
  void SetClientSize(int, int) override {}
  void ShowWindow() override {}
  std::int32_t Now() override { return ++clockReads, ClockFromMilliseconds(now_); }
  void PumpEvents(KeySink& keys) override {
    ++pumps;
    helpAtPumps += helpAllowed_ ? 'h' : '-';
    now_ += msPerPump;
    if (player && askPlayer_) {
      askPlayer_ = false;
      std::vector<int> wanted;
      player(wanted);
      for (const int key : wanted) Send(keys, key);
    }
    while (nextByPicture_ < byPicture_.size() && byPicture_[nextByPicture_].at <= shown.size()) {
      Send(keys, byPicture_[nextByPicture_++].event);
    }
    while (EventPending()) Send(keys, timed_[nextTimed_++].event);
  }
  // Sleeps to the deadline; events meanwhile wait for the next pump.
  void WaitForEventsUntil(std::int32_t tick) override {
    const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(now_));
    if (ahead > 0) now_ += static_cast<std::uint64_t>(ahead);
  }
  void WaitForEvent() override {
    if (nextTimed_ >= timed_.size()) throw ScriptEnded();
    now_ = std::max(now_, timed_[nextTimed_].at);
  }
  void Show(const Surface& picture) override {
    shown.push_back({now_, PictureHash(picture)});
    now_ += msPerPicture;
    askPlayer_ = true;
    if (shown.size() >= lastPicture) throw ScriptEnded();
  }
  void ShowImeMessage() override { ++imeMessages; }
  void AllowPause(bool allowed) override { pauseAllowed_ = allowed; }
  void AllowHelp(bool allowed) override { helpAllowed_ = allowed; }

 private:
  struct Event {
    std::uint64_t at;
    int event;
  };

  // Among the events not delivered yet, after those due no later.
  static void Add(std::vector<Event>& events, std::size_t next, Event event) {
    const auto earlier = [](const Event& a, const Event& b) { return a.at < b.at; };
    const auto from = events.begin() + static_cast<std::ptrdiff_t>(next);
    events.insert(std::upper_bound(from, events.end(), event, earlier), event);
  }

  void Send(KeySink& keys, int event) {
    if (event == kClose) throw QuitRequested();
    if (event != kPause) {
      event > 0 ? keys.OnKeyDown(event) : keys.OnKeyUp(-event);
    } else if (pauseAllowed_) {
      // The clock runs on while nothing else happens.
      now_ += kPauseMs;
      keys.OnResumed();
    }
  }

  std::uint64_t now_;
  std::vector<Event> timed_, byPicture_;
  std::size_t nextTimed_ = 0, nextByPicture_ = 0;
  bool askPlayer_ = false, pauseAllowed_ = false, helpAllowed_ = false;
};

}  // namespace voltaro::testing
