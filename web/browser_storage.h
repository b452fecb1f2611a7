// The best score in the browser's local storage: the same profile text the
// desktop keeps in Voltaro5.ini, under the key "<page directory>Voltaro5.ini",
// read and written under the same rules (a record rereads what is stored and
// keeps a higher score another page stored meanwhile); and every finished
// game as the desktop's replay text, under "<page directory>last.v5replay",
// a record also under "best.v5replay"; and whether the sound is off, as Mute
// in [Sound] of the profile text, where the desktop keeps it too. A browser
// that refuses its storage (private windows, a full quota, storage switched
// off) does not stop the game: it starts from 0, keeps nothing and says so
// once on the console.
#pragma once

#include "scenes/scenes.h"

namespace voltaro {

// What the store remembers between calls.
struct BrowserStorageState {
  bool refusalReported = false;  // the one warning about refused storage is out
};

// A store on the page's local storage; `state` must outlive it.
HighScoreStore BrowserHighScoreStore(BrowserStorageState& state);

// Whether the player left the sound off; not when nothing is stored or the
// storage refuses (the best score's read says so).
bool ReadSoundMute();
// Keeps the sound off or on for the next visit.
void StoreSoundMute(BrowserStorageState& state, bool muted);

}  // namespace voltaro
