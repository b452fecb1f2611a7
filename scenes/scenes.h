// The game's window logic without the window: start-up, the endless scene
// sequence and its scenes (the title screen, play and the game-over screen),
// and the end-of-frame wait (WaitUntil). Play itself runs in a PlaySession
// with the scenes as its host. Everything outside goes through a Shell, so
// the scene tests drive the very same code with a scripted clock and keys.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "game/game_state.h"
#include "game/play_observer.h"
#include "game/play_session.h"
#include "game/random_source.h"
#include "game/recorder.h"
#include "game/recording.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/shell.h"

namespace voltaro {

// Frame periods in milliseconds, counted from the start of one frame.
inline constexpr std::int32_t kTitlePeriodMs = 100;
inline constexpr std::int32_t kPlayPeriodMs = 30;
// The title prompt is hidden in one frame of this many.
inline constexpr std::int16_t kBlinkCycle = 11;

// Where the best score is kept between runs, and where finished games go.
struct HighScoreStore {
  std::function<std::int32_t()> read;
  // Stores a new record; returns the best score to show from now on (higher
  // than hiScore when the file already held more).
  std::function<std::int32_t(std::int32_t hiScore)> write;
  // A finished game's recording, and whether it set a new best score; may be
  // empty (nothing saved).
  std::function<void(const Recording& game, bool newRecord)> saveReplay;
};

// `store`, calling `onRecord` as each new record is written (the moment the
// game-over screen shows it).
HighScoreStore WithRecordHook(HighScoreStore store, std::function<void()> onRecord);

// How a recorded game is shown instead of the title screen and play.
struct ReplayShow {
  Recording game;
  int framesPerPeriod = 1;  // 1 is the normal pace
};

class Scenes final : public PlayHost, public KeySink {
 public:
  Scenes(Shell& shell, const Sprites& sprites, HighScoreStore store);

  // Start-up: program directory, caption, random seed, playfield size, window
  // size, best score, window shown, GameMode 0.
  void StartUp();

  // Title, set-up, play, game over, and again; ends only by an exception
  // (the window closed, or a fatal error during play).
  [[noreturn]] void RunScenes();

  // Plays a recorded game from its set-up to the game-over screen, the
  // player's keys ignored, and returns once Enter leaves that screen. Nothing
  // is stored.
  void ReplayScene(const ReplayShow& show);

  void TitleScene();
  // Set-up of a new game (GameReady) from what Game() holds, watched and
  // recorded from its start.
  void StartGame();
  void PlayScene();
  void GameOverScene();

  // Returns at the first clock reading strictly after `deadline`, handling
  // events while it waits. A deadline already passed costs one clock reading
  // and no pump.
  void WaitUntil(std::int32_t deadline);

  // Called with the scene's name ("title" or "play") and FrameTime at the
  // start of every frame; used to measure frame pacing.
  void SetFrameObserver(std::function<void(const char* scene, std::int32_t frameTime)> observer) {
    frameObserver_ = std::move(observer);
  }

  GameState& Game() { return game_; }

  // Watches every game from its set-up to its end, after the recorder (the
  // scene tests take a trace with it).
  void Watch(PlayObserver& observer) { session_.Watch(observer); }

  // PlayHost: what the play session calls back into during a game.
  void PumpWindow() override { shell_.PumpEvents(*this); }
  void BeginFrame() override;
  void ShowFrame(const GameState& game) override;
  void WaitForNextFrame() override;

  // KeySink: key events from the pump, handed to the game's key handlers.
  void OnKeyDown(int keyCode) override;
  void OnKeyUp(int keyCode) override;
  void OnResumed() override;

 private:
  void TakePlayfieldSize();
  void StampFrame(const char* scene);

  Shell& shell_;
  const Sprites& sprites_;
  HighScoreStore store_;
  GameState game_;
  Surface playfield_;
  RandomSource random_{0};
  std::int32_t hiScore_ = 0;
  std::int32_t frameTime_ = 0;
  // Set when play resumes after a pause; the wait in progress then counts a
  // whole period from the moment of resuming.
  bool resumed_ = false;
  std::function<void(const char*, std::int32_t)> frameObserver_;
  Recorder recorder_;
  PlaySession session_{game_, random_, *this};
  std::int32_t periodStart_ = 0;        // FrameTime of the frame that began the period
  const ReplayShow* replay_ = nullptr;  // the game being replayed, if any
};

}  // namespace voltaro
