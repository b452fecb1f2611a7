// The SDL side of the game's window. The playfield picture is magnified by a
// whole factor straight into the window's own surface (no renderer, no OpenGL:
// at every size this costs less processor time than a renderer's texture
// upload and copy); a copy of the last shown picture repaints the window when
// it is exposed or resized, so a repaint never shows a half-drawn frame.
// Closing the window throws QuitRequested out of whatever pump sees it.
//
// The pause lives here too: while paused, PumpEvents does not return; it
// sleeps on the event queue with the last picture and the pause sign on the
// screen, drops key presses, keeps the releases of keys the game holds for the
// first pump after the pause, and tells the scenes when play goes on.
#include "desktop/sdl_platform.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "desktop/ime_box.h"
#include "game/key_codes.h"
#include "gfx/icon_pixels.h"
#include "gfx/pause_sign.h"
#include "gfx/scaling.h"
#include "scenes/clock.h"

namespace voltaro {
namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
// How long before a deadline the sleep on the event queue ends; the rest is
// slept in short precise steps.
constexpr std::uint64_t kEarlyWakeMs = 2;

// Pad events do not wake a sleep on the window system's connection: with a pad
// open, sleeps are cut into steps this long, which keeps a press's delay short
// on the screens that sleep until a key comes.
constexpr int kPadPollMs = 10;

[[noreturn]] void ThrowSdlError(const std::string& what) {
  throw std::runtime_error(what + ": " + SDL_GetError());
}

SDL_Surface* MakeIcon(const SpritePair& icon) {
  std::vector<std::uint32_t> argb = IconArgb(icon);
  if (argb.empty()) return nullptr;
  SDL_Surface* view =
      SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), icon.image.width, icon.image.height, 32,
                                         icon.image.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (view == nullptr) return nullptr;
  // SDL keeps the icon after this call returns: hand it a copy of its own.
  SDL_Surface* surface = SDL_DuplicateSurface(view);
  SDL_FreeSurface(view);
  return surface;
}

// SDL hands the window manager one icon picture; on X the window carries both
// sizes, 32 x 32 and 16 x 16, so each place that shows it picks its own.
void SetX11Icons(Display* display, Window window, const SpritePair& big, const SpritePair& small) {
  std::vector<unsigned long> data;  // the property's 32-bit items travel as longs
  for (const SpritePair* icon : {&big, &small}) {
    data.push_back(static_cast<unsigned long>(icon->image.width));
    data.push_back(static_cast<unsigned long>(icon->image.height));
    for (const std::uint32_t pixel : IconArgb(*icon)) data.push_back(pixel);
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
      return kKeyDown;
    case SDLK_BACKSPACE:
      return kKeyBackspace;
    case SDLK_TAB:
      return kKeyTab;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_SPACE:
      return kKeySpace;
    default:
      return kKeyNone;
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

SdlShell::SdlShell(const Sprites& sprites) : sprites_(sprites) {
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
  const int width = std::max(1, sprites.background.width);
  const int height = std::max(1, sprites.background.height);
  window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (window_ == nullptr) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("cannot open the window: " + error);
  }
  SDL_SetWindowMinimumSize(window_, width, height);
  // Pads are welcome but not needed: without them the game plays on.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::cerr << "voltaro5: warning: no game controllers (" << SDL_GetError() << ")\n";
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
}

SdlShell::~SdlShell() {
  pads_.CloseAll();
  SDL_DestroyWindow(window_);
  SDL_Quit();
}

void SdlShell::Configure(const Settings& settings) {
  keys_ = settings.keys;
  pads_.SetBindings(settings.pad);
  opening_ = settings.window;
}

WindowSettings SdlShell::WindowState() const {
  return {windowedScale_, fullscreen_, opening_.pauseOnFocusLoss};
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

void SdlShell::SetCaption(const std::string& caption) {
  caption_ = caption;
  SDL_SetWindowTitle(window_, caption.c_str());
}

void SdlShell::SetClientSize(int width, int height) {
  // Opened at the factor asked for, or the largest below it that fits the
  // screen's usable area.
  SDL_Rect usable{0, 0, width * opening_.scale, height * opening_.scale};
  const int display = SDL_GetWindowDisplayIndex(window_);
  if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) != 0) {
    SDL_GetDisplayBounds(display, &usable);
  }
  windowedScale_ = FittingScale(opening_.scale, usable.w, usable.h, width, height);
  SDL_SetWindowMinimumSize(window_, width, height);
  SDL_SetWindowSize(window_, width * windowedScale_, height * windowedScale_);
  const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(std::max(display, 0)));
  SDL_SetWindowPosition(window_, centred, centred);
}

void SdlShell::ShowWindow() {
  SDL_ShowWindow(window_);
  if (opening_.fullscreen) ToggleFullscreen();
  wholeWindowStale_ = true;
  Present();
}

