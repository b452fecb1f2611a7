// The clock and the sleeps on SDL's event queue; see sdl_clock.h.
//
// Sleeping on the X connection itself rather than in SDL's wait: SDL's
// wake-up message to the window can reach the X server after the window is
// gone when the game is closed, and then fails the program on its way out.
#include "desktop/sdl_clock.h"

#include <SDL.h>
#ifndef _WIN32  // no X connection on Windows (a stopgap until the clock is ported)
#include <poll.h>
#endif
#include <time.h>

#include <algorithm>

#include "scenes/clock.h"

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
// How long before a deadline the sleep on the event queue ends; the rest is
// slept in short precise steps.
constexpr std::uint64_t kEarlyWakeMs = 2;

}  // namespace

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

std::int32_t ClockNow() {
  return ClockFromMilliseconds(MonotonicNanoseconds() / kNsPerMs);
}

bool EventSleep::EventPending() {
  SDL_PumpEvents();
  return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

void EventSleep::SleepOnEvents(int timeoutMs) const {
  // Pumping first moves everything the X library has already read into SDL's
  // queue, so sleeping on the connection cannot miss an event.
  if (EventPending()) return;
#ifndef _WIN32
  if (xConnection_ >= 0) {
    pollfd connection{xConnection_, POLLIN, 0};
    poll(&connection, 1, timeoutMs);  // a signal (the close by SIGTERM) ends it early too
    return;
  }
#endif
  SDL_WaitEventTimeout(nullptr, timeoutMs);
}

void EventSleep::WaitUntil(std::int32_t tick) const {
  const std::uint64_t startNs = MonotonicNanoseconds();
  const std::uint64_t startMs = startNs / kNsPerMs;
  const std::int32_t ahead = ClockDiff(tick, ClockFromMilliseconds(startMs));
  if (ahead <= 0) return;
  // The moment the clock turns to `tick`.
  const std::uint64_t targetNs = (startMs + static_cast<std::uint64_t>(ahead)) * kNsPerMs;
  for (;;) {
    const std::uint64_t nowNs = MonotonicNanoseconds();
    if (nowNs >= targetNs) return;
    const std::uint64_t leftNs = targetNs - nowNs;
    if (leftNs > (kEarlyWakeMs + 1) * kNsPerMs) {
      // The sleep's timeout has millisecond steps and may oversleep (more so
      // on a busy machine): stop it short of the target.
      SleepOnEvents(static_cast<int>(leftNs / kNsPerMs - kEarlyWakeMs));
      if (EventPending()) return;
      continue;
    }
    // The last stretch: look at the queue, then sleep precisely in short
    // steps, so the clock is read again right after it turns.
    if (EventPending()) return;
    const std::uint64_t stepNs = std::min<std::uint64_t>(leftNs, kNsPerMs / 2);
    timespec step{0, static_cast<long>(stepNs)};
    nanosleep(&step, nullptr);
  }
}

void EventSleep::WaitForEvent(int stepMs) const {
  // Waking now and then is cheap, and a close by signal that lands just
  // before the sleep is not left waiting for a key.
  while (!EventPending()) SleepOnEvents(stepMs);
}

}  // namespace voltaro
