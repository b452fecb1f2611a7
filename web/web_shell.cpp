// The browser side of the game's window, on the game's own thread
// (web/page_thread.h), which owns the canvas: what the page's document
// shows besides is done on the page's thread. Events arrive in the page's
// handlers while the program sleeps and are queued until the next pump, like
// the desktop's event queue (page_input.cpp). A wait sleeps on a browser
// timer that an event cuts short; since a timer wakes late by a millisecond
// or so, it is set to end a few milliseconds before the deadline, and the
// rest is spent blocked on the page's knock (page_input.h), which ends at the
// very millisecond the clock passes the deadline, or at once when the page
// hands on an event; then one turn of the thread's event loop brings the
// event in. So each frame starts on time without the thread spinning.
// A picture is put on the canvas only where it differs from the last one.
#include "web/web_shell.h"

#include <emscripten/emscripten.h>
#include <emscripten/threading.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "gfx/icon_pixels.h"
#include "gfx/scaling.h"
#include "scenes/clock.h"
#include "scenes/overlay.h"
#include "web/page_thread.h"

namespace voltaro {
namespace {

// A browser timer shorter than this is stretched to it once timers nest, as
// every wake-up of the program does; shorter waits block the thread instead.
constexpr double kShortestTimerMs = 4;
// How much earlier than the deadline a timer is set to fire: more than it
// is ever late, on a busy machine too.
constexpr double kTimerEarlyMs = 3;
// With a pad there, how often it is read: its buttons wake no sleep.
// Without one the pads are never read: once a page has read them, the
// browser looks for pads many times a second for as long as the page shows.
// It says when a pad comes (a button pressed on it), and then they are read
// at once (page_input.h).
constexpr double kPadPollMs = 10;

// JavaScript inside, kept as written:
// clang-format off
// Sleeps until an event is queued (page_input.cpp wakes it) or `ms`
// milliseconds pass;
// for ever when `ms` is negative.
EM_ASYNC_JS(void, SleepUntilKeyOr, (double ms), {
  await new Promise(resolve => {
    let timer = 0;
    Module.voltaro5Wake = () => {
      Module.voltaro5Wake = null;
      clearTimeout(timer);
      resolve();
    };
    if (ms >= 0) timer = setTimeout(Module.voltaro5Wake, ms);
  });
});

// Hands the page back to the browser for one turn of its event loop.
EM_ASYNC_JS(void, YieldToPage, (), {
  if (!Module.voltaro5Channel) Module.voltaro5Channel = new MessageChannel();
  const channel = Module.voltaro5Channel;
  await new Promise(resolve => {
    channel.port1.onmessage = resolve;
    channel.port2.postMessage(0);
  });
});

EM_JS(void, SetPageTitle, (const char* caption), { document.title = UTF8ToString(caption); });

// The canvas is the game thread's (Module.canvas there is the playfield's
// OffscreenCanvas); the page only places it.
EM_JS(void, SetCanvasSize, (int width, int height), {
  Module.canvas.width = width;
  Module.canvas.height = height;
});

// The part of the page the playfield may take (all of it but the on-screen
// controls), in device pixels, in which the playfield's factor counts:
// left, top, width, height.
EM_JS(void, FieldArea, (int* box), {
  const ratio = window.devicePixelRatio || 1;
  const area = document.getElementById('field-area');
  const r = area ? area.getBoundingClientRect()
                 : {left: 0, top: 0, width: window.innerWidth, height: window.innerHeight};
  HEAP32[box >> 2] = Math.round(r.left * ratio);
  HEAP32[(box >> 2) + 1] = Math.round(r.top * ratio);
  HEAP32[(box >> 2) + 2] = Math.floor(r.width * ratio);
  HEAP32[(box >> 2) + 3] = Math.floor(r.height * ratio);
});

// Play runs (the on-screen controls are live, the replay buttons hidden) or
// not.
EM_JS(void, MarkPlaying, (bool playing), {
  document.documentElement.classList.toggle('playing', playing);
});

// Puts the canvas's corner at x, y and makes it width x height, all in
// device pixels, which the page's style counts in CSS pixels.
EM_JS(void, PlaceCanvas, (int x, int y, int width, int height), {
  const ratio = window.devicePixelRatio || 1;
  const style = document.getElementById('playfield').style;
  style.left = (x / ratio) + 'px';
  style.top = (y / ratio) + 'px';
  style.width = (width / ratio) + 'px';
  style.height = (height / ratio) + 'px';
});

EM_JS(void, ShowCanvas, (), { document.getElementById('playfield').style.visibility = 'visible'; });

// Puts the rows `top` to `bottom` (not included) of a picture on the canvas.
// The game's memory is shared with the page, which ImageData refuses: the
// pixels go through a picture of the thread's own, which keeps the others.
EM_JS(void, PutRows, (const std::uint8_t* rgba, int width, int height, int top, int bottom), {
  if (!Module.voltaro5Context) Module.voltaro5Context = Module.canvas.getContext('2d');
  let image = Module.voltaro5Image;
  if (!image || image.width != width || image.height != height) {
    image = Module.voltaro5Image = new ImageData(width, height);
  }
  const from = top * width * 4;
  const to = bottom * width * 4;
  image.data.set(HEAPU8.subarray(rgba + from, rgba + to), from);
  Module.voltaro5Context.putImageData(image, 0, 0, 0, top, width, bottom - top);
});

// Where the picture last put on the canvas lies in the game's memory, for
// the page's tests (which cannot read a canvas another thread draws on):
// window.voltaro5Picture() copies it out as {width, height, rgba}, again
// until two copies agree, so a copy never holds half of the next picture.
EM_JS(void, SharePicture, (const std::uint8_t* rgba, int width, int height), {
  window.voltaro5Picture = () => {
    const copy = () => HEAPU8.slice(rgba, rgba + width * height * 4);
    let last = copy();
    for (let tries = 0; tries < 10; ++tries) {
      const again = copy();
      if (again.every((byte, i) => byte === last[i])) break;
      last = again;
    }
    return {width: width, height: height, rgba: last};
  };
});

EM_JS(void, SetFavicon, (const char* id, const std::uint8_t* rgba, int width, int height), {
  const canvas = document.createElement('canvas');
  canvas.width = width;
  canvas.height = height;
  const pixels = new Uint8ClampedArray(HEAPU8.slice(rgba, rgba + width * height * 4).buffer);
  canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
  const link = document.getElementById(UTF8ToString(id));
  if (link) link.href = canvas.toDataURL('image/png');
});

EM_JS(void, Alert, (const char* message), { alert(UTF8ToString(message)); });

EM_JS(void, ShowFatalText, (const char* caption, const char* message), {
  const text = UTF8ToString(caption) + ': ' + UTF8ToString(message);
  console.error(text);
  const box = document.getElementById('fatal');
  if (box) {
    box.textContent = text;
    box.style.display = 'block';
  }
});

// clang-format on

// A 0x00RRGGBB pixel as the canvas's red, green, blue and opaque alpha bytes.
void PutRgba(std::uint8_t* out, std::uint32_t pixel, std::uint8_t alpha) {
  out[0] = static_cast<std::uint8_t>(pixel >> 16);
  out[1] = static_cast<std::uint8_t>(pixel >> 8);
  out[2] = static_cast<std::uint8_t>(pixel);
  out[3] = alpha;
}

// A 0x00RRGGBB pixel as one opaque word whose bytes in memory (WebAssembly
// is little-endian) are red, green, blue and alpha.
constexpr std::uint32_t CanvasWord(std::uint32_t pixel) {
  return 0xFF000000u | ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
}

// The icon's pixels as the canvas takes them: red, green, blue, alpha bytes.
std::vector<std::uint8_t> IconRgba(const SpritePair& icon) {
  const std::vector<std::uint32_t> argb = IconArgb(icon);
  std::vector<std::uint8_t> rgba(argb.size() * 4);
  for (std::size_t i = 0; i < argb.size(); ++i) {
    PutRgba(&rgba[i * 4], argb[i], static_cast<std::uint8_t>(argb[i] >> 24));
  }
  return rgba;
}

double MillisecondsNow() {
  return emscripten_get_now();
}

}  // namespace

WebShell::WebShell(const Sprites& sprites) : sprites_(sprites) {
  // On the page's thread, so the page is laid out before it is next drawn.
  emscripten_set_resize_callback_on_thread(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE,
                                           &WebShell::OnResize,
                                           EM_CALLBACK_THREAD_CONTEXT_MAIN_BROWSER_THREAD);
  for (const auto& [id, icon] :
       {std::pair{"icon32", &sprites.icon32}, {"icon16", &sprites.icon16}}) {
    if (icon->image.width <= 0 || icon->image.height <= 0) continue;
    const std::vector<std::uint8_t> rgba = IconRgba(*icon);
    OnPage(SetFavicon, id, rgba.data(), icon->image.width, icon->image.height);
  }
}

WebShell::~WebShell() {
  emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
}

void WebShell::SetCaption(const std::string& caption) {
  OnPage(SetPageTitle, caption.c_str());
}

void WebShell::SetClientSize(int width, int height) {
  SetCanvasSize(width, height);
  fieldW_ = width;
  fieldH_ = height;
  LayOut();
}

void WebShell::LayOut() const {
  const int fieldW = fieldW_;
  const int fieldH = fieldH_;
  if (fieldW <= 0 || fieldH <= 0) return;  // hidden until the scenes size it
  int area[4] = {};
  OnPage(FieldArea, area);
  const PlayfieldPlacement placement = PlacePlayfield(area[2], area[3], fieldW, fieldH);
  OnPage(PlaceCanvas, area[0] + placement.x, area[1] + placement.y, placement.width,
         placement.height);
}

void WebShell::ShowWindow() {
  OnPage(ShowCanvas);
}

std::int32_t WebShell::Now() {
  return ClockFromMilliseconds(static_cast<std::uint64_t>(MillisecondsNow()));
}

void WebShell::AllowPause(bool allowed) {
  gate_.AllowPause(allowed);
  input_.SetPlaying(allowed);
  OnPage(MarkPlaying, allowed);
}

void WebShell::FeedPending(KeySink& keys) {
  input_.Feed(keys, gate_);
}

void WebShell::SleepWhilePaused() {
  // No timer at all: only an event (P, the pause control) wakes the page.
  if (!input_.Pending()) SleepUntilKeyOr(-1);
}

void WebShell::ShowOverlay(Overlay overlay) {
  // The sign or the help over the picture the game stopped on, as on the
  // desktop.
  Surface covered = shown_;
  DrawOverlay(covered, sprites_, overlay, help_);
  Put(covered);
}

bool WebShell::SamplePads(double now) {
  if (input_.TakePadNews() || (padsThere_ && now - padSampledAt_ >= kPadPollMs)) {
    padSampledAt_ = now;
    padsThere_ = input_.SamplePads();
  }
  return padsThere_;
}

void WebShell::WaitForEventsUntil(std::int32_t tick) {
  for (;;) {
    // Read before the queue is looked at, so a knock after the look is seen.
    const std::uint32_t knocks = input_.Knocks().load();
    const double now = MillisecondsNow();
    const bool pads = SamplePads(now);
    if (input_.Pending()) return;
    // Nobody sees the title screen's frames while the page is hidden (play
    // pauses then): no timer runs until it shows again or an event comes.
    if (input_.Hidden()) {
      SleepUntilKeyOr(-1);
      continue;
    }
    const double wholeMs = std::floor(now);
    const std::int32_t ahead =
        ClockDiff(tick, ClockFromMilliseconds(static_cast<std::uint64_t>(wholeMs)));
    if (ahead <= 0) return;
    // The moment the clock turns to `tick`.
    const double left = wholeMs + ahead - now;
    double timerMs = std::ceil(left) - kTimerEarlyMs;
    if (pads) timerMs = std::min(timerMs, kPadPollMs);
    if (timerMs >= kShortestTimerMs) {
      SleepUntilKeyOr(timerMs);
    } else if (emscripten_futex_wait(&input_.Knocks(), knocks, left) != -ETIMEDOUT) {
      // The page knocked (or had, since `knocks` was read): the event comes
      // in with the next turn of the thread's event loop.
      YieldToPage();
    }
  }
}

void WebShell::WaitForEvent() {
  for (;;) {
    const bool pads = SamplePads(MillisecondsNow());
    if (input_.Pending()) return;
    SleepUntilKeyOr(pads ? kPadPollMs : -1);
  }
}

void WebShell::Show(const Surface& picture) {
  shown_ = picture;
  Put(picture);
}

void WebShell::Put(const Surface& picture) {
  const std::size_t width = static_cast<std::size_t>(std::max(picture.width, 0));
  const std::size_t height = static_cast<std::size_t>(std::max(picture.height, 0));
  const std::uint32_t* before = rgba_.data();
  // A picture of another size is put whole.
  const bool resized = picture.width != sharedW_ || picture.height != sharedH_;
  rgba_.resize(width * height);
  std::size_t top = resized ? 0 : height;
  std::size_t bottom = resized ? height : 0;
  for (std::size_t y = 0; y < height; ++y) {
    bool changed = false;
    for (std::size_t x = y * width; x < (y + 1) * width; ++x) {
      const std::uint32_t word = CanvasWord(picture.pixels[x]);
      changed |= rgba_[x] != word;
      rgba_[x] = word;
    }
    if (changed) {
      top = std::min(top, y);
      bottom = y + 1;
    }
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(rgba_.data());
  if (rgba_.data() != before || resized) {
    sharedW_ = picture.width;
    sharedH_ = picture.height;
    OnPage(SharePicture, bytes, sharedW_, sharedH_);
  }
  // The same picture again leaves the canvas, and the browser, alone.
  if (top >= bottom) return;
  PutRows(bytes, picture.width, picture.height, static_cast<int>(top), static_cast<int>(bottom));
  // A canvas of another thread than the page's shows its picture once that
  // thread's turn ends, which the next wait may only bring a frame later.
  YieldToPage();
}

void WebShell::ShowImeMessage() {
  // alert() holds the page, and with it the game, until it is dismissed.
  OnPage(Alert, kImeMessage);
}

EM_BOOL WebShell::OnResize(int /*eventType*/, const EmscriptenUiEvent* /*event*/, void* self) {
  static_cast<const WebShell*>(self)->LayOut();
  return EM_FALSE;
}

void ShowFatalErrorOnPage(const std::string& caption, const std::string& message) {
  OnPage(ShowFatalText, caption.c_str(), message.c_str());
}

}  // namespace voltaro