std::int32_t SdlShell::Now() {
  return ClockFromMilliseconds(MonotonicNanoseconds() / kNsPerMs);
}

void SdlShell::PumpEvents(KeySink& keys) {
  // Keys let go of during a pause reach the game now, so nothing stays held.
  const std::vector<int> ups = std::exchange(upsAfterPause_, {});
  for (const int code : ups) keys.OnKeyUp(code);
  HandlePending(keys);
  // A pause may also begin and end within the events just handled.
  if (!std::exchange(pauseBegan_, false)) return;
  // Paused: no frame runs until the player resumes; sleep on the event queue.
  while (paused_) {
    SleepOnEvents(pads_.AnyOpen() ? kPadPollMs : 1000);
    HandlePending(keys);
  }
  wholeWindowStale_ = true;
  Present();
  keys.OnResumed();
}

void SdlShell::HandlePending(KeySink& keys) {
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
        switch (event.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            throw QuitRequested();
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!fullscreen_) {
              windowedScale_ = PlacePlayfield(event.window.data1, event.window.data2,
                                              lastShown_.width, lastShown_.height)
                                   .scale;
            }
            wholeWindowStale_ = true;
            Present();
            break;
          case SDL_WINDOWEVENT_EXPOSED:
            wholeWindowStale_ = true;
            Present();
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
          case SDL_WINDOWEVENT_MINIMIZED:
          case SDL_WINDOWEVENT_HIDDEN:
            // The keyboard's held keys come up by themselves (SDL does it);
            // the pads' are let go here.
            ReleasePads(keys);
            if (opening_.pauseOnFocusLoss && pauseAllowed_ && !paused_) StartPause();
            break;
          default:
            break;
        }
        break;
      case SDL_KEYDOWN: {
        const SDL_Keysym& key = event.key.keysym;
        const bool altEnter =
            (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
        if (IsWindowKey(key.sym) || altEnter) {
          // The window's own keys never reach the game; a repeat does nothing.
          if (std::find(windowKeysDown_.begin(), windowKeysDown_.end(), key.scancode) ==
              windowKeysDown_.end()) {
            windowKeysDown_.push_back(key.scancode);
          }
          if (event.key.repeat != 0) break;
          if (key.sym == SDLK_F11 || altEnter) {
            ToggleFullscreen();
          } else if (paused_) {
            paused_ = false;
          } else if (pauseAllowed_) {
            StartPause();
          }
          break;
        }
        if (paused_) break;  // presses during the pause are not played
        KeyDown(keys, key.scancode, GameKeyCode(keys_, key.sym, key.scancode, key.mod));
        break;
      }
      case SDL_KEYUP: {
        const SDL_Keysym& key = event.key.keysym;
        const auto taken = std::find(windowKeysDown_.begin(), windowKeysDown_.end(), key.scancode);
        if (taken != windowKeysDown_.end()) {
          windowKeysDown_.erase(taken);
          break;
        }
        KeyUp(keys, key.scancode, GameKeyCode(keys_, key.sym, key.scancode, key.mod), true);
        break;
      }
      case SDL_TEXTEDITING:
        // An input method started composing despite text input being off.
        if (event.edit.text[0] != '\0' && !paused_) keys.OnKeyDown(kKeyProcess);
        break;
      default: {
        std::vector<PadKey> padKeys;
        if (pads_.Handle(event, padKeys)) {
          for (const PadKey& padKey : padKeys) {
            if (padKey.down) {
              if (!paused_) KeyDown(keys, padKey.source, padKey.code);
            } else {
              KeyUp(keys, padKey.source, padKey.code, false);
            }
          }
        }
        break;
      }
    }
  }
}

void SdlShell::KeyDown(KeySink& keys, Source source, int code) {
  if (code == 0) return;
  // Held keys repeat as further key-downs, as the game expects.
  const auto held = std::find_if(held_.begin(), held_.end(),
                                 [source](const auto& h) { return h.first == source; });
  if (held == held_.end()) held_.emplace_back(source, code);
  keys.OnKeyDown(code);
}

void SdlShell::KeyUp(KeySink& keys, Source source, int code, bool strayReaches) {
  const auto held = std::find_if(held_.begin(), held_.end(),
                                 [source](const auto& h) { return h.first == source; });
  if (held != held_.end()) {
    // The release matches its press, whatever the modifiers do meanwhile.
    code = held->second;
    held_.erase(held);
    if (paused_) {
      upsAfterPause_.push_back(code);
      return;
    }
  } else if (paused_ || !strayReaches) {
    return;  // pressed during the pause, or a pad's press the game never saw
  }
  // A keyboard release without a press seen reaches the game as always.
  if (code != 0) keys.OnKeyUp(code);
}

