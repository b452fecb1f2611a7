// The rules between a front end's key events and the game's key handlers, and
// the pause. A front end translates its own events (SDL's, the browser's)
// into calls here; this decides what reaches the KeySink: held keys repeat as
// further key-downs, a release matches its press whatever the modifiers did
// meanwhile, presses during the pause are never played, and releases during
// the pause reach the game at the first pump after it. The pause itself is
// held inside Pump, which returns only once play goes on.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "scenes/shell.h"

namespace voltaro {

// What a front end does for the gate during one pump.
class EventFeed {
 public:
  virtual ~EventFeed() = default;
  // Hands the events pending now to the gate; events arriving meanwhile wait
  // for the next call. May throw QuitRequested.
  virtual void FeedPending(KeySink& keys) = 0;
  // Sleeps until an event may be pending, while the game is paused.
  virtual void SleepWhilePaused() = 0;
  // Play goes on: the picture without the pause sign, the whole window.
  virtual void ShowResumed() = 0;
};

class KeyGate {
 public:
  // What keeps a game key down: a keyboard key or a pad's button or stick,
  // one number each, never the same for two of them.
  using Source = std::int64_t;
  // A release whose press the game never saw: a keyboard's reaches the game
  // as always (the key may have gone down before the window had the focus), a
  // pad's does not.
  enum class Stray { kReaches, kDropped };
  enum class PauseChange { kNone, kBegan, kEnded };

  // Whether losing the focus pauses play (the player's setting).
  void SetPauseOnFocusLoss(bool pauses) { pauseOnFocusLoss_ = pauses; }
  // True while play runs; on the title and game-over screens no pause begins.
  void AllowPause(bool allowed) { pauseAllowed_ = allowed; }
  bool Paused() const { return paused_; }

  // One pump: the releases kept from the pause just ended, then the pending
  // events. When a pause began among them, sleeps and feeds until it ends,
  // then tells the sink play goes on.
  void Pump(KeySink& keys, EventFeed& feed);

  // A key (code 0: one the game has no code for) going down or up.
  void KeyDown(KeySink& keys, Source source, int code);
  void KeyUp(KeySink& keys, Source source, int code, Stray stray);
  // A press with no release to follow (an input method starting to compose).
  void PressWithoutRelease(KeySink& keys, int code);

  // A key the window keeps for itself went down (pause, fullscreen): it and
  // its release never reach the game, whatever the modifiers do meanwhile.
  void TakeForWindow(Source source);
  // P or Pause: pauses play, or resumes it.
  PauseChange PauseKey();
  // The window lost the focus or was minimised: pauses play if the player
  // wants that.
  PauseChange FocusLost();

 private:
  PauseChange StartPause();

  bool pauseOnFocusLoss_ = true;
  bool pauseAllowed_ = false;
  bool paused_ = false;
  bool pauseBegan_ = false;                   // since the pump began
  std::vector<std::pair<Source, int>> held_;  // game keys down, and their codes
  std::vector<Source> windowKeysDown_;        // downs the window took for itself
  std::vector<int> upsAfterPause_;            // releases during the pause
};

}  // namespace voltaro
