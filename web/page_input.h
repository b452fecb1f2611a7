// The page's input, for the key gate (scenes/key_gate.h): the document's key
// events, the on-screen controls under the player's fingers, the pads of the
// browser's Gamepad API, and the page being hidden or losing the focus. The
// browser's handlers run while the program sleeps; they queue what happened
// and wake it, and the next pump hands the queue to the gate, so a touch or a
// pad reaches the game, and its recording, exactly as a key does. The page's
// shell (web_shell.cpp) owns it and pumps through it.
#pragma once

#include <emscripten/html5.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "scenes/key_gate.h"
#include "web/browser_pads.h"

namespace voltaro {

class PageInput {
 public:
  // Takes the document's keys, focus and visibility, the controls' touches
  // and the pads.
  PageInput();
  ~PageInput();
  PageInput(const PageInput&) = delete;
  PageInput& operator=(const PageInput&) = delete;

  // While play runs a tap on the playfield is nothing; on the title and
  // game-over screens it is Enter. The page hears of new pads on those
  // screens, where a pad's Start begins a game, and during play only once a
  // pad has come: a browser listening for pads looks for them many times a
  // second, which a game played on keys or touches need not pay for.
  void SetPlaying(bool playing);
  bool Pending() const { return !pending_.empty(); }
  // The page is hidden (another tab, the phone's home screen): the title
  // screen waits for it to show again.
  bool Hidden() const { return hidden_; }
  // Reads the pads and queues what changed; whether a pad is there (its
  // buttons wake no sleep, so the waits are cut short while one is).
  bool SamplePads();
  // Whether the browser said a pad came since the last call.
  bool TakePadNews() { return std::exchange(padNews_, false); }
  // Counts the page's events as its thread hears them, before they reach
  // this one: a wait blocked on it wakes as soon as one is on its way.
  std::atomic<std::uint32_t>& Knocks() { return knocks_; }
  // Hands the events queued until now to the gate; those queued meanwhile
  // wait for the next call.
  void Feed(KeySink& keys, KeyGate& gate);

  // A finger went down on (or slid onto) the control `index` of the table
  // the page was given, or left it.
  void Control(int index, bool down);

 private:
  enum class Kind { kDown, kUp, kWindowKey, kFocusLost };
  struct Event {
    Kind kind;
    KeyGate::Source source = 0;
    int code = 0;
    KeyGate::Stray stray = KeyGate::Stray::kReaches;
    bool repeat = false;
    WindowKey windowKey = WindowKey::kPause;
  };
  static EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* self);
  // On the page's thread: whether the browser is kept from acting on a key.
  static EM_BOOL KeepFromBrowser(int eventType, const EmscriptenKeyboardEvent* event, void* unused);
  static EM_BOOL OnControl(int placeAndDown, const void* unused, void* self);
  static EM_BOOL OnBlur(int eventType, const EmscriptenFocusEvent* event, void* self);
  static EM_BOOL OnVisibility(int eventType, const EmscriptenVisibilityChangeEvent* event,
                              void* self);
  static EM_BOOL OnPadConnected(int eventType, const EmscriptenGamepadEvent* event, void* self);
  void LoseFocus();
  void ListenForPads(bool listen);
  void Queue(const Event& event);

  std::atomic<std::uint32_t> knocks_{0};
  std::deque<Event> pending_;
  std::vector<std::pair<KeyGate::Source, int>> keysDown_;  // let go when the focus goes
  BrowserPads pads_;
  std::vector<PadKey> padKeys_;  // scratch for the pads' key events
  bool playing_ = false;
  bool hidden_ = false;
  bool padNews_ = false;
  bool padCame_ = false;  // the browser said a pad came
  bool hearingPads_ = false;
};

}  // namespace voltaro
