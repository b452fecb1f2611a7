// VOLTARO ZIP 5 in a web page: the same start-up and scene sequence as the
// desktop program, on the page's canvas, keys and local storage. The game
// never ends by itself; an error that stops it is shown on the page.
#include <emscripten/emscripten.h>

#include <exception>
#include <string>

#include "game/run_time_error.h"
#include "gfx/screens.h"
#include "gfx/sprites.h"
#include "scenes/scenes.h"
#include "web/browser_storage.h"
#include "web/web_shell.h"

// JavaScript inside, kept as written:
// clang-format off
// Every frame's start, the last 4096 of them, for measuring the frame pace
// from the page: window.voltaro5Frames holds {scene, frameTime, t} with t
// from performance.now().
EM_JS(void, NoteFrameStart, (const char* scene, int frameTime), {
  const frames = window.voltaro5Frames || (window.voltaro5Frames = []);
  frames.push({scene: UTF8ToString(scene), frameTime: frameTime, t: performance.now()});
  if (frames.length > 4096) frames.splice(0, frames.length - 4096);
});

// clang-format on

int main() {
  using namespace voltaro;
  try {
    const Sprites sprites = LoadSprites();
    WebShell shell(sprites);
    BrowserStorageState storage;
    Scenes scenes(shell, sprites, BrowserHighScoreStore(storage));
    scenes.SetFrameObserver(
        [](const char* scene, std::int32_t frameTime) { NoteFrameStart(scene, frameTime); });
    scenes.StartUp();
    scenes.RunScenes();
  } catch (const RunTimeError& error) {
    ShowFatalErrorOnPage(kCaption, std::string("run-time error during play: ") + error.what());
  } catch (const std::exception& error) {
    ShowFatalErrorOnPage(kCaption, error.what());
  }
  return 1;
}