void SdlShell::ReleasePads(KeySink& keys) {
  std::vector<PadKey> padKeys;
  pads_.ReleaseAll(padKeys);
  for (const PadKey& padKey : padKeys) KeyUp(keys, padKey.source, padKey.code, false);
}

void SdlShell::StartPause() {
  paused_ = true;
  pauseBegan_ = true;
  pausedPicture_ = lastShown_;
  DrawPauseSign(pausedPicture_, sprites_);
  Present();
}

void SdlShell::ToggleFullscreen() {
  const bool on = !fullscreen_;
  if (SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    std::cerr << "voltaro5: warning: cannot switch fullscreen " << (on ? "on" : "off") << " ("
              << SDL_GetError() << ")\n";
    return;
  }
  fullscreen_ = on;
  wholeWindowStale_ = true;
  Present();
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
  while (!EventPending()) SleepOnEvents(pads_.AnyOpen() ? kPadPollMs : 1000);
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
  const Surface& picture = paused_ ? pausedPicture_ : lastShown_;
  const PlayfieldPlacement place =
      PlacePlayfield(screen->w, screen->h, picture.width, picture.height);
  const bool whole = std::exchange(wholeWindowStale_, false);
  if (screen->format->format == SDL_PIXELFORMAT_RGB888 ||
      screen->format->format == SDL_PIXELFORMAT_ARGB8888) {
    // The window's pixels are the picture's own 0x00RRGGBB: magnify in place.
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return;
    if (whole)
      SDL_memset(screen->pixels, 0,
                 static_cast<std::size_t>(screen->h) * static_cast<std::size_t>(screen->pitch));
    Magnify(picture, place, static_cast<std::uint32_t*>(screen->pixels), screen->w, screen->h,
            screen->pitch);
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
  } else {
    // Any other pixel format: SDL converts and stretches (nearest pixel).
    SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(picture.pixels.data()), picture.width, picture.height, 32,
        picture.width * 4, SDL_PIXELFORMAT_RGB888);
    if (view == nullptr) return;
    if (whole) SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    SDL_Rect target{place.x, place.y, place.width, place.height};
    SDL_BlitScaled(view, nullptr, screen, &target);
    SDL_FreeSurface(view);
  }
  if (whole) {
    SDL_UpdateWindowSurface(window_);
    return;
  }
  // Between frames only the playfield changes.
  SDL_Rect field{std::max(0, place.x), std::max(0, place.y),
                 std::min(screen->w, place.x + place.width) - std::max(0, place.x),
                 std::min(screen->h, place.y + place.height) - std::max(0, place.y)};
  SDL_UpdateWindowSurfaceRects(window_, &field, 1);
}

void SdlShell::ShowImeMessage() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  unsigned long xWindow = 0;
  if (SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    xWindow = info.info.x11.window;
  }
  const pid_t box = StartImeBox(caption_, xWindow);
  if (box < 0) {
    // In this process, as a last resort.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption_.c_str(), kImeMessage, window_)) {
      std::cerr << "voltaro5: " << kImeMessage << " (the message box failed: " << SDL_GetError()
                << ")\n";
    }
  } else {
    // The game stands still until the box is dismissed; only a close of the
    // window is looked for meanwhile, and it ends the box with the game.
    for (;;) {
      const pid_t done = waitpid(box, nullptr, WNOHANG);
      if (done == box || (done < 0 && errno != EINTR)) break;
      if (CloseRequested()) {
        EndImeBox(box);
        throw QuitRequested();
      }
      timespec step{0, 20'000'000};
      nanosleep(&step, nullptr);
    }
  }
  // The box took the focus from the window; that is no reason to pause, as
  // the game goes on where it stood once the box is dismissed. Take those
  // focus losses out of the queue, keeping the other window events.
  SDL_PumpEvents();
  std::vector<SDL_Event> windowEvents(static_cast<std::size_t>(
      std::max(0, SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT))));
  const int taken = SDL_PeepEvents(windowEvents.data(), static_cast<int>(windowEvents.size()),
                                   SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  for (int i = 0; i < taken; ++i) {
    if (windowEvents[static_cast<std::size_t>(i)].window.event != SDL_WINDOWEVENT_FOCUS_LOST) {
      SDL_PushEvent(&windowEvents[static_cast<std::size_t>(i)]);
    }
  }
}

bool SdlShell::CloseRequested() {
  SDL_PumpEvents();
  std::vector<SDL_Event> events(static_cast<std::size_t>(
      std::max(0, SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT))));
  const int seen = SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_PEEKEVENT,
                                  SDL_FIRSTEVENT, SDL_LASTEVENT);
  for (int i = 0; i < seen; ++i) {
    const SDL_Event& event = events[static_cast<std::size_t>(i)];
    if (event.type == SDL_QUIT) return true;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) return true;
  }
  return false;
}

void ShowFatalErrorBox(const std::string& caption, const std::string& message) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), message.c_str(), nullptr);
}

}  // namespace voltaro
