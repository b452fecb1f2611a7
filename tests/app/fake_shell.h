// A scripted window for the scene tests: a fake millisecond clock that moves
// only when a scene waits (or when a shown frame is given some work time),
// key events and window closes scheduled at given times, and a record of
// every picture shown, with its time.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/shell.h"
#include "gfx/surface.h"

namespace voltaro::testing {

// Thrown when a test's script has nothing more to offer, to stop a scene that
// would otherwise run for ever.
struct ScriptEnded : std::exception {};

// A short fingerprint of a picture, so long games need not keep every frame.
inline std::uint64_t PictureHash(const Surface& picture) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const std::uint32_t pixel : picture.pixels) hash = (hash ^ pixel) * 1099511628211ull;
  return hash ^ static_cast<std::uint64_t>(picture.width) << 32;
}

class FakeShell final : public Shell {
 public:
  enum class Kind { kKeyDown, kKeyUp, kClose };
  struct Event {
    std::uint64_t at;
    Kind kind;
    int code;
  };
  struct Shown {
    std::uint64_t at;
    std::uint64_t hash;
  };

  // `startMs` is the milliseconds since the system started: 2^31 and 2^32
  // lie where the clock turns negative and where it wraps to 0.
  explicit FakeShell(std::uint64_t startMs) : now_(startMs) {}

  // Events must be added in time order.
  void KeyDown(std::uint64_t at, int code) { events_.push_back({at, Kind::kKeyDown, code}); }
  void KeyUp(std::uint64_t at, int code) { events_.push_back({at, Kind::kKeyUp, code}); }
  void Close(std::uint64_t at) { events_.push_back({at, Kind::kClose, 0}); }
  // A key held down from `from`, repeating every `everyMs` up to `until`.
  void KeyRepeat(std::uint64_t from, std::uint64_t until, std::uint64_t everyMs, int code) {
    for (std::uint64_t at = from; at <= until; at += everyMs) KeyDown(at, code);
  }

  std::uint64_t Elapsed() const { return now_; }
  void Advance(std::uint64_t ms) { now_ += ms; }

  // Shell
  std::string AppDir() override { return "/games/voltaro/"; }
  std::uint64_t TimeOfDaySeed() override { return 20261206; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetClientSize(int width, int height) override {
    clientW_ = width;
    clientH_ = height;
  }
  void ShowWindow() override { windowShown_ = true; }

  std::int32_t Now() override {
    ++clockReads_;
    return ClockFromMilliseconds(now_);
  }

  void PumpEvents(KeySink& keys) override {
    ++pumps_;
    while (next_ < events_.size() && events_[next_].at <= now_) {
      const Event event = events_[next_++];
      switch (event.kind) {
        case Kind::kKeyDown:
          keys.OnKeyDown(event.code);
          break;
        case Kind::kKeyUp:
          keys.OnKeyUp(event.code);
          break;
        case Kind::kClose:
          throw QuitRequested();
      }
    }
  }

  void WaitForEventsUntil(std::int32_t tick) override {
    ++timedWaits_;
    const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(now_));
    if (EventPending() || ahead <= 0) {
      // A wait that cannot sleep, over and over: the scene spins.
      if (++idleWaits_ > 10'000) throw std::runtime_error("the scene spins without sleeping");
      return;
    }
    idleWaits_ = 0;
    std::uint64_t wakeAt = now_ + static_cast<std::uint64_t>(ahead);
    if (next_ < events_.size() && events_[next_].at < wakeAt) wakeAt = events_[next_].at;
    now_ = wakeAt;
  }

  void WaitForEvent() override {
    ++blockingWaits_;
    if (next_ >= events_.size()) throw ScriptEnded();
    if (events_[next_].at > now_) now_ = events_[next_].at;
  }

  void Show(const Surface& picture) override {
    shown_.push_back({now_, PictureHash(picture)});
    now_ += workMsPerFrame_;
    if (shown_.size() >= maxShows_) throw ScriptEnded();
  }

  void ShowImeMessage() override {
    ++imeMessages_;
    now_ += imeMessageMs_;  // the player takes this long to dismiss it
  }

  bool EventPending() const { return next_ < events_.size() && events_[next_].at <= now_; }

  // Settings a test may change.
  std::uint64_t workMsPerFrame_ = 0;
  std::uint64_t imeMessageMs_ = 0;
  std::size_t maxShows_ = 5000;

  // What the scenes did.
  std::vector<Shown> shown_;
  int clockReads_ = 0;
  int pumps_ = 0;
  int timedWaits_ = 0;
  int blockingWaits_ = 0;
  int imeMessages_ = 0;
  std::string caption_;
  int clientW_ = 0;
  int clientH_ = 0;
  bool windowShown_ = false;

 private:
  std::uint64_t now_;
  std::vector<Event> events_;
  std::size_t next_ = 0;
  int idleWaits_ = 0;
};

}  // namespace voltaro::testing
