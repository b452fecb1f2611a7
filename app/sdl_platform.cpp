// The SDL side of the game's window. The playfield picture is copied 1:1 onto
// the window's own surface (no renderer, no scaling); a copy of the last shown
// picture repaints the window when it is exposed, so a repaint never shows a
// half-drawn frame. Closing the window throws QuitRequested out of whatever
// pump sees it.
#include "sdl_platform.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "clock.h"
#include "game/keys.h"

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
// How long before a deadline the sleep on the event queue ends; the rest is
// slept in short precise steps.
constexpr std::uint64_t kEarlyWakeMs = 2;

// The message shown when an input method has taken a key.
constexpr const char* kImeMessage = "日本語入力モードをオフにしてください。";

[[noreturn]] void ThrowSdlError(const std::string& what) {
  throw std::runtime_error(what + ": " + SDL_GetError());
}

// An icon pixel as ARGB: opaque where the mask is black, see-through elsewhere.
std::uint32_t IconArgb(const SpritePair& icon, int x, int y) {
  const bool opaque = icon.mask.At(x, y) == kBlack;
  return (opaque ? 0xFF000000u : 0u) | (icon.image.At(x, y) & 0xFFFFFFu);
}

SDL_Surface* MakeIcon(const SpritePair& icon) {
  if (icon.image.width <= 0 || icon.image.height <= 0) return nullptr;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, icon.image.width, icon.image.height, 32,
                                                        SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return nullptr;
  for (int y = 0; y < icon.image.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * surface->pitch);
    for (int x = 0; x < icon.image.width; ++x) row[x] = IconArgb(icon, x, y);
  }
  return surface;
}

// SDL hands the window manager one icon picture; on X the window carries both
// sizes, 32 x 32 and 16 x 16, so each place that shows it picks its own.
void SetX11Icons(Display* display, Window window, const SpritePair& big, const SpritePair& small) {
  std::vector<unsigned long> data;  // the property's 32-bit items travel as longs
  for (const SpritePair* icon : {&big, &small}) {
    data.push_back(static_cast<unsigned long>(icon->image.width));
    data.push_back(static_cast<unsigned long>(icon->image.height));
    for (int y = 0; y < icon->image.height; ++y) {
      for (int x = 0; x < icon->image.width; ++x) data.push_back(IconArgb(*icon, x, y));
    }
  }
  const Atom netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
  XChangeProperty(display, window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

}  // namespace

int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_LANG1:           // Hangul / English
    case SDL_SCANCODE_LANG2:           // Hanja
    case SDL_SCANCODE_LANG3:           // Katakana
    case SDL_SCANCODE_LANG4:           // Hiragana
    case SDL_SCANCODE_LANG5:           // Zenkaku / Hankaku
    case SDL_SCANCODE_INTERNATIONAL2:  // Katakana / Hiragana
      return kKeyProcess;
    default:
      break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyEnter;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_DOWN:
      return 40;
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_ESCAPE:
      return 27;
    case SDLK_SPACE:
      return 32;
    default:
      return 0;
  }
}

std::string AppDirFromBasePath(const char* basePath) {
  std::string dir = (basePath != nullptr && basePath[0] != '\0') ? basePath : "./";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

SdlShell::SdlShell(const Sprites& sprites) {
  // Copy the picture straight into the window's X image: no OpenGL context
  // (which costs memory and, under a software rasteriser, processor time).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) ThrowSdlError("cannot start SDL video");
  // Without a display SDL falls back to drivers that show nothing; the game
  // would then run unseen for ever. Only take them when asked for by name.
  const char* current = SDL_GetCurrentVideoDriver();
  const std::string driver = current != nullptr ? current : "";
  if ((driver == "offscreen" || driver == "dummy") && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    SDL_Quit();
    throw std::runtime_error("no display to open the window on (is DISPLAY set?)");
  }
  const int width = std::max(1, sprites.picBack.width);
  const int height = std::max(1, sprites.picBack.height);
  window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("cannot open the window: " + error);
  }
  if (SDL_Surface* icon = MakeIcon(sprites.icon32)) {
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
  }
  // An input method must not swallow the game keys: no text input at all.
  SDL_StopTextInput();
  // ... but should an input method start composing all the same, hear of it,
  // so the player can be asked to switch it off.
  SDL_EventState(SDL_TEXTEDITING, SDL_ENABLE);
  // Sleep on the X connection itself rather than in SDL's wait, whose wake-up
  // message to the window can reach the X server after the window is gone
  // when the game is closed, and then fails the program on its way out.
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    xConnection_ = ConnectionNumber(info.info.x11.display);
    SetX11Icons(info.info.x11.display, info.info.x11.window, sprites.icon32, sprites.icon16);
  }
  lastShown_ = Surface(width, height, kBlack);
  lastShownView_ = SDL_CreateRGBSurfaceWithFormatFrom(lastShown_.pixels.data(), width, height, 32,
                                                      width * 4, SDL_PIXELFORMAT_RGB888);
  if (lastShownView_ == nullptr) {
    const std::string error = SDL_GetError();
    SDL_DestroyWindow(window_);
    SDL_Quit();
    throw std::runtime_error("cannot make the picture surface: " + error);
  }
}

