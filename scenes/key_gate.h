// The rules between a front end's key events and the game's key handlers, the
// pause and the help. A front end translates its own events (SDL's, the
// browser's) into calls here; this decides what reaches the KeySink: held
// keys repeat as further key-downs, a release matches its press whatever the
// modifiers did meanwhile, presses while the game is held (paused, or the
// help shown) are never played, and releases meanwhile reach the game at the
// first pump after it. The hold itself is kept inside Pump, which returns
// only once play or the screen goes on.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "scenes/shell.h"

namespace voltaro {

// What stands over the frozen picture while the game is held.
enum class Overlay {
  kNone,
  kPauseSign,  // dimmed, PAUSED and how to go on
  kPauseHint,  // the same with its line lit: a game key is down during the pause
  kHelp,       // how to play
};

// The window's own keys the gate hears of (fullscreen is the front end's).
enum class WindowKey {
  kPause,   // P, Pause, the page's pause control: pauses or resumes play
  kEscape,  // closes the help, else pauses or resumes play
  kHelp,    // F1: opens or closes the help
};

// What a front end does for the gate during one pump.
class EventFeed {
 public:
  virtual ~EventFeed() = default;
  // Hands the events pending now to the gate; events arriving meanwhile wait
  // for the next call. May throw QuitRequested.
  virtual void FeedPending(KeySink& keys) = 0;
  // Sleeps until an event may be pending, while the game is held.
  virtual void SleepWhilePaused() = 0;
  // Shows `overlay` over the last picture; kNone once the hold ends: the
  // picture alone again, the whole window.
  virtual void ShowOverlay(Overlay overlay) = 0;
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

  // Whether losing the focus pauses play (the player's setting).
  void SetPauseOnFocusLoss(bool pauses) { pauseOnFocusLoss_ = pauses; }
  // True while play runs; on the title and game-over screens no pause begins.
  void AllowPause(bool allowed) { pauseAllowed_ = allowed; }
  // True on the title and game-over screens, where F1 shows the help.
  void AllowHelp(bool allowed) { helpAllowed_ = allowed; }
  bool Paused() const { return paused_; }
  Overlay Shown() const;

  // One pump: the releases kept from the hold just ended, then the pending
  // events. When a pause or the help began among them, shows it, sleeps and
  // feeds until it ends, then tells the sink play goes on after a pause.
  void Pump(KeySink& keys, EventFeed& feed);

  // A key (code 0: one the game has no code for) going down or up.
  void KeyDown(KeySink& keys, Source source, int code);
  void KeyUp(KeySink& keys, Source source, int code, Stray stray);
  // A press with no release to follow (an input method starting to compose).
  void PressWithoutRelease(KeySink& keys, int code);

  // A key the window keeps for itself went down (pause, help, fullscreen): it
  // and its release never reach the game, whatever the modifiers do
  // meanwhile.
  void TakeForWindow(Source source);
  // One of those keys went down (not its repeats).
  void PressWindowKey(WindowKey key);
  // The window lost the focus or was minimised: pauses play if the player
  // wants that.
  void FocusLost();

 private:
  bool Holding() const { return paused_ || help_; }
  void StartPause();
  void EndPause();
  void OpenHelp();

  bool pauseOnFocusLoss_ = true;
  bool pauseAllowed_ = false;
  bool helpAllowed_ = false;
  bool paused_ = false;
  bool help_ = false;
  bool holdBegan_ = false;                    // since the pump began
  bool pauseBegan_ = false;                   // since the pump began
  std::vector<std::pair<Source, int>> held_;  // game keys down, and their codes
  std::vector<Source> windowKeysDown_;        // downs the window took for itself
  std::vector<int> upsAfterPause_;            // releases during the hold
  std::vector<Source> hintKeys_;              // game keys pressed during the pause, still down
};

}  // namespace voltaro
