// Reading the player's settings from the profile file's bytes and writing the
// window's state back; see settings.h.
#include "desktop/settings.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "gfx/scaling.h"
#include "saves/high_score.h"
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
  void AtHeader(const ProfileEntry& header, std::string_view problem, std::string_view outcome) {
    out_ << kWarning << path_ << ':' << header.line << ": [" << header.name << "]: " << problem
         << "; " << outcome << '\n';
  }

 private:
  const std::string& path_;
  std::ostream& out_;
};

// In our own sections a value may be followed by a comment: "Scale=2 ; big".
// A ';' right after '=' is a value (the semicolon key), not a comment.
std::string WithoutComment(std::string_view value) {
  for (std::size_t i = 1; i < value.size(); ++i) {
    if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t')) {
      return std::string(Trim(value.substr(0, i)));
    }
  }
  return std::string(value);
}

// The sections the game reads; the best score's is read elsewhere
// (saves/high_score.h).
constexpr std::array<const char*, 5> kKnownSections = {kHighScoreSection, kWindowSection,
                                                       kKeysSection, kPadSection, kSoundSection};

// One warning for each section the game does not know, and for a known one
// written again (only the first of a name is read).
void WarnAboutSections(std::string_view bytes, Warner& warn) {
  std::vector<ProfileEntry> seen;
  for (const ProfileEntry& header : ProfileSectionHeaders(bytes)) {
    const auto earlier = std::find_if(seen.begin(), seen.end(), [&](const ProfileEntry& e) {
      return SameName(e.name, header.name);
    });
    const bool known = std::any_of(kKnownSections.begin(), kKnownSections.end(),
                                   [&](const char* name) { return SameName(name, header.name); });
    if (earlier == seen.end()) {
      if (!known) warn.AtHeader(header, "no such section", "ignored");
      seen.push_back(header);
    } else if (known) {
      warn.AtHeader(header, "the section again",
                    "only the one at line " + std::to_string(earlier->line) + " counts");
    }
  }
}

