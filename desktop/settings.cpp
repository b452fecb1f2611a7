// Reading the player's settings from the profile file's bytes and writing the
// window's state back; see settings.h.
#include "desktop/settings.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "gfx/scaling.h"
#include "saves/plain_text.h"
#include "saves/profile_file.h"

namespace voltaro {
namespace {

constexpr const char* kWarning = "voltaro5: warning: ";

class Warner {
 public:
  Warner(const std::string& path, std::ostream& out) : path_(path), out_(out) {}
  void At(const ProfileEntry& entry, std::string_view section, std::string_view problem,
          std::string_view outcome) {
    out_ << kWarning << path_ << ':' << entry.line << ": [" << section << "] " << entry.name << ": "
         << problem << "; " << outcome << '\n';
  }

 private:
  const std::string& path_;
  std::ostream& out_;
};

// The first entry of each name; later ones with the same name are ignored, as
// every reader of the file does, with a word about it.
std::vector<ProfileEntry> FirstEntries(std::string_view bytes, std::string_view section,
                                       Warner& warn) {
  std::vector<ProfileEntry> first;
  for (ProfileEntry& entry : ProfileSectionEntries(bytes, section)) {
    const auto earlier = std::find_if(first.begin(), first.end(), [&](const ProfileEntry& e) {
      return SameName(e.name, entry.name);
    });
    if (earlier != first.end()) {
      warn.At(entry, section, "set again", "the line " + std::to_string(earlier->line) + " counts");
      continue;
    }
    first.push_back(std::move(entry));
  }
  return first;
}

// "0" or "1".
std::optional<bool> ParseSwitch(std::string_view text) {
  text = Trim(text);
  if (text == "0") return false;
  if (text == "1") return true;
  return std::nullopt;
}

// A whole number from `low` to `high` (at most 999).
std::optional<int> ParseWhole(std::string_view text, int low, int high) {
  text = Trim(text);
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

void ParseWindow(std::string_view bytes, Warner& warn, WindowSettings& window) {
  for (const ProfileEntry& entry : FirstEntries(bytes, kWindowSection, warn)) {
    if (SameName(entry.name, "Scale")) {
      if (const auto scale = ParseWhole(entry.value, kMinScale, kMaxScale)) {
        window.scale = *scale;
      } else {
        warn.At(entry, kWindowSection, Quoted(entry.value) + " is not a whole number from 1 to 16",
                "the window opens at 1");
      }
    } else if (SameName(entry.name, "Fullscreen") || SameName(entry.name, "PauseOnFocusLoss")) {
      const bool fullscreen = SameName(entry.name, "Fullscreen");
      if (const auto on = ParseSwitch(entry.value)) {
        (fullscreen ? window.fullscreen : window.pauseOnFocusLoss) = *on;
      } else {
        warn.At(entry, kWindowSection, Quoted(entry.value) + " is neither 0 nor 1",
                fullscreen ? "it stays 0" : "it stays 1");
      }
    } else if (SameName(entry.name, "Scaling")) {
      const std::string_view value = Trim(entry.value);
      if (SameName(value, "integer") || SameName(value, "fill")) {
        window.fill = SameName(value, "fill");
      } else {
        warn.At(entry, kWindowSection, Quoted(entry.value) + " is neither integer nor fill",
                "it stays integer");
      }
    } else {
      warn.At(entry, kWindowSection, "no such setting", "ignored");
    }
  }
}

void ParseSound(std::string_view bytes, Warner& warn, SoundSettings& sound) {
  for (const ProfileEntry& entry : FirstEntries(bytes, kSoundSection, warn)) {
    if (SameName(entry.name, "Volume")) {
      if (const auto volume = ParseWhole(entry.value, 0, 100)) {
        sound.volume = *volume;
      } else {
        warn.At(entry, kSoundSection, Quoted(entry.value) + " is not a whole number from 0 to 100",
                "it stays 60");
      }
    } else if (SameName(entry.name, "Mute")) {
      if (const auto on = ParseSwitch(entry.value)) {
        sound.mute = *on;
      } else {
        warn.At(entry, kSoundSection, Quoted(entry.value) + " is neither 0 nor 1", "it stays 0");
      }
    } else {
      warn.At(entry, kSoundSection, "no such setting", "ignored");
    }
  }
}

// The comma-separated names of an entry, resolved one by one; nullopt after
// a warning when one cannot be used.
template <typename T>
std::optional<std::vector<T>> ParseList(
    const ProfileEntry& entry, std::string_view section, std::string_view kind, Warner& warn,
    const std::string& keeps, const std::function<std::optional<T>(const std::string&)>& resolve,
    const std::function<std::string(T)>& reserved) {
  std::vector<T> items;
  if (Trim(entry.value).empty()) {
    warn.At(entry, section, "the list is empty", keeps);
    return std::nullopt;
  }
  std::string_view rest = entry.value;
  for (;;) {
    const std::size_t comma = rest.find(',');
    const std::string name(Trim(rest.substr(0, comma)));
    if (name.empty()) {
      warn.At(entry, section, "an empty name in the list", keeps);
      return std::nullopt;
    }
    const std::optional<T> item = resolve(name);
    if (!item) {
      warn.At(entry, section, "unknown " + std::string(kind) + " name " + Quoted(name), keeps);
      return std::nullopt;
    }
    if (const std::string why = reserved(*item); !why.empty()) {
      warn.At(entry, section, Quoted(name) + " " + why, keeps);
      return std::nullopt;
    }
    if (std::find(items.begin(), items.end(), *item) == items.end()) items.push_back(*item);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return items;
}

// Reads one binding section into `lists` (which holds the defaults). An entry
// naming a key or button that another action also has keeps its default: the
// later of two entries, or the entry against another action's default.
template <typename T>
void ParseBindings(std::string_view bytes, std::string_view section, std::string_view kind,
                   Warner& warn, std::array<std::vector<T>, kActionCount>& lists,
                   const std::function<std::optional<T>(const std::string&)>& resolve,
                   const std::function<std::string(T)>& nameOf,
                   const std::function<std::string(T)>& reserved) {
  const auto defaults = lists;
  auto describe = [&](std::size_t action) {
    std::string names;
    for (const T item : defaults[action]) names += (names.empty() ? "" : ", ") + nameOf(item);
    return std::string(InfoOf(static_cast<Action>(action)).name) + " keeps its default (" + names +
           ")";
  };
  std::array<std::optional<ProfileEntry>, kActionCount> from;  // the entry each list came from
  for (const ProfileEntry& entry : FirstEntries(bytes, section, warn)) {
    const std::optional<Action> action = ActionNamed(entry.name);
    if (!action) {
      warn.At(entry, section, "no such action", "ignored");
      continue;
    }
    const auto index = static_cast<std::size_t>(*action);
    if (auto items = ParseList<T>(entry, section, kind, warn, describe(index), resolve, reserved)) {
      lists[index] = std::move(*items);
      from[index] = entry;
    }
  }
  // Undo one clashing entry at a time until no key serves two actions.
  for (bool clash = true; clash;) {
    clash = false;
    for (std::size_t a = 0; a < kActionCount && !clash; ++a) {
      for (std::size_t b = a + 1; b < kActionCount && !clash; ++b) {
        for (const T item : lists[b]) {
          if (std::find(lists[a].begin(), lists[a].end(), item) == lists[a].end()) continue;
          // The later entry gives way; an entry always gives way to a default.
          const bool undoA = from[a] && (!from[b] || from[a]->line > from[b]->line);
          const std::size_t undo = undoA ? a : b;
          const std::size_t other = undoA ? b : a;
          if (!from[undo]) continue;  // two defaults never share a key
          warn.At(*from[undo], section,
                  Quoted(nameOf(item)) + " is also bound to " +
                      std::string(InfoOf(static_cast<Action>(other)).name),
                  describe(undo));
          lists[undo] = defaults[undo];
          from[undo].reset();
          clash = true;
          break;
        }
      }
    }
  }
}

}  // namespace

Settings ParseSettings(std::string_view bytes, const std::string& path, std::ostream& warnings) {
  Settings settings;
  Warner warn(path, warnings);
  ParseWindow(bytes, warn, settings.window);
  ParseSound(bytes, warn, settings.sound);
  ParseBindings<SDL_Keycode>(
      bytes, kKeysSection, "key", warn, settings.keys.keys,
      [](const std::string& name) -> std::optional<SDL_Keycode> {
        const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
        if (key == SDLK_UNKNOWN) return std::nullopt;
        return key;
      },
      [](SDL_Keycode key) { return std::string(SDL_GetKeyName(key)); },
      [](SDL_Keycode key) -> std::string {
        if (key == SDLK_F11) return "is the fullscreen key";
        if (IsWindowKey(key)) return "is the pause key";
        return "";
      });
  ParseBindings<SDL_GameControllerButton>(
      bytes, kPadSection, "button", warn, settings.pad.buttons,
      [](const std::string& name) -> std::optional<SDL_GameControllerButton> {
        const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
        if (button == SDL_CONTROLLER_BUTTON_INVALID) return std::nullopt;
        return button;
      },
      [](SDL_GameControllerButton button) {
        const char* name = SDL_GameControllerGetStringForButton(button);
        return std::string(name != nullptr ? name : "?");
      },
      [](SDL_GameControllerButton) { return std::string(); });
  return settings;
}

Settings ReadSettings(const std::string& path, std::ostream& warnings) {
  const ProfileFile file = ReadProfileFile(path);
  if (file.state != ProfileFile::State::kRead) return Settings{};
  return ParseSettings(file.bytes, path, warnings);
}

bool SaveWindowSettings(const std::string& path, const WindowSettings& opened,
                        const WindowSettings& closing, std::ostream& warnings) {
  struct Change {
    const char* key;
    bool changed;
    std::string value;
  };
  const Change changes[] = {
      {"Scale", opened.scale != closing.scale, std::to_string(closing.scale)},
      {"Fullscreen", opened.fullscreen != closing.fullscreen, closing.fullscreen ? "1" : "0"},
  };
  bool ok = true;
  for (const Change& change : changes) {
    if (!change.changed) continue;
    std::string whyNot;
    if (!WriteProfileString(path, kWindowSection, change.key, change.value, &whyNot)) {
      warnings << kWarning << path << ": cannot store the window's " << change.key << ": " << whyNot
               << '\n';
      ok = false;
    }
  }
  return ok;
}

bool SaveSoundMute(const std::string& path, bool mute, std::ostream& warnings) {
  std::string whyNot;
  if (WriteProfileString(path, kSoundSection, "Mute", mute ? "1" : "0", &whyNot)) return true;
  warnings << kWarning << path << ": cannot store the sound's Mute: " << whyNot << '\n';
  return false;
}

}  // namespace voltaro
