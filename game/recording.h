// A recorded game: the complete state its set-up started from (what the
// previous game left behind, and the random source's state), every key event
// with the pump that delivered it, and how the game ended. Played again from
// that state with those keys at those pumps, the rules give the same game.
//
// Pumps are counted from the start of set-up: each pump of a placement
// attempt (set-up's plates, a plate or coin placed during a frame) is one,
// and everything between two frames (the pump after the show and those of
// the wait) is one more, since no rule runs in between.
#pragma once

#include <cstdint>
#include <vector>

#include "game/game_state.h"
#include "game/play_frame.h"

namespace voltaro {

struct RecordedKey {
  std::int64_t pump = 0;  // 1 is the first pump of set-up
  bool down = false;
  int code = 0;  // virtual-key code
};

struct Recording {
  std::uint64_t randomState = 0;       // the random source at the start of set-up
  GameState start;                     // the game state at the start of set-up
  std::vector<RecordedKey> keys;       // in the order received
  std::int64_t frames = 0;             // frames played, the one that ended the game included
  FrameEnd end = FrameEnd::kContinue;  // kHits or kFell for a finished game
  std::int32_t score = 0;              // the final score
};

// Hands a recording's keys over at the pumps that received them.
class KeyReplay {
 public:
  explicit KeyReplay(const std::vector<RecordedKey>& keys) : keys_(keys) {}

  // Delivers, in order, every key received at pump `pump`.
  template <typename Deliver>
  void AtPump(std::int64_t pump, Deliver deliver) {
    while (next_ < keys_.size() && keys_[next_].pump <= pump) deliver(keys_[next_++]);
  }

 private:
  const std::vector<RecordedKey>& keys_;
  std::size_t next_ = 0;
};

}  // namespace voltaro