// The first entry of each name; later ones with the same name are ignored, as
// every reader of the file does, with a word about it when the name is `known`
// (an unknown name is warned about once, as such).
std::vector<ProfileEntry> FirstEntries(std::string_view bytes, std::string_view section,
                                       Warner& warn,
                                       const std::function<bool(std::string_view)>& known) {
  std::vector<ProfileEntry> first;
  for (ProfileEntry& entry : ProfileSectionEntries(bytes, section)) {
    const auto earlier = std::find_if(first.begin(), first.end(), [&](const ProfileEntry& e) {
      return SameName(e.name, entry.name);
    });
    if (earlier != first.end()) {
      if (known(entry.name)) {
        warn.At(entry, section, "set again",
                "the line " + std::to_string(earlier->line) + " counts");
      }
      continue;
    }
    entry.value = WithoutComment(entry.value);
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

void ParseWindow(std::string_view bytes, Warner& warn, WindowSettings& window) {
  for (const ProfileEntry& entry :
       FirstEntries(bytes, kWindowSection, warn, [](std::string_view name) {
         return SameName(name, "Scale") || SameName(name, "Fullscreen") ||
                SameName(name, "PauseOnFocusLoss");
       })) {
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
  for (const ProfileEntry& entry :
       FirstEntries(bytes, kSoundSection, warn, [](std::string_view name) {
         return SameName(name, "Volume") || SameName(name, "Mute");
       })) {
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
    const std::string& keeps, const std::function<std::vector<T>(const std::string&)>& resolve,
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
    const std::vector<T> named = resolve(name);
    if (named.empty()) {
      warn.At(entry, section, "unknown " + std::string(kind) + " name " + Quoted(name), keeps);
      return std::nullopt;
    }
    for (const T item : named) {
      if (const std::string why = reserved(item); !why.empty()) {
        warn.At(entry, section, Quoted(name) + " " + why, keeps);
        return std::nullopt;
      }
      if (std::find(items.begin(), items.end(), item) == items.end()) items.push_back(item);
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return items;
}

// Reads one binding section into `lists` (which holds the defaults). A key
// bound in the file is taken from the actions that keep their defaults (a
// WASD layout's Right=D takes D from FireUp); of two entries naming the same
// key, the later one keeps its default.
template <typename T>
void ParseBindings(std::string_view bytes, std::string_view section, std::string_view kind,
                   Warner& warn, std::array<std::vector<T>, kActionCount>& lists,
                   const std::function<std::vector<T>(const std::string&)>& resolve,
                   const std::function<std::string(T)>& nameOf,
                   const std::function<std::string(T)>& reserved) {
  const auto defaults = lists;
  const auto actionName = [](std::size_t action) {
    return std::string(InfoOf(static_cast<Action>(action)).name);
  };
  auto describe = [&](std::size_t action) {
    std::string names;
    for (const T item : defaults[action]) names += (names.empty() ? "" : ", ") + nameOf(item);
    return actionName(action) + " keeps its default (" + names + ")";
  };
  std::array<std::optional<ProfileEntry>, kActionCount> from;  // the entry each list came from
  for (const ProfileEntry& entry : FirstEntries(bytes, section, warn, [](std::string_view name) {
         return ActionNamed(name).has_value();
       })) {
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
  // The action other than `except` whose entry binds `item`.
  const auto boundTo = [&](T item, std::size_t except) -> std::optional<std::size_t> {
    for (std::size_t a = 0; a < kActionCount; ++a) {
      if (a != except && from[a] &&
          std::find(lists[a].begin(), lists[a].end(), item) != lists[a].end()) {
        return a;
      }
    }
    return std::nullopt;
  };
  // Undo the later of two clashing entries until no key serves two of them.
  for (bool clash = true; clash;) {
    clash = false;
    for (std::size_t b = 0; b < kActionCount && !clash; ++b) {
      if (!from[b]) continue;
      for (const T item : lists[b]) {
        const std::optional<std::size_t> a = boundTo(item, b);
        if (!a) continue;
        const bool undoA = from[*a]->line > from[b]->line;
        const std::size_t undo = undoA ? *a : b;
        warn.At(*from[undo], section,
                Quoted(nameOf(item)) + " is also bound to " + actionName(undoA ? b : *a),
                describe(undo));
        lists[undo] = defaults[undo];
        from[undo].reset();
        clash = true;
        break;
      }
    }
  }
  // The actions left with their defaults give up the keys bound in the file.
  for (std::size_t a = 0; a < kActionCount; ++a) {
    if (from[a] || lists[a].empty()) continue;
    std::optional<std::size_t> taker;
    std::string taken;
    std::erase_if(lists[a], [&](T item) {
      const std::optional<std::size_t> b = boundTo(item, a);
      if (b) {
        taker = b;
        taken = nameOf(item);
      }
      return b.has_value();
    });
    if (lists[a].empty()) {
      warn.At(*from[*taker], section, "takes " + Quoted(taken) + " from " + actionName(a),
              actionName(a) + " has no " + std::string(kind) + " now");
    }
  }
}

}  // namespace

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

Settings ParseSettings(std::string_view bytes, const std::string& path, std::ostream& warnings) {
  Settings settings;
  Warner warn(path, warnings);
  WarnAboutSections(bytes, warn);
  ParseWindow(bytes, warn, settings.window);
  ParseSound(bytes, warn, settings.sound);
  ParseBindings<SDL_Keycode>(
      bytes, kKeysSection, "key", warn, settings.keys.keys,
      [](const std::string& name) { return KeysNamed(name); },
      [](SDL_Keycode key) { return std::string(SDL_GetKeyName(key)); },
      [](SDL_Keycode key) -> std::string {
        const char* role = WindowKeyRole(key);
        return role != nullptr ? std::string("is the ") + role + " key" : "";
      });
  ParseBindings<SDL_GameControllerButton>(
      bytes, kPadSection, "button", warn, settings.pad.buttons,
      [](const std::string& name) {
        const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
        if (button == SDL_CONTROLLER_BUTTON_INVALID) return std::vector<SDL_GameControllerButton>{};
        return std::vector<SDL_GameControllerButton>{button};
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
