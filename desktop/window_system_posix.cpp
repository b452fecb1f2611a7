// The system below SDL on Linux; see window_system.h.
//
// Sleeping on the X connection itself rather than in SDL's wait: SDL's
// wake-up message to the window can reach the X server after the window is
// gone when the game is closed, and then fails the program on its way out.
// The close signals, which SDL turns into a quit at its next read, also
// write a byte to a pipe the sleep watches, and the sleep watches the input
// devices come and go (SDL reads its pads only when it reads its events):
// the game-over screen and the pause can then sleep without a timeout.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "desktop/window_system.h"

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerSecond = 1'000'000'000;
constexpr int kCloseSignals[] = {SIGINT, SIGTERM};

// A signal handler reaches the sleep only through the process: the pipe's
// write end and the handlers it runs before (SDL's, which notes the quit).
std::atomic<int> closeSignalPipe{-1};
struct sigaction previousHandlers[2];

void OnCloseSignal(int signal) {
  const int savedErrno = errno;
  for (std::size_t i = 0; i < 2; ++i) {
    if (kCloseSignals[i] != signal) continue;
    // SDL's handler installs itself again as it runs: ours goes back after.
    struct sigaction ours {};
    sigaction(signal, nullptr, &ours);
    previousHandlers[i].sa_handler(signal);
    sigaction(signal, &ours, nullptr);
  }
  const int pipe = closeSignalPipe.load();
  const char byte = 1;
  if (pipe >= 0 && write(pipe, &byte, 1) < 0) {
    // Full: the sleep has a byte to wake on already.
  }
  errno = savedErrno;
}

// Adds OnCloseSignal in front of the handlers SDL installed; a signal SDL
// left alone (ignored, or fatal by default) stays as it was.
void WatchCloseSignals(int pipeEnd) {
  closeSignalPipe.store(pipeEnd);
  for (std::size_t i = 0; i < 2; ++i) {
    struct sigaction current {};
    if (sigaction(kCloseSignals[i], nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler == SIG_DFL ||
        current.sa_handler == SIG_IGN || current.sa_handler == OnCloseSignal) {
      continue;
    }
    previousHandlers[i] = current;
    struct sigaction ours {};
    ours.sa_handler = OnCloseSignal;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESTART;
    sigaction(kCloseSignals[i], &ours, nullptr);
  }
}

void UnwatchCloseSignals() {
  for (std::size_t i = 0; i < 2; ++i) {
    struct sigaction current {};
    if (sigaction(kCloseSignals[i], nullptr, &current) == 0 &&
        current.sa_handler == OnCloseSignal) {
      sigaction(kCloseSignals[i], &previousHandlers[i], nullptr);
    }
  }
  closeSignalPipe.store(-1);
}

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
  if (pipe2(signalPipe_, O_NONBLOCK | O_CLOEXEC) == 0) WatchCloseSignals(signalPipe_[1]);
  devices_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (devices_ >= 0 &&
      inotify_add_watch(devices_, "/dev/input", IN_CREATE | IN_ATTRIB | IN_DELETE) < 0) {
    close(devices_);
    devices_ = -1;
  }
}

WindowSystem::~WindowSystem() {
  if (devices_ >= 0) close(devices_);
  if (signalPipe_[0] < 0) return;
  UnwatchCloseSignals();
  close(signalPipe_[0]);
  close(signalPipe_[1]);
}

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
  const timespec* timeout = deadlineNs == kNoDeadline ? nullptr : &left;
  if (connection_ >= 0) {
    // A closed file (-1) is left out by ppoll; a signal delivered to this
    // thread ends it early too.
    pollfd watched[3] = {
        {connection_, POLLIN, 0}, {signalPipe_[0], POLLIN, 0}, {devices_, POLLIN, 0}};
    const int woken = ppoll(watched, 3, timeout, nullptr);
    char bytes[512];
    if (woken > 0 && watched[1].revents != 0) {
      while (read(signalPipe_[0], bytes, sizeof bytes) > 0) {
      }
    }
    if (woken > 0 && watched[2].revents != 0) {
      while (read(devices_, bytes, sizeof bytes) > 0) {
      }
      devicesChangedNs_ = MonotonicNanoseconds();
    }
    return woken != 0;
  }
  if (deadlineNs - nowNs >= 1'000'000) {
    // No X connection (another video driver): SDL's own wait, in whole
    // milliseconds, never past the deadline.
    SDL_WaitEventTimeout(nullptr, deadlineNs == kNoDeadline
                                      ? -1
                                      : static_cast<int>((deadlineNs - nowNs) / 1'000'000));
  } else {
    nanosleep(&left, nullptr);
  }
  return true;
}

void WindowSystem::KeepFramesSteady(bool steady) {
  // Linux's timers are fine already; the priority is asked for each time
  // (a refusal costs one call a game), lowest of the real-time ones, and not
  // handed down to a program the game starts.
  if (steady == steady_) return;
  steady_ = steady;
  sched_param priority{};
  priority.sched_priority = steady ? sched_get_priority_min(SCHED_RR) : 0;
  // Refused for an ordinary user without a real-time allowance: then the
  // raised ordinary priority the pump asks SDL for is what there is.
  sched_setscheduler(0, (steady ? SCHED_RR : SCHED_OTHER) | SCHED_RESET_ON_FORK, &priority);
}

}  // namespace voltaro
