// The page's sound: the desktop's effects, made by the same synthesiser at
// start-up and handed once to the page's Web Audio, which plays one for every
// cue a frame of play gives (sound/frame_cues.h), so a replay sounds like the
// game it recorded. Browsers let a page make sound only after a key or a
// touch: the first one starts it. M mutes and unmutes in every scene, as on
// the desktop, and the page remembers it. A browser without Web Audio is
// silent. main() makes one and lets its scene sequences be heard.
#pragma once

#include "scenes/scenes.h"
#include "sound/frame_cues.h"
#include "web/browser_storage.h"

namespace voltaro {

class PageAudio {
 public:
  // Makes the effects and hands them to the page with the stored mute.
  PageAudio();
  ~PageAudio();
  PageAudio(const PageAudio&) = delete;
  PageAudio& operator=(const PageAudio&) = delete;

  // What the scenes' play session tells about every frame.
  CueObserver& Cues() { return cues_; }
  // `store`, with the new record's effect as the game-over screen shows one.
  HighScoreStore WithRecordCue(HighScoreStore store);

  // The page's M key switched the sound off or on: kept for the next visit.
  // Called by the page, never by the game.
  void KeepMuted(bool muted);

 private:
  BrowserStorageState storage_;  // the mute's own, apart from the best score's
  CueObserver cues_;
};

}  // namespace voltaro
