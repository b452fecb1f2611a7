// The held keys, the pause and the help between a front end and the game;
// see key_gate.h. The desktop's event pump and the page's input feed it.
#include "scenes/key_gate.h"

#include <algorithm>

#include "game/key_codes.h"

namespace voltaro {
namespace {

template <typename List, typename Item>
bool Contains(const List& list, const Item& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

Overlay KeyGate::Shown() const {
  if (help_) return Overlay::kHelp;
  if (paused_) return hintKeys_.empty() ? Overlay::kPauseSign : Overlay::kPauseHint;
  return Overlay::kNone;
}

void KeyGate::Pump(KeySink& keys, EventFeed& feed) {
  // Keys let go of during a hold reach the game now, so nothing stays held.
  const std::vector<int> ups = std::exchange(upsAfterPause_, {});
  for (const int code : ups) keys.OnKeyUp(code);
  feed.FeedPending(keys);
  // A hold may also begin and end within the events just handled.
  if (!std::exchange(holdBegan_, false)) return;
  // Held: no frame runs until the player goes on; the picture changes only
  // when what stands over it does.
  Overlay shown = Overlay::kNone;
  while (Shown() != Overlay::kNone) {
    if (Shown() != shown) {
      shown = Shown();
      feed.ShowOverlay(shown);
    }
    feed.SleepWhilePaused();
    feed.FeedPending(keys);
  }
  feed.ShowOverlay(Overlay::kNone);
  if (std::exchange(pauseBegan_, false)) keys.OnResumed();
}

void KeyGate::KeyDown(KeySink& keys, Source source, int code) {
  // A key taken for the window keeps its repeats from the game too.
  if (code == kKeyNone || Contains(windowKeysDown_, source)) return;
  if (help_ && code == kKeyEnter) {
    // Enter closes the help, and is not also taken by the screen under it.
    TakeForWindow(source);
    help_ = false;
    return;
  }
  if (Holding()) {
    // Presses during a hold are not played; during the pause they light up
    // the line saying how to go on.
    if (paused_ && !help_ && !Contains(hintKeys_, source)) hintKeys_.push_back(source);
    return;
  }
  // Enter leaves the title and game-over screens: no help over the next
  // screen before it has begun.
  if (code == kKeyEnter) helpAllowed_ = false;
  // Held keys repeat as further key-downs, as the game expects.
  const auto held = std::find_if(held_.begin(), held_.end(),
                                 [source](const auto& h) { return h.first == source; });
  if (held == held_.end()) held_.emplace_back(source, code);
  keys.OnKeyDown(code);
}

void KeyGate::KeyUp(KeySink& keys, Source source, int code, Stray stray) {
  const auto taken = std::find(windowKeysDown_.begin(), windowKeysDown_.end(), source);
  if (taken != windowKeysDown_.end()) {
    windowKeysDown_.erase(taken);
    return;
  }
  std::erase(hintKeys_, source);
  const auto held = std::find_if(held_.begin(), held_.end(),
                                 [source](const auto& h) { return h.first == source; });
  if (held != held_.end()) {
    // The release matches its press, whatever the modifiers do meanwhile.
    code = held->second;
    held_.erase(held);
    if (Holding()) {
      upsAfterPause_.push_back(code);
      return;
    }
  } else if (Holding() || stray == Stray::kDropped) {
    return;  // pressed during the hold, or a pad's press the game never saw
  }
  if (code != kKeyNone) keys.OnKeyUp(code);
}

void KeyGate::PressWithoutRelease(KeySink& keys, int code) {
  if (!Holding()) keys.OnKeyDown(code);
}

void KeyGate::TakeForWindow(Source source) {
  // A held window key repeats: one entry is enough for its one release.
  if (!Contains(windowKeysDown_, source)) windowKeysDown_.push_back(source);
}

void KeyGate::PressWindowKey(WindowKey key) {
  switch (key) {
    case WindowKey::kHelp:
      if (help_) {
        help_ = false;
      } else if (paused_ || helpAllowed_) {
        OpenHelp();
      } else if (pauseAllowed_) {
        // In play, F1 pauses with the help shown; closing it leaves the pause.
        StartPause();
        OpenHelp();
      }
      return;
    case WindowKey::kEscape:
      if (help_) {
        help_ = false;
        return;
      }
      break;
    case WindowKey::kPause:
      // The pause key goes back to play from the help over the pause too.
      help_ = help_ && !paused_;
      break;
  }
  if (paused_) {
    EndPause();
  } else if (pauseAllowed_ && !help_) {
    StartPause();
  }
}

void KeyGate::FocusLost() {
  if (pauseOnFocusLoss_ && pauseAllowed_ && !paused_) StartPause();
}

void KeyGate::StartPause() {
  paused_ = true;
  holdBegan_ = true;
  pauseBegan_ = true;
}

void KeyGate::EndPause() {
  paused_ = false;
  hintKeys_.clear();
}

void KeyGate::OpenHelp() {
  help_ = true;
  holdBegan_ = true;
}

}  // namespace voltaro
