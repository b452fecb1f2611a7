// The system below SDL on Windows; see window_system.h. There is no
// connection to watch: SDL's own wait sleeps on the window's messages, and
// the last stretch before a deadline is slept on a high-resolution waitable
// timer, so a frame starts on its millisecond rather than on the next tick.
#include <SDL.h>
#include <windows.h>
// (after windows.h) timeBeginPeriod
#include <mmsystem.h>

#include "desktop/window_system.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
// SDL's wait ends on the timer tick (1 ms while play runs) and may overshoot
// by several (6 ms seen under wine): it is stopped this far short of the
// deadline, and the rest slept on the precise timer.
constexpr std::uint64_t kTimerStretchNs = 4 * kNsPerMs;

}  // namespace

std::uint64_t MonotonicNanoseconds() {
  static const std::uint64_t frequency = SDL_GetPerformanceFrequency();
  const std::uint64_t count = SDL_GetPerformanceCounter();
  // Whole seconds and the rest apart, so that the product cannot overflow.
  return count / frequency * 1'000'000'000u + count % frequency * 1'000'000'000u / frequency;
}

WindowSystem::WindowSystem(SDL_Window* /*window*/) {}

WindowSystem::~WindowSystem() {
  KeepFramesSteady(false);
}

bool WindowSystem::InputWaiting() const {
  return false;  // SDL's wait reads the window's messages itself
}

bool WindowSystem::SleepUntil(std::uint64_t deadlineNs) const {
  const std::uint64_t nowNs = MonotonicNanoseconds();
  if (nowNs >= deadlineNs) return false;
  const std::uint64_t leftNs = deadlineNs - nowNs;
  if (deadlineNs == kNoDeadline) {
    SDL_WaitEventTimeout(nullptr, -1);
    return true;
  }
  if (leftNs >= kTimerStretchNs + kNsPerMs) {
    SDL_WaitEventTimeout(nullptr, static_cast<int>((leftNs - kTimerStretchNs) / kNsPerMs));
    return true;  // SDL's wait may have read messages: let them be handled
  }
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
  if (timer == nullptr) {
    // Before Windows 10 1803: a plain timer, on the (fine while playing) tick.
    timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  }
  if (timer == nullptr) {
    Sleep(1);
    return true;
  }
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>((leftNs + 99) / 100);  // relative, in 100 ns units
  if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
    WaitForSingleObject(timer, INFINITE);
  } else {
    Sleep(1);  // never a spin, even without the timer
  }
  CloseHandle(timer);
  return true;
}

void WindowSystem::KeepFramesSteady(bool steady) {
  if (steady == steady_) return;
  steady_ = steady;
  if (steady) {
    timeBeginPeriod(1);
  } else {
    timeEndPeriod(1);
  }
}

}  // namespace voltaro
