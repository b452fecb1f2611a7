// One game as it is played, from its set-up to the frame that ends it. The
// runners of play (the window's scenes and the headless simulator) start it
// and run its frames; the session keeps what they share: the pump count a
// recording is keyed on (see recording.h), the frame count, the keys handed to
// the rules and to the observers, a recorded game's keys fed back at their
// pumps, and the one order of a frame. What differs between the runners (the
// clock, the picture, the window's events, the wait) is the host's.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "game/game_state.h"
#include "game/platform.h"
#include "game/play_frame.h"
#include "game/play_observer.h"
#include "game/random_source.h"
#include "game/recording.h"

namespace voltaro {

// What a runner of play does around the rules; a runner without a window or
// a clock leaves the hooks it has no use for empty.
class PlayHost {
 public:
  virtual ~PlayHost() = default;
  // The runner's own events, once, right after the session has counted a
  // pump; the keys among them come back through PlaySession::Deliver.
  virtual void PumpWindow() {}
  // A frame starts: the window stamps FrameTime, the simulator's players
  // press their keys.
  virtual void BeginFrame() {}
  // The frame goes on: draw the whole playfield and show it.
  virtual void ShowFrame(const GameState& /*game*/) {}
  // Between two frames, after their pump: the wait for the next deadline.
  virtual void WaitForNextFrame() {}
};

class PlaySession final : public Platform {
 public:
  // Plays `game` with draws from `random`; both are the runner's and outlive
  // the session.
  PlaySession(GameState& game, RandomSource& random, PlayHost& host)
      : game_(game), random_(random), host_(host) {}
  PlaySession(const PlaySession&) = delete;
  PlaySession& operator=(const PlaySession&) = delete;

  // Watches every game from now on, told after the observers added before.
  void Watch(PlayObserver& observer) { observers_.push_back(&observer); }

  // Set-up of a new game from what the game state holds now (what the last
  // game and the title screen left behind): the observers hear it starting,
  // GameReady runs, and they hear it done. A replayed game passes its
  // recorded keys, which then reach the rules at the pumps that received them;
  // they are read in place until the game ends.
  void Start(const std::vector<RecordedKey>* replayKeys = nullptr);

  // One frame in the rules' order: it begins, the update runs, and unless the
  // frame ended the game it is shown and earns its point; the observers hear
  // it done; while play goes on, the end-of-frame pump and the wait follow.
  // Throws RunTimeError as UpdateFrame does.
  FrameEnd RunFrame();

  // A key reaches the rules' key handlers and, during a game, the observers
  // with the pump that delivered it.
  void Deliver(bool down, int code);

  // From the start of set-up to the end of the frame that ends the game.
  bool InGame() const { return inGame_; }
  // The game's frames so far, the running one included.
  std::int64_t Frame() const { return frame_; }

  // Platform: a pump counts, feeds a replay the keys due at it, then lets the
  // host pump its own events; a draw is told to the observers.
  void PumpEvents() override;
  float Random() override;

 private:
  GameState& game_;
  RandomSource& random_;
  PlayHost& host_;
  std::vector<PlayObserver*> observers_;
  std::optional<KeyReplay> replay_;
  bool inGame_ = false;
  std::int64_t pump_ = 0;
  std::int64_t frame_ = 0;
};

}  // namespace voltaro
