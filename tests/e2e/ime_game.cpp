// voltaro5-e2e-ime: the game with its real window, scenes and event pump, plus
// a way for the test to make an input method start composing. Each line "ime"
// read on standard input puts one SDL text-editing event (what an input
// method sends when it takes a key) into the window's event queue; the game's
// own pump turns it into the input-method key and shows the message box.
// Nothing under Xvfb can produce that event from the keyboard: the game turns
// text input off, and there is no input method running to compose.
#include <SDL.h>

#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "app/high_score.h"
#include "app/scenes.h"
#include "app/sdl_platform.h"
#include "gfx/sprites.h"

namespace {

// The first character an input method shows while composing.
constexpr const char* kComposing = "\xE3\x81\x82";

void FeedInputMethodEvents() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line != "ime") {
      std::cerr << "voltaro5-e2e-ime: ignoring the line '" << line << "' (only 'ime' is known)\n";
      continue;
    }
    SDL_Event event{};
    event.type = SDL_TEXTEDITING;
    event.edit.timestamp = SDL_GetTicks();
    std::strncpy(event.edit.text, kComposing, sizeof event.edit.text - 1);
    event.edit.start = 0;
    event.edit.length = 1;
    if (SDL_PushEvent(&event) != 1) {
      std::cerr << "voltaro5-e2e-ime: cannot queue the event: " << SDL_GetError() << '\n';
    }
  }
}

}  // namespace

int main() {
  try {
    const voltaro::Sprites sprites = voltaro::LoadSprites();
    voltaro::SdlShell shell(sprites);
    voltaro::HighScoreStore store{
        [](const std::string& appDir) { return voltaro::ReadHighScore(appDir, std::cerr); },
        [](const std::string& appDir, std::int32_t hiScore) {
          voltaro::WriteHighScore(appDir, hiScore, std::cerr);
        }};
    voltaro::Scenes scenes(shell, sprites, std::move(store));
    // SDL's event queue takes events from any thread.
    std::thread(FeedInputMethodEvents).detach();
    scenes.Form_Load();
    scenes.MainR();
  } catch (const voltaro::QuitRequested&) {
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "voltaro5-e2e-ime: " << error.what() << '\n';
    return 1;
  }
}
