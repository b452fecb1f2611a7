// Watching a game as it is played, without taking part: the recorder that
// saves every game and the trace of the simulator and the tests listen here.
// The play session (play_session.h) tells every observer it watches.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "game/play_frame.h"

namespace voltaro {

class PlayObserver {
 public:
  virtual ~PlayObserver() = default;
  // Set-up is about to start from `game`, the random source in `randomState`.
  virtual void GameStarting(const GameState& /*game*/, std::uint64_t /*randomState*/) {}
  // A key reached the key handlers at pump `pump` of the game (see recording.h).
  virtual void KeyDelivered(std::int64_t /*pump*/, bool /*down*/, int /*code*/) {}
  // The rules drew a random value.
  virtual void Drew(float /*r*/) {}
  // Set-up has finished.
  virtual void SetUpDone(const GameState& /*game*/) {}
  // Frame `frame` (from 1) has finished; `end` says whether it ended the game.
  virtual void FrameDone(const GameState& /*game*/, std::int64_t /*frame*/, FrameEnd /*end*/) {}
};

}  // namespace voltaro
