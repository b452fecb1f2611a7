// The page's events queued for the key gate; see page_input.h. Every source
// of keys has numbers of its own, so the gate can match each release with
// its press: a keyboard key its key code and place on the keyboard, a
// control its place in the table below, a pad its index and button
// (browser_pads.cpp).
#include "web/page_input.h"

#include <emscripten/emscripten.h>
#include <pthread.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "game/key_codes.h"
#include "web/browser_keys.h"
#include "web/page_thread.h"

namespace voltaro {
namespace {

// The on-screen controls, by the page's data-control names, and their keys.
struct ControlKey {
  const char* name;
  int code;
};
constexpr std::array<ControlKey, 8> kControls = {{
    {"left", kKeyLeft},
    {"right", kKeyRight},
    {"jump", kKeyUp},
    {"fire-left", kKeyZ},
    {"fire-right", kKeyV},
    {"fire-up", kKeyD},
    {"pause", kKeyNone},       // the window's pause, never a game key
    {"playfield", kKeyEnter},  // a tap on the title and game-over screens
}};
constexpr std::size_t kPauseControl = 6;
constexpr std::size_t kPlayfieldControl = 7;
constexpr KeyGate::Source kControlSources = KeyGate::Source{1} << 16;

// A control touched, on the game's thread (PageInput::OnControl).
using ControlTouched = EM_BOOL (*)(int placeAndDown, const void* unused, void* self);

// JavaScript inside, kept as written:
// clang-format off
EM_JS(void, WakeFromSleep, (), {
  if (Module.voltaro5Wake) Module.voltaro5Wake();
});

// Hands the controls' names to the page's touch handling, which calls back
// with a name's place in the list; that call goes on to the game's thread
// (`thread`), as the browser's own events do, as `touched`(place * 2 + down).
EM_JS(void, ListenToControls, (PageInput* input, const char* names, pthread_t thread,
                               ControlTouched touched), {
  Module.voltaro5Control = (index, down) => {
    JSEvents.queueEventHandlerOnThread_iiii(thread, touched, index * 2 + down, 0, input);
    if (Module.voltaro5Knock) Module.voltaro5Knock();
  };
  if (window.voltaro5ListenToControls) {
    window.voltaro5ListenToControls(UTF8ToString(names).split(' '));
  }
});

EM_JS(void, StopListeningToControls, (), { Module.voltaro5Control = null; });

// Counts every event the page's thread hands on to the game's in the word
// at `knocks` and wakes a wait blocked on it. Heard after the page's own
// handlers (added later, on the same targets), so the event is already on
// its way to the game's thread.
EM_JS(void, KnockOnEvents, (void* knocks), {
  const knock = () => {
    Atomics.add(HEAPU32, knocks >> 2, 1);
    Atomics.notify(HEAP32, knocks >> 2);
  };
  Module.voltaro5Knock = knock;
  for (const type of ['keydown', 'keyup', 'visibilitychange']) document.addEventListener(type, knock);
  window.addEventListener('blur', knock);
});

EM_JS(void, StopKnocking, (), {
  const knock = Module.voltaro5Knock;
  Module.voltaro5Knock = null;
  for (const type of ['keydown', 'keyup', 'visibilitychange']) document.removeEventListener(type, knock);
  window.removeEventListener('blur', knock);
});
// clang-format on

std::string ControlNames() {
  std::string names;
  for (const ControlKey& control : kControls) {
    if (!names.empty()) names += ' ';
    names += control.name;
  }
  return names;
}

}  // namespace

PageInput::PageInput() {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_FALSE,
                                  &PageInput::OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_FALSE,
                                &PageInput::OnKey);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, &PageInput::OnBlur);
  emscripten_set_visibilitychange_callback(this, EM_FALSE, &PageInput::OnVisibility);
  ListenForPads(true);
  // The game's thread hears the keys; the page's decides at once whether
  // the browser may still act on them (scroll, press a button).
  emscripten_set_keydown_callback_on_thread(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                            &PageInput::KeepFromBrowser,
                                            EM_CALLBACK_THREAD_CONTEXT_MAIN_BROWSER_THREAD);
  emscripten_set_keyup_callback_on_thread(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                          &PageInput::KeepFromBrowser,
                                          EM_CALLBACK_THREAD_CONTEXT_MAIN_BROWSER_THREAD);
  OnPage(ListenToControls, this, ControlNames().c_str(), pthread_self(), &PageInput::OnControl);
  OnPage(KnockOnEvents, static_cast<void*>(&knocks_));
}

