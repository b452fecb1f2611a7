// VOLTARO ZIP 5 in a web page: the same start-up and scene sequence as the
// desktop program, on the page's canvas, input and local storage. A replay
// the player opened (the page keeps its text for the reload that plays it)
// is played first, as the desktop plays one from its command line, and then
// the game starts afresh. The game never ends by itself; an error that stops
// it is shown on the page.
#include <emscripten/console.h>
#include <emscripten/emscripten.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "game/run_time_error.h"
#include "gfx/screens.h"
#include "gfx/sprites.h"
#include "saves/replay_text.h"
#include "scenes/scenes.h"
#include "web/browser_storage.h"
#include "web/page_audio.h"
#include "web/page_thread.h"
#include "web/web_shell.h"

// JavaScript inside, kept as written:
// clang-format off
// Every frame's start, the last kLoggedFrames of them, for measuring the
// frame pace from the page: window.voltaro5Frames holds {scene, frameTime,
// t} with t on the page's performance.now(). The log lies in the game's
// memory, which the page reads only when asked, so noting a frame costs the
// page's thread nothing.
EM_JS(void, ShareFrameLog, (const char* const* scenes, const std::int32_t* frameTimes,
                            const double* starts, const void* count, int size), {
  const frames = [];
  let read = 0;
  Object.defineProperty(window, 'voltaro5Frames', {configurable: true, get: () => {
    const total = Atomics.load(HEAPU32, count >> 2);
    for (let i = Math.max(read, total - size); i < total; ++i) {
      const at = i % size;
      frames.push({scene: UTF8ToString(HEAPU32[(scenes >> 2) + at]),
                   frameTime: HEAP32[(frameTimes >> 2) + at], t: HEAPF64[(starts >> 3) + at]});
    }
    read = total;
    if (frames.length > size) frames.splice(0, frames.length - size);
    return frames;
  }});
});

// The text (or, with `name`, the file name) of the replay the player opened
// before this load, taken out of the session's storage; malloc'ed, or null.
EM_JS(char*, TakeOpenedReplay, (bool name), {
  const key = name ? 'voltaro5-replay-name' : 'voltaro5-replay';
  let text = null;
  try {
    text = sessionStorage.getItem(key);
    sessionStorage.removeItem(key);
  } catch (error) {
  }
  if (text == null) return 0;
  const size = lengthBytesUTF8(text) + 1;
  const bytes = _malloc(size);
  stringToUTF8(text, bytes, size);
  return bytes;
});

EM_JS(void, ShowNotice, (const char* text), {
  const box = document.getElementById('notice');
  if (box) box.textContent = UTF8ToString(text);
});
// clang-format on

namespace {

constexpr std::size_t kLoggedFrames = 4096;

// The frame starts window.voltaro5Frames reads (ShareFrameLog).
struct FrameLog {
  std::array<const char*, kLoggedFrames> scenes{};
  std::array<std::int32_t, kLoggedFrames> frameTimes{};
  std::array<double, kLoggedFrames> starts{};
  std::atomic<std::uint32_t> count{0};  // frames noted; the page reads up to it

  void Note(const char* scene, std::int32_t frameTime) {
    const std::uint32_t at = count.load(std::memory_order_relaxed);
    scenes[at % kLoggedFrames] = scene;
    frameTimes[at % kLoggedFrames] = frameTime;
    starts[at % kLoggedFrames] = emscripten_get_now();
    count.store(at + 1, std::memory_order_release);
  }
};

std::string Taken(bool name) {
  char* bytes = voltaro::FromPage(TakeOpenedReplay, name);
  if (bytes == nullptr) return {};
  std::string text(bytes);
  std::free(bytes);
  return text;
}

// The replay the player opened, if any and if it can be played; a bad one is
// one message on the page and the console.
std::optional<voltaro::ReplayShow> OpenedReplay() {
  const std::string name = Taken(true);
  const std::string text = Taken(false);
  if (name.empty() && text.empty()) return std::nullopt;
  try {
    return voltaro::ReplayShow{voltaro::ParseReplayText(text, name), 1};
  } catch (const voltaro::ReplayError& error) {
    const std::string message = std::string("voltaro5: ") + error.what();
    emscripten_console_warn(message.c_str());
    voltaro::OnPage(ShowNotice, message.c_str());
    return std::nullopt;
  }
}

}  // namespace

int main() {
  using namespace voltaro;
  try {
    const Sprites sprites = LoadSprites();
    WebShell shell(sprites);
    BrowserStorageState storage;
    PageAudio sound;
    // main() never returns while the page is open: the log lives as long.
    static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
    FrameLog frameLog;
    OnPage(ShareFrameLog, frameLog.scenes.data(), frameLog.frameTimes.data(),
           frameLog.starts.data(), &frameLog.count, static_cast<int>(kLoggedFrames));
    const auto noteFrames = [&frameLog](const char* scene, std::int32_t frameTime) {
      frameLog.Note(scene, frameTime);
    };
    if (const std::optional<ReplayShow> replay = OpenedReplay()) {
      Scenes replayScenes(shell, sprites, sound.WithRecordCue(BrowserHighScoreStore(storage)));
      replayScenes.SetFrameObserver(noteFrames);
      replayScenes.Watch(sound.Cues());
      replayScenes.StartUp();
      replayScenes.ReplayScene(*replay);
    }
    Scenes scenes(shell, sprites, sound.WithRecordCue(BrowserHighScoreStore(storage)));
    scenes.SetFrameObserver(noteFrames);
    scenes.Watch(sound.Cues());
    scenes.StartUp();
    scenes.RunScenes();
  } catch (const RunTimeError& error) {
    ShowFatalErrorOnPage(kCaption, std::string("run-time error during play: ") + error.what());
  } catch (const std::exception& error) {
    ShowFatalErrorOnPage(kCaption, error.what());
  }
  return 1;
}
