// The system below SDL on Linux; see window_system.h.
//
// Sleeping on the X connection itself rather than in SDL's wait: SDL's
// wake-up message to the window can reach the X server after the window is
// gone when the game is closed, and then fails the program on its way out.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <time.h>

#include "desktop/window_system.h"

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerSecond = 1'000'000'000;

timespec SpanOf(std::uint64_t ns) {
  return {static_cast<time_t>(ns / kNsPerSecond), static_cast<long>(ns % kNsPerSecond)};
}

}  // namespace

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * kNsPerSecond +
         static_cast<std::uint64_t>(now.tv_nsec);
}

WindowSystem::WindowSystem(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
      info.subsystem == SDL_SYSWM_X11) {
    display_ = info.info.x11.display;
    connection_ = ConnectionNumber(info.info.x11.display);
    xWindow_ = info.info.x11.window;
  }
}

WindowSystem::~WindowSystem() = default;

bool WindowSystem::InputWaiting() const {
  return display_ != nullptr &&
         XEventsQueued(static_cast<Display*>(display_), QueuedAfterReading) > 0;
}

bool WindowSystem::SleepUntil(std::uint64_t deadlineNs) const {
  const std::uint64_t nowNs = MonotonicNanoseconds();
  if (nowNs >= deadlineNs) return false;
  // ppoll's timeout is a high-resolution timer: it ends on the deadline, not
  // on the next millisecond or scheduler tick, so no waking early to finish
  // in short steps.
  const timespec left = SpanOf(deadlineNs - nowNs);
  if (connection_ >= 0) {
    pollfd connection{connection_, POLLIN, 0};
    // A signal (the close by SIGTERM) ends it early too.
    return ppoll(&connection, 1, &left, nullptr) != 0;
  }
  if (deadlineNs - nowNs >= 1'000'000) {
    // No X connection (another video driver): SDL's own wait, in whole
    // milliseconds, never past the deadline.
    SDL_WaitEventTimeout(nullptr, static_cast<int>((deadlineNs - nowNs) / 1'000'000));
  } else {
    nanosleep(&left, nullptr);
  }
  return true;
}

void WindowSystem::KeepFineTimer(bool fine) {
  // Linux's timers are fine already.
  fineTimer_ = fine;
}

}  // namespace voltaro