PageInput::~PageInput() {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, nullptr);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, nullptr);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, nullptr);
  emscripten_set_gamepadconnected_callback(nullptr, EM_FALSE, nullptr);
  OnPage(StopListeningToControls);
  OnPage(StopKnocking);
}

void PageInput::SetPlaying(bool playing) {
  playing_ = playing;
  ListenForPads(!playing || padCame_);
}

void PageInput::ListenForPads(bool listen) {
  if (listen == hearingPads_) return;
  hearingPads_ = listen;
  emscripten_set_gamepadconnected_callback(listen ? this : nullptr, EM_FALSE,
                                           listen ? &PageInput::OnPadConnected : nullptr);
}

bool PageInput::SamplePads() {
  std::vector<PadReading> readings;
  if (emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
    const int count = emscripten_get_num_gamepads();
    for (int i = 0; i < count; ++i) {
      EmscriptenGamepadEvent state{};
      PadReading& reading = readings.emplace_back();
      // Only the standard mapping says which button is which.
      if (emscripten_get_gamepad_status(i, &state) != EMSCRIPTEN_RESULT_SUCCESS ||
          !state.connected || std::string_view(state.mapping) != "standard") {
        continue;
      }
      reading.connected = true;
      for (int b = 0; b < std::min(state.numButtons, 32); ++b) {
        if (state.digitalButton[b]) reading.buttons |= std::uint32_t{1} << b;
      }
      if (state.numAxes > 0) reading.stickX = state.axis[0];
    }
  }
  padKeys_.clear();
  pads_.Take(readings, padKeys_);
  for (const PadKey& key : padKeys_) {
    Queue({key.down ? Kind::kDown : Kind::kUp, key.source, key.code, KeyGate::Stray::kDropped});
  }
  return pads_.AnyConnected();
}

void PageInput::Feed(KeySink& keys, KeyGate& gate) {
  for (std::size_t count = pending_.size(); count > 0 && !pending_.empty(); --count) {
    const Event event = pending_.front();
    pending_.pop_front();
    switch (event.kind) {
      case Kind::kDown:
        gate.KeyDown(keys, event.source, event.code);
        break;
      case Kind::kUp:
        gate.KeyUp(keys, event.source, event.code, event.stray);
        break;
      case Kind::kWindowKey:
        // A window key never reaches the game, nor does its release.
        if (event.source != 0) gate.TakeForWindow(event.source);
        if (!event.repeat) gate.PressWindowKey(event.windowKey);
        break;
      case Kind::kFocusLost:
        gate.FocusLost();
        break;
    }
  }
}

void PageInput::Control(int index, bool down) {
  if (index < 0 || static_cast<std::size_t>(index) >= kControls.size()) return;
  const auto place = static_cast<std::size_t>(index);
  if (place == kPauseControl) {
    if (down) Queue({Kind::kWindowKey});
    return;
  }
  // During play a tap on the playfield is nothing; its release is then a
  // stray the gate drops.
  if (place == kPlayfieldControl && down && playing_) return;
  Queue({down ? Kind::kDown : Kind::kUp, kControlSources + index, kControls[place].code,
         KeyGate::Stray::kDropped});
}

