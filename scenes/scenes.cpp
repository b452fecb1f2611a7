// Start-up, the scene sequence and the three scenes of the game's window. The
// scenes pace themselves on the millisecond clock: each frame stamps
// FrameTime, does its work, shows the picture, pumps events once and waits for
// FrameTime plus its period. Key events are handled only inside those pumps
// (and inside the placement loops of the set-up and play, which pump too).
#include "scenes/scenes.h"

#include <utility>

#include "game/key_codes.h"
#include "gfx/frame_drawing.h"
#include "gfx/screens.h"
#include "scenes/clock.h"

namespace voltaro {

Scenes::Scenes(Shell& shell, const Sprites& sprites, HighScoreStore store)
    : shell_(shell), sprites_(sprites), store_(std::move(store)) {
  TakePlayfieldSize();
  session_.Watch(recorder_);
}

void Scenes::StartUp() {
  shell_.SetCaption(kCaption);
  random_ = RandomSource(shell_.TimeOfDaySeed());
  TakePlayfieldSize();
  shell_.SetClientSize(game_.ScreenW, game_.ScreenH);
  hiScore_ = store_.read();
  shell_.ShowWindow();
  PumpWindow();
  game_.GameMode = kModeTitle;
}

void Scenes::RunScenes() {
  for (;;) {
    TitleScene();
    StartGame();
    PlayScene();
    GameOverScene();
  }
}

void Scenes::ReplayScene(const ReplayShow& show) {
  replay_ = &show;
  game_ = show.game.start;
  random_ = RandomSource::FromState(show.game.randomState);
  StartGame();
  PlayScene();
  GameOverScene();
  replay_ = nullptr;
}

void Scenes::StartGame() {
  // Everything carried over from the previous game is in game_ now, keys
  // pressed on the title screen after Enter included.
  session_.Start(replay_ != nullptr ? &replay_->game.keys : nullptr);
}

void Scenes::TitleScene() {
  std::int16_t blink = 0;
  shell_.AllowHelp(true);
  for (;;) {
    StampFrame("title");
    DrawTitleFrame(playfield_, sprites_, game_.ScreenW, game_.ScreenH, hiScore_,
                   blink != kBlinkCycle - 1);
    shell_.Show(playfield_);
    ++blink;
    if (blink >= kBlinkCycle) blink = 0;
    // Enter came during the last frame's wait: this frame was still shown in
    // full, and the game starts without waiting again.
    if (game_.GameMode == kModePlaying) {
      shell_.AllowHelp(false);
      return;
    }
    PumpWindow();
    WaitUntil(ClockAdd(frameTime_, kTitlePeriodMs));
  }
}

void Scenes::PlayScene() {
  shell_.AllowPause(true);
  // The frame that ends the game (GameMode is now 2) is not drawn; the last
  // picture stays up.
  while (session_.RunFrame() == FrameEnd::kContinue) {
  }
  shell_.AllowPause(false);
}

void Scenes::BeginFrame() {
  StampFrame("play");
  if (replay_ == nullptr || (session_.Frame() - 1) % replay_->framesPerPeriod == 0) {
    periodStart_ = frameTime_;
  }
}

void Scenes::ShowFrame(const GameState& game) {
  DrawFrame(playfield_, sprites_, game);
  shell_.Show(playfield_);
}

void Scenes::WaitForNextFrame() {
  // A replay may run several frames in one period, counted from the first.
  if (replay_ != nullptr && session_.Frame() % replay_->framesPerPeriod != 0) return;
  WaitUntil(ClockAdd(periodStart_, kPlayPeriodMs));
}

void Scenes::GameOverScene() {
  const bool newRecord = game_.Score > hiScore_;
  if (newRecord) hiScore_ = game_.Score;
  DrawGameOverFrame(playfield_, sprites_, game_.ScreenW, game_.Score, newRecord);
  // Only a strictly higher score is stored, and a replay stores nothing; the
  // files are written before the picture is shown, so closing the window now
  // cannot lose the record.
  if (replay_ == nullptr) {
    if (newRecord) hiScore_ = store_.write(hiScore_);
    if (store_.saveReplay && recorder_.Finished()) store_.saveReplay(recorder_.Get(), newRecord);
  }
  shell_.Show(playfield_);
  // Drawn once; then sleep on the event queue until Enter. No clock here.
  shell_.AllowHelp(true);
  for (;;) {
    PumpWindow();
    if (game_.GameMode == kModeTitle) break;
    shell_.WaitForEvent();
  }
  shell_.AllowHelp(false);
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
    // when the clock is about to pass the deadline. These pumps all belong
    // to the same stretch between two frames.
    shell_.WaitForEventsUntil(ClockAdd(deadline, 1));
    PumpWindow();
  }
}

void Scenes::OnKeyDown(int keyCode) {
  // A replay takes no keys from the player until its game-over screen.
  if (replay_ != nullptr && session_.InGame()) return;
  session_.Deliver(true, keyCode);
  // A key an input method took: ask for it to be switched off, in any scene.
  // The scene that pumped stays where it is until the box is dismissed.
  if (keyCode == kKeyProcess) shell_.ShowImeMessage();
}

void Scenes::OnKeyUp(int keyCode) {
  if (replay_ != nullptr && session_.InGame()) return;
  session_.Deliver(false, keyCode);
}

void Scenes::OnResumed() {
  resumed_ = true;
}

void Scenes::TakePlayfieldSize() {
  // The playfield takes the background picture's size.
  game_.ScreenW = static_cast<std::int16_t>(sprites_.background.width);
  game_.ScreenH = static_cast<std::int16_t>(sprites_.background.height);
  if (playfield_.width == game_.ScreenW && playfield_.height == game_.ScreenH) {
    playfield_.Clear();  // the memory it has already: no new pages to fault in at start
  } else {
    playfield_ = Surface(game_.ScreenW, game_.ScreenH, kBlack);
  }
}

void Scenes::StampFrame(const char* scene) {
  frameTime_ = shell_.Now();
  if (frameObserver_) frameObserver_(scene, frameTime_);
}

HighScoreStore WithRecordHook(HighScoreStore store, std::function<void()> onRecord) {
  store.write = [write = std::move(store.write),
                 onRecord = std::move(onRecord)](std::int32_t hiScore) {
    onRecord();
    return write(hiScore);
  };
  return store;
}

}  // namespace voltaro
