// Start-up, the scene sequence and the three scenes of the game's window. The
// scenes pace themselves on the millisecond clock: each frame stamps
// FrameTime, does its work, shows the picture, pumps events once and waits for
// FrameTime plus its period. Key events are handled only inside those pumps
// (and inside the placement loops of the set-up and play, which pump too).
#include "scenes.h"

#include <cmath>
#include <utility>

#include "clock.h"
#include "game/game_ready.h"
#include "game/keys.h"
#include "game/play_frame.h"
#include "gfx/frame_drawing.h"
#include "screens.h"

namespace voltaro {

Scenes::Scenes(Shell& shell, const Sprites& sprites, HighScoreStore store)
    : shell_(shell), sprites_(sprites), store_(std::move(store)) {
  TakePlayfieldSize();
}

void Scenes::Form_Load() {
  appDir_ = shell_.AppDir();
  shell_.SetCaption(kCaption);
  random_ = RandomSource(shell_.TimeOfDaySeed());
  TakePlayfieldSize();
  shell_.SetClientSize(game_.ScreenW, game_.ScreenH);
  hiScore_ = store_.read(appDir_);
  shell_.ShowWindow();
  PumpEvents();
  game_.GameMode = kModeTitle;
}

void Scenes::MainR() {
  for (;;) {
    OpeningR();
    GameReady(game_, *this);
    GameR();
    GameOver();
  }
}

void Scenes::OpeningR() {
  std::int16_t blink = 0;
  for (;;) {
    StampFrame("title");
    DrawTitleFrame(playfield_, sprites_, game_.ScreenW, game_.ScreenH, hiScore_,
                   blink != kBlinkCycle - 1);
    shell_.Show(playfield_);
    ++blink;
    if (blink >= kBlinkCycle) blink = 0;
    // Enter came during the last frame's wait: this frame was still shown in
    // full, and the game starts without waiting again.
    if (game_.GameMode == kModePlaying) return;
    PumpEvents();
    WaitUntil(ClockAdd(frameTime_, kTitlePeriodMs));
  }
}

void Scenes::GameR() {
  shell_.AllowPause(true);
  for (;;) {
    StampFrame("play");
    if (PlayFrame(game_, *this) != FrameEnd::kContinue) {
      // The frame that ends the game (GameMode is now 2) is not drawn; the
      // last picture stays up.
      shell_.AllowPause(false);
      return;
    }
    DrawFrame(playfield_, sprites_, game_);
    shell_.Show(playfield_);
    ScorePoint(game_);
    PumpEvents();
    WaitUntil(ClockAdd(frameTime_, kPlayPeriodMs));
  }
}

void Scenes::GameOver() {
  const bool newRecord = game_.Score > hiScore_;
  if (newRecord) hiScore_ = game_.Score;
  DrawGameOverFrame(playfield_, sprites_, game_.ScreenW, game_.Score, newRecord);
  // Only a strictly higher score is stored; the file is written before the
  // picture is shown, so closing the window now cannot lose the record.
  if (newRecord) hiScore_ = store_.write(appDir_, hiScore_);
  shell_.Show(playfield_);
  // Drawn once; then sleep on the event queue until Enter. No clock here.
  for (;;) {
    PumpEvents();
    if (game_.GameMode == kModeTitle) return;
    shell_.WaitForEvent();
  }
}

void Scenes::WaitUntil(std::int32_t deadline) {
  for (;;) {
    if (resumed_) {
      // The game's clock stood still during the pause.
      resumed_ = false;
      frameTime_ = shell_.Now();
      deadline = ClockAdd(frameTime_, kPlayPeriodMs);
    }
    if (ClockPassed(shell_.Now(), deadline)) return;
    // Sleep on the event queue instead of spinning; wake for any event, or
    // when the clock is about to pass the deadline.
    shell_.WaitForEventsUntil(ClockAdd(deadline, 1));
    PumpEvents();
  }
}

void Scenes::PumpEvents() {
  shell_.PumpEvents(*this);
}

void Scenes::ShowImeMessage() {
  shell_.ShowImeMessage();
}

void Scenes::OnKeyDown(int keyCode) {
  Form_KeyDown(game_, *this, keyCode);
}

void Scenes::OnKeyUp(int keyCode) {
  Form_KeyUp(game_, keyCode);
}

void Scenes::OnResumed() {
  resumed_ = true;
}

void Scenes::TakePlayfieldSize() {
  // The playfield takes the background picture's size.
  game_.ScreenW = static_cast<std::int16_t>(sprites_.picBack.width);
  game_.ScreenH = static_cast<std::int16_t>(sprites_.picBack.height);
  playfield_ = Surface(game_.ScreenW, game_.ScreenH, kBlack);
}

void Scenes::StampFrame(const char* scene) {
  frameTime_ = shell_.Now();
  if (frameObserver_) frameObserver_(scene, frameTime_);
}

}  // namespace voltaro