EM_BOOL PageInput::OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* self) {
  auto* input = static_cast<PageInput*>(self);
  const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
  const auto source = static_cast<KeyGate::Source>(event->keyCode) |
                      (static_cast<KeyGate::Source>(event->location) << 8);
  const auto windowKey = BrowserWindowKey(static_cast<int>(event->keyCode));
  if (down && windowKey) {
    input->Queue({Kind::kWindowKey, source, kKeyNone, KeyGate::Stray::kReaches, event->repeat != 0,
                  *windowKey});
    return EM_FALSE;
  }
  const int code = VirtualKeyFromBrowser(static_cast<int>(event->keyCode), event->code);
  // A key the game has no code for is the page's, but a window key's release
  // still ends its hold in the gate.
  if (code == kKeyNone && !windowKey) return EM_FALSE;
  auto& held = input->keysDown_;
  const auto was =
      std::find_if(held.begin(), held.end(), [source](const auto& h) { return h.first == source; });
  if (down && was == held.end()) held.emplace_back(source, code);
  if (!down && was != held.end()) held.erase(was);
  // Held keys repeat as further key-downs, as the game expects.
  input->Queue({down ? Kind::kDown : Kind::kUp, source, code});
  return EM_FALSE;
}

EM_BOOL PageInput::KeepFromBrowser(int eventType, const EmscriptenKeyboardEvent* event,
                                   void* /*unused*/) {
  const bool shortcut = event->ctrlKey || event->altKey || event->metaKey;
  // The window's keys are taken from the browser too: F1 would open its own
  // help.
  if (eventType == EMSCRIPTEN_EVENT_KEYDOWN && BrowserWindowKey(static_cast<int>(event->keyCode))) {
    return shortcut ? EM_FALSE : EM_TRUE;
  }
  const int code = VirtualKeyFromBrowser(static_cast<int>(event->keyCode), event->code);
  return KeepsKeyFromPage(code, shortcut) ? EM_TRUE : EM_FALSE;
}

EM_BOOL PageInput::OnControl(int placeAndDown, const void* /*unused*/, void* self) {
  static_cast<PageInput*>(self)->Control(placeAndDown / 2, placeAndDown % 2 != 0);
  return EM_FALSE;
}

EM_BOOL PageInput::OnBlur(int /*eventType*/, const EmscriptenFocusEvent* /*event*/, void* self) {
  static_cast<PageInput*>(self)->LoseFocus();
  return EM_FALSE;
}

EM_BOOL PageInput::OnVisibility(int /*eventType*/, const EmscriptenVisibilityChangeEvent* event,
                                void* self) {
  auto* input = static_cast<PageInput*>(self);
  input->hidden_ = event->hidden != 0;
  if (input->hidden_) {
    input->LoseFocus();
  } else {
    WakeFromSleep();  // a wait held while hidden goes on
  }
  return EM_FALSE;
}

EM_BOOL PageInput::OnPadConnected(int /*eventType*/, const EmscriptenGamepadEvent* /*event*/,
                                  void* self) {
  // The wait in progress samples the pads when it wakes.
  auto* input = static_cast<PageInput*>(self);
  input->padNews_ = true;
  input->padCame_ = true;
  WakeFromSleep();
  return EM_FALSE;
}

void PageInput::LoseFocus() {
  // The page hears no key-ups once it has lost the focus: let go of what is
  // held, as the desktop window does, then pause play.
  for (const auto& [source, code] : std::exchange(keysDown_, {})) {
    Queue({Kind::kUp, source, code});
  }
  padKeys_.clear();
  pads_.ReleaseAll(padKeys_);
  for (const PadKey& key : padKeys_) {
    Queue({Kind::kUp, key.source, key.code, KeyGate::Stray::kDropped});
  }
  Queue({Kind::kFocusLost});
}

void PageInput::Queue(const Event& event) {
  pending_.push_back(event);
  WakeFromSleep();
}

}  // namespace voltaro