SdlShell::~SdlShell() {
  SDL_FreeSurface(lastShownView_);
  SDL_DestroyWindow(window_);
  SDL_Quit();
}

std::string SdlShell::AppDir() {
  char* basePath = SDL_GetBasePath();
  if (basePath == nullptr) {
    std::cerr << "voltaro5: cannot find the program's directory (" << SDL_GetError()
              << "); using the current directory\n";
  }
  std::string dir = AppDirFromBasePath(basePath);
  SDL_free(basePath);
  return dir;
}

std::uint64_t SdlShell::TimeOfDaySeed() {
  return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

void SdlShell::SetCaption(const std::string& caption) {
  caption_ = caption;
  SDL_SetWindowTitle(window_, caption.c_str());
}

void SdlShell::SetClientSize(int width, int height) {
  SDL_SetWindowSize(window_, width, height);
}

void SdlShell::ShowWindow() {
  SDL_ShowWindow(window_);
  Present();
}

std::int32_t SdlShell::Now() {
  return ClockFromMilliseconds(MonotonicNanoseconds() / kNsPerMs);
}

void SdlShell::PumpEvents(KeySink& keys) {
  // Only what is pending now: events that arrive while these are handled wait
  // for the next pump.
  SDL_PumpEvents();
  int pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_Event event;
  while (pending-- > 0 &&
         SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    switch (event.type) {
      case SDL_QUIT:
        throw QuitRequested();
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) throw QuitRequested();
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          Present();
        }
        break;
      case SDL_KEYDOWN:
        // Held keys repeat as further key-downs, as the game expects.
        if (const int code = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
            code != 0) {
          keys.OnKeyDown(code);
        }
        break;
      case SDL_KEYUP:
        if (const int code = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
            code != 0) {
          keys.OnKeyUp(code);
        }
        break;
      case SDL_TEXTEDITING:
        // An input method started composing despite text input being off.
        if (event.edit.text[0] != '\0') keys.OnKeyDown(kKeyProcess);
        break;
      default:
        break;
    }
  }
}

bool SdlShell::EventPending() {
  SDL_PumpEvents();
  return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

void SdlShell::SleepOnEvents(int timeoutMs) {
  // Pumping first moves everything the X library has already read into SDL's
  // queue, so sleeping on the connection cannot miss an event.
  if (EventPending()) return;
  if (xConnection_ >= 0) {
    pollfd connection{xConnection_, POLLIN, 0};
    poll(&connection, 1, timeoutMs);  // a signal (the close by SIGTERM) ends it early too
  } else {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
  }
}

void SdlShell::WaitForEventsUntil(std::int32_t tick) {
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

void SdlShell::WaitForEvent() {
  // Wake once a second all the same: cheap, and a close by signal that lands
  // just before the sleep is not left waiting for a key.
  while (!EventPending()) SleepOnEvents(1000);
}

void SdlShell::Show(const Surface& picture) {
  if (picture.width == lastShown_.width && picture.height == lastShown_.height) {
    std::copy(picture.pixels.begin(), picture.pixels.end(), lastShown_.pixels.begin());
  }
  Present();
}

void SdlShell::Present() {
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (screen == nullptr) return;
  SDL_BlitSurface(lastShownView_, nullptr, screen, nullptr);
  SDL_UpdateWindowSurface(window_);
}

void SdlShell::ShowImeMessage() {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption_.c_str(), kImeMessage, window_) != 0) {
    // SDL's own reason says what the machine lacks (a helper program, fonts).
    std::cerr << "voltaro5: " << kImeMessage << " (the message box failed: " << SDL_GetError()
              << ")\n";
  }
}

void ShowFatalErrorBox(const std::string& caption, const std::string& message) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), message.c_str(), nullptr);
}

}  // namespace voltaro
