// The clock and the sleeps on SDL's event queue; see sdl_clock.h.
//
// The rules pump once per placement attempt, often dozens of times within a
// fraction of a millisecond, and every read of SDL's events costs half a
// dozen system calls even when nothing came. So SDL reads the window system
// when input waits for it before a sleep or woke one up, the pads once a
// millisecond while one is open, and otherwise a few times a second, for
// pads plugged in and the close by signal; each pump still hands the game
// every event SDL's queue holds. A key is never lost or reordered by this,
// only seen when it has arrived, and a recording notes the pump that
// delivered it, so replays stay exact.
#include "desktop/sdl_clock.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

#include "scenes/clock.h"

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
// How often SDL reads its events when nothing woke a sleep and no pad is
// open: a pad plugged in or a close by signal is noticed within this.
constexpr std::uint64_t kQuietReadNs = 250 * kNsPerMs;

// How often a still screen looks whether the sound has ended or a pad come.
constexpr int kLookMs = 100;
// How long a pad may take to be ready after its device appears.
constexpr std::uint64_t kDevicesSettleNs = 3000 * kNsPerMs;

bool QueueHoldsEvents() {
  return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

}  // namespace

std::int32_t ClockNow() {
  return ClockFromMilliseconds(MonotonicNanoseconds() / kNsPerMs);
}

void EventSleep::ReadEvents(bool always) {
  const std::uint64_t nowNs = MonotonicNanoseconds();
  if (!always && everRead_ && nowNs - lastReadNs_ < (padsOpen_ ? kNsPerMs : kQuietReadNs)) {
    return;
  }
  SDL_PumpEvents();
  lastReadNs_ = nowNs;
  everRead_ = true;
}

bool EventSleep::EventPending() {
  ReadEvents();
  return QueueHoldsEvents();
}

void EventSleep::SleepUntil(std::uint64_t deadlineNs) {
  if (EventPending()) return;
  // The sleep watches the connection only: what the X library took in
  // before is read first.
  if (system_.InputWaiting()) {
    ReadEvents(true);
    if (QueueHoldsEvents()) return;
  }
  // Whatever woke the sleep early (input, a signal) is read now.
  if (system_.SleepUntil(deadlineNs)) ReadEvents(true);
}

void EventSleep::SleepOnEvents(int timeoutMs) {
  SleepUntil(timeoutMs <= 0
                 ? kNoDeadline
                 : MonotonicNanoseconds() + static_cast<std::uint64_t>(timeoutMs) * kNsPerMs);
}

void EventSleep::WaitUntil(std::int32_t tick) {
  if (!soundWanted_) {
    if (!soundResting_) soundResting_ = !restSound_ || restSound_();
  } else if (std::exchange(soundResting_, false) && wakeSound_) {
    wakeSound_();
  }
  const std::uint64_t startMs = MonotonicNanoseconds() / kNsPerMs;
  const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(startMs));
  if (ahead <= 0) return;
  // The moment the clock turns to `tick`.
  const std::uint64_t targetNs = (startMs + static_cast<std::uint64_t>(ahead)) * kNsPerMs;
  while (MonotonicNanoseconds() < targetNs) {
    SleepUntil(targetNs);
    if (QueueHoldsEvents()) return;
  }
}

void EventSleep::WaitForEvent(int stepMs) {
  // A close by signal wakes the sleep too, even one that lands just before it.
  while (!EventPending()) SleepStill(stepMs);
}

void EventSleep::SleepStill(int stepMs) {
  if (!soundResting_) soundResting_ = !restSound_ || restSound_();
  // Until the sound rests, and for a while after a device came or went (SDL
  // finds a new pad a moment after its device appears), a look now and then.
  const std::uint64_t changed = system_.DevicesChangedNs();
  const bool devicesSettling = changed != 0 && MonotonicNanoseconds() - changed < kDevicesSettleNs;
  const bool look = !soundResting_ || devicesSettling;
  SleepOnEvents(!look ? stepMs : (stepMs > 0 ? std::min(stepMs, kLookMs) : kLookMs));
}

}  // namespace voltaro
