// The order of set-up and of one play frame, and where keys and draws go. A
// frame that ends the game is not drawn, earns no point and is not followed
// by a pump: nothing of the rules runs after it.
#include "game/play_session.h"

#include "game/game_ready.h"
#include "game/keys.h"

namespace voltaro {

void PlaySession::Start(const std::vector<RecordedKey>* replayKeys) {
  for (PlayObserver* observer : observers_) observer->GameStarting(game_, random_.State());
  inGame_ = true;
  pump_ = 0;
  frame_ = 0;
  replay_.reset();
  if (replayKeys != nullptr) replay_.emplace(*replayKeys);
  GameReady(game_, *this);
  for (PlayObserver* observer : observers_) observer->SetUpDone(game_);
}

FrameEnd PlaySession::RunFrame() {
  ++frame_;
  host_.BeginFrame();
  const FrameEnd end = UpdateFrame(game_, *this);
  if (end == FrameEnd::kContinue) {
    host_.ShowFrame(game_);
    ScorePoint(game_);
  }
  for (PlayObserver* observer : observers_) observer->FrameDone(game_, frame_, end);
  if (end != FrameEnd::kContinue) {
    inGame_ = false;
    replay_.reset();
    return end;
  }
  // Everything between two frames (this pump and those of the wait) is one
  // pump of the game, since no rule runs in between.
  PumpEvents();
  host_.WaitForNextFrame();
  return end;
}

void PlaySession::Deliver(bool down, int code) {
  if (down) {
    HandleKeyDown(game_, code);
  } else {
    HandleKeyUp(game_, code);
  }
  if (!inGame_) return;
  for (PlayObserver* observer : observers_) observer->KeyDelivered(pump_, down, code);
}

void PlaySession::PumpEvents() {
  ++pump_;
  if (replay_) {
    replay_->AtPump(pump_, [this](const RecordedKey& key) { Deliver(key.down, key.code); });
  }
  host_.PumpWindow();
}

float PlaySession::Random() {
  const float r = random_.Next();
  for (PlayObserver* observer : observers_) observer->Drew(r);
  return r;
}

}  // namespace voltaro
