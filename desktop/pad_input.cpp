// Game controllers turned into the game's key events; see pad_input.h.
#include "desktop/pad_input.h"

#include <sys/stat.h>

#include <algorithm>

namespace voltaro {
namespace {

constexpr const char* kMappingFile = "gamecontrollerdb.txt";

int StickCode(StickSide side) {
  return InfoOf(side == StickSide::kLeft ? Action::kLeft : Action::kRight).keyCode;
}

// Pads' sources lie above every keyboard scancode.
constexpr int kStickSource = 0xFF;
std::int64_t SourceOf(SDL_JoystickID id, int button) {
  return (std::int64_t{1} << 40) | (static_cast<std::int64_t>(id) << 8) | button;
}

void LoadControllerMappings(const std::vector<std::string>& directories, std::ostream& warnings) {
  std::vector<std::string> loaded;
  for (const std::string& directory : directories) {
    const std::string path = directory + kMappingFile;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) continue;  // none there: nothing to load
    if (std::find(loaded.begin(), loaded.end(), path) != loaded.end()) continue;
    loaded.push_back(path);
    if (!S_ISREG(info.st_mode)) {
      // SDL would try to read a directory or a device as a file.
      warnings << "voltaro5: warning: " << path
               << ": cannot load the controller mappings (not a regular file)\n";
      continue;
    }
    if (SDL_GameControllerAddMappingsFromFile(path.c_str()) < 0) {
      warnings << "voltaro5: warning: " << path << ": cannot load the controller mappings ("
               << SDL_GetError() << ")\n";
    }
  }
}

}  // namespace

StickSide NextStickSide(StickSide held, int x) {
  return NextStickSide(held, x, 32768);
}

void StartPads(const std::vector<std::string>& mappingDirectories, std::ostream& warnings) {
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    warnings << "voltaro5: warning: no game controllers (" << SDL_GetError() << ")\n";
    return;
  }
  LoadControllerMappings(mappingDirectories, warnings);
}

void PadInput::CloseAll() {
  for (Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
  pads_.clear();
}

PadInput::Pad* PadInput::Find(SDL_JoystickID id) {
  const auto it =
      std::find_if(pads_.begin(), pads_.end(), [id](const Pad& pad) { return pad.id == id; });
  return it != pads_.end() ? &*it : nullptr;
}

void PadInput::Release(Pad& pad, std::vector<PadKey>& out) {
  for (const auto& [button, code] : pad.held)
    out.push_back({code, false, SourceOf(pad.id, button)});
  pad.held.clear();
  if (pad.stick != StickSide::kNone) {
    out.push_back({StickCode(pad.stick), false, SourceOf(pad.id, kStickSource)});
  }
  pad.stick = StickSide::kNone;
}

bool PadInput::Handle(const SDL_Event& event, std::vector<PadKey>& out) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
      if (controller == nullptr) return true;
      const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
      if (Find(id) != nullptr) {
        SDL_GameControllerClose(controller);  // already open: drop the second reference
      } else {
        pads_.push_back({controller, id, {}, StickSide::kNone});
      }
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
      if (Pad* pad = Find(event.cdevice.which)) {
        Release(*pad, out);
        SDL_GameControllerClose(pad->controller);
        pads_.erase(pads_.begin() + (pad - pads_.data()));
      }
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* pad = Find(event.cbutton.which);
      if (pad == nullptr) return true;
      const auto button = static_cast<SDL_GameControllerButton>(event.cbutton.button);
      const auto held = std::find_if(pad->held.begin(), pad->held.end(),
                                     [button](const auto& h) { return h.first == button; });
      if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        const std::optional<Action> action = ActionOfButton(bindings_, button);
        if (action && held == pad->held.end()) {
          pad->held.emplace_back(button, InfoOf(*action).keyCode);
          out.push_back({InfoOf(*action).keyCode, true, SourceOf(pad->id, button)});
        }
      } else if (held != pad->held.end()) {
        out.push_back({held->second, false, SourceOf(pad->id, button)});
        pad->held.erase(held);
      }
      return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* pad = Find(event.caxis.which);
      if (pad == nullptr || event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX) return true;
      const StickSide side = NextStickSide(pad->stick, event.caxis.value);
      if (side != pad->stick) {
        const std::int64_t source = SourceOf(pad->id, kStickSource);
        if (pad->stick != StickSide::kNone) out.push_back({StickCode(pad->stick), false, source});
        if (side != StickSide::kNone) out.push_back({StickCode(side), true, source});
        pad->stick = side;
      }
      return true;
    }
    default:
      return false;
  }
}

void PadInput::ReleaseAll(std::vector<PadKey>& out) {
  for (Pad& pad : pads_) Release(pad, out);
}

}  // namespace voltaro
