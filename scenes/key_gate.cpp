// The held keys and the pause between a front end and the game; see
// key_gate.h. The desktop's event pump feeds it; the page's can too.
#include "scenes/key_gate.h"

#include <algorithm>

#include "game/key_codes.h"

namespace voltaro {

void KeyGate::Pump(KeySink& keys, EventFeed& feed) {
  // Keys let go of during a pause reach the game now, so nothing stays held.
  const std::vector<int> ups = std::exchange(upsAfterPause_, {});
  for (const int code : ups) keys.OnKeyUp(code);
  feed.FeedPending(keys);
  // A pause may also begin and end within the events just handled.
  if (!std::exchange(pauseBegan_, false)) return;
  // Paused: no frame runs until the player resumes.
  while (paused_) {
    feed.SleepWhilePaused();
    feed.FeedPending(keys);
  }
  feed.ShowResumed();
  keys.OnResumed();
}

void KeyGate::KeyDown(KeySink& keys, Source source, int code) {
  if (paused_ || code == kKeyNone) return;  // presses during the pause are not played
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
  } else if (paused_ || stray == Stray::kDropped) {
    return;  // pressed during the pause, or a pad's press the game never saw
  }
  if (code != kKeyNone) keys.OnKeyUp(code);
}

void KeyGate::PressWithoutRelease(KeySink& keys, int code) {
  if (!paused_) keys.OnKeyDown(code);
}

void KeyGate::TakeForWindow(Source source) {
  // A held window key repeats: one entry is enough for its one release.
  if (std::find(windowKeysDown_.begin(), windowKeysDown_.end(), source) == windowKeysDown_.end()) {
    windowKeysDown_.push_back(source);
  }
}

KeyGate::PauseChange KeyGate::PauseKey() {
  if (paused_) {
    paused_ = false;
    return PauseChange::kEnded;
  }
  return pauseAllowed_ ? StartPause() : PauseChange::kNone;
}

KeyGate::PauseChange KeyGate::FocusLost() {
  if (pauseOnFocusLoss_ && pauseAllowed_ && !paused_) return StartPause();
  return PauseChange::kNone;
}

KeyGate::PauseChange KeyGate::StartPause() {
  paused_ = true;
  pauseBegan_ = true;
  return PauseChange::kBegan;
}

}  // namespace voltaro
