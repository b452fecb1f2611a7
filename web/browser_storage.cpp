// Local storage is the page's thread's (web/page_thread.h) and holds text, so the profile's bytes
// travel as UTF-8 both ways; what the game writes is plain ASCII and reads back byte for byte.
#include "web/browser_storage.h"

#include <emscripten/console.h>
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "saves/high_score.h"
#include "saves/profile_file.h"
#include "saves/replay_files.h"
#include "saves/replay_text.h"
#include "web/page_thread.h"

namespace voltaro {
namespace {

constexpr int kRead = 0;
constexpr int kMissing = 1;
constexpr int kRefused = 2;

// Where the desktop keeps the sound's mute in its profile.
constexpr const char* kSoundSection = "Sound";
constexpr const char* kMuteKey = "Mute";

// JavaScript inside, kept as written:
// clang-format off
// The stored text under `key` (kRead), nothing (kMissing), or the reason the
// browser refused (kRefused). The returned text is malloc'ed.
EM_JS(char*, StorageRead, (const char* key, int* length, int* outcome), {
  let text = "";
  let result = 0;
  try {
    const value = localStorage.getItem(UTF8ToString(key));
    if (value == null) {
      result = 1;
    } else {
      text = value;
    }
  } catch (error) {
    result = 2;
    text = String(error && error.message || error);
  }
  const size = lengthBytesUTF8(text) + 1;
  const bytes = _malloc(size);
  stringToUTF8(text, bytes, size);
  HEAP32[length >> 2] = size - 1;
  HEAP32[outcome >> 2] = result;
  return bytes;
});

// Stores `length` bytes of text under `key`; the reason of a refusal
// (malloc'ed), or null.
EM_JS(char*, StorageWrite, (const char* key, const char* text, int length), {
  try {
    localStorage.setItem(UTF8ToString(key), UTF8ToString(text, length));
    return 0;
  } catch (error) {
    const reason = String(error && error.message || error);
    const size = lengthBytesUTF8(reason) + 1;
    const bytes = _malloc(size);
    stringToUTF8(reason, bytes, size);
    return bytes;
  }
});

// The page's directory: its address's path up to the last '/'.
EM_JS(char*, PageDirectory, (), {
  const path = location.pathname;
  const dir = path.substring(0, path.lastIndexOf('/') + 1) || '/';
  const size = lengthBytesUTF8(dir) + 1;
  const text = _malloc(size);
  stringToUTF8(dir, text, size);
  return text;
});

// clang-format on

struct Stored {
  int outcome = kMissing;
  std::string text;  // the value, or the reason of a refusal
};

Stored Read(const std::string& key) {
  int length = 0;
  int outcome = kMissing;
  char* bytes = FromPage(StorageRead, key.c_str(), &length, &outcome);
  Stored stored{outcome, std::string(bytes, static_cast<std::size_t>(length))};
  std::free(bytes);
  return stored;
}

// Each copy of the game on a site keeps its own best score and games, under
// the desktop's file names.
std::string StorageKey(const char* file = kHighScoreFile) {
  char* dir = FromPage(PageDirectory);
  std::string key = std::string(dir) + file;
  std::free(dir);
  return key;
}

std::string Where(const std::string& key) {
  return "local storage \"" + key + "\"";
}

void Warn(const std::string& line) {
  // The warning lines end in a line break the console does not need.
  std::string text = line;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  emscripten_console_warn(text.c_str());
}

void ReportRefusal(BrowserStorageState& state, const std::string& line) {
  if (state.refusalReported) return;
  state.refusalReported = true;
  Warn(line);
}

}  // namespace

HighScoreStore BrowserHighScoreStore(BrowserStorageState& state) {
  HighScoreStore store;
  store.read = [&state]() -> std::int32_t {
    const std::string key = StorageKey();
    const Stored stored = Read(key);
    if (stored.outcome == kMissing) return 0;
    if (stored.outcome == kRefused) {
      ReportRefusal(state, "voltaro5: warning: the browser refuses its local storage (" +
                               stored.text + "); the best score starts at 0 and is not kept");
      return 0;
    }
    const StoredHighScore best = HighScoreFromProfileText(stored.text, Where(key));
    if (!best.warning.empty()) Warn(best.warning);
    return best.score.value_or(0);
  };
  store.write = [&state](std::int32_t hiScore) -> std::int32_t {
    const std::string key = StorageKey();
    // Read again, so that only the HighScore line of what is stored now
    // changes, and a higher score another page of the game stored meanwhile
    // is kept and shown.
    const Stored stored = Read(key);
    std::string reason;
    if (stored.outcome == kRefused) {
      reason = stored.text;
    } else {
      const std::string_view now =
          stored.outcome == kRead ? std::string_view(stored.text) : std::string_view();
      if (const std::optional<std::int32_t> held = HighScoreFromProfileText(now, Where(key)).score;
          held && *held >= hiScore) {
        return *held;
      }
      const std::string text = ProfileTextWithHighScore(now, hiScore);
      char* refusal =
          FromPage(StorageWrite, key.c_str(), text.c_str(), static_cast<int>(text.size()));
      if (refusal == nullptr) return hiScore;
      reason = refusal;
      std::free(refusal);
    }
    ReportRefusal(state, "voltaro5: warning: " + Where(key) + ": cannot store the best score " +
                             std::to_string(hiScore) + ": " + reason);
    return hiScore;
  };
  store.saveReplay = [&state](const Recording& game, bool newRecord) {
    const std::string text = ReplayText(game);
    for (const char* file : {kLastReplayFile, newRecord ? kBestReplayFile : nullptr}) {
      if (file == nullptr) continue;
      const std::string key = StorageKey(file);
      char* refusal =
          FromPage(StorageWrite, key.c_str(), text.c_str(), static_cast<int>(text.size()));
      if (refusal == nullptr) continue;
      ReportRefusal(state,
                    "voltaro5: warning: " + Where(key) + ": cannot keep the game: " + refusal);
      std::free(refusal);
    }
  };
  return store;
}

bool ReadSoundMute() {
  const Stored stored = Read(StorageKey());
  return stored.outcome == kRead && FindProfileEntry(stored.text, kSoundSection, kMuteKey) == "1";
}

void StoreSoundMute(BrowserStorageState& state, bool muted) {
  const std::string key = StorageKey();
  // Read again: the best score beside it may have changed meanwhile.
  const Stored stored = Read(key);
  std::string reason = stored.text;
  if (stored.outcome != kRefused) {
    const std::string text = SetProfileEntry(stored.outcome == kRead ? stored.text : std::string(),
                                             kSoundSection, kMuteKey, muted ? "1" : "0");
    char* refusal = StorageWrite(key.c_str(), text.c_str(), static_cast<int>(text.size()));
    if (refusal == nullptr) return;
    reason = refusal;
    std::free(refusal);
  }
  ReportRefusal(state, "voltaro5: warning: " + Where(key) + ": cannot keep the sound " +
                           (muted ? "off: " : "on: ") + reason);
}

}  // namespace voltaro
