// SDL's events into the key gate; see sdl_pump.h.
#include "desktop/sdl_pump.h"

#include <SDL.h>

#include <iostream>
#include <vector>

#include "desktop/help_text.h"
#include "game/key_codes.h"
#include "scenes/shell.h"

namespace voltaro {
namespace {

// With a pad open, sleeps are cut into steps this long, which keeps a press's
// delay short on the screens that sleep until a key comes.
constexpr int kPadPollMs = 10;
// Without one nothing needs a look between events: a close by signal wakes
// the sleep by itself.
constexpr int kIdlePollMs = 0;

}  // namespace

SdlPump::SdlPump(SdlWindow& window, EventSleep& sleep) : window_(window), sleep_(sleep) {
  // An input method must not swallow the game keys: no text input at all.
  SDL_StopTextInput();
  // ... but should an input method start composing all the same, hear of it,
  // so the player can be asked to switch it off.
  SDL_EventState(SDL_TEXTEDITING, SDL_ENABLE);
}

void SdlPump::Configure(const Settings& settings) {
  keys_ = settings.keys;
  pads_.SetBindings(settings.pad);
  gate_.SetPauseOnFocusLoss(settings.window.pauseOnFocusLoss);
  help_ = DesktopHelpText(settings.keys, settings.pad);
}

void SdlPump::AllowPause(bool allowed) {
  gate_.AllowPause(allowed);
  sleep_.SetSoundWanted(allowed);  // the title and game-over screens are silent
  window_.System().KeepFramesSteady(allowed);
  if (allowed && !priorityAsked_) {
    // Play's frames keep their millisecond on a busy machine when the system
    // grants the game a higher priority (asked once, at the first game, not
    // to slow the start); without it the game plays on as it is.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
    priorityAsked_ = true;
  }
}

int SdlPump::SleepStepMs() const {
  return pads_.AnyOpen() ? kPadPollMs : kIdlePollMs;
}

void SdlPump::SleepWhilePaused() {
  sleep_.SleepStill(SleepStepMs());
}

void SdlPump::FeedPending(KeySink& keys) {
  // Only what is pending now: events that arrive while these are handled wait
  // for the next pump.
  sleep_.SetPadsOpen(pads_.AnyOpen());
  sleep_.ReadEvents();
  int pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_Event event;
  while (pending-- > 0 &&
         SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    switch (event.type) {
      case SDL_QUIT:
        throw QuitRequested();
      case SDL_WINDOWEVENT:
        OnWindowEvent(keys, event.window);
        break;
      case SDL_KEYDOWN:
        OnKeyDown(keys, event.key);
        break;
      case SDL_KEYUP: {
        const SDL_Keysym& key = event.key.keysym;
        gate_.KeyUp(keys, key.scancode, GameKeyCode(keys_, key.sym, key.scancode, key.mod),
                    KeyGate::Stray::kReaches);
        break;
      }
      case SDL_TEXTEDITING:
        // An input method started composing despite text input being off.
        if (event.edit.text[0] != '\0') gate_.PressWithoutRelease(keys, kKeyProcess);
        break;
      default: {
        std::vector<PadKey> padKeys;
        if (pads_.Handle(event, padKeys)) {
          for (const PadKey& padKey : padKeys) {
            if (padKey.down) {
              gate_.KeyDown(keys, padKey.source, padKey.code);
            } else {
              gate_.KeyUp(keys, padKey.source, padKey.code, KeyGate::Stray::kDropped);
            }
          }
        }
        break;
      }
    }
  }
}

void SdlPump::OnWindowEvent(KeySink& keys, const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      throw QuitRequested();
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      window_.Resized(event.data1, event.data2);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      window_.Repaint();
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN: {
      // The keyboard's held keys come up by themselves (SDL does it); the
      // pads' are let go here.
      std::vector<PadKey> padKeys;
      pads_.ReleaseAll(padKeys);
      for (const PadKey& padKey : padKeys) {
        gate_.KeyUp(keys, padKey.source, padKey.code, KeyGate::Stray::kDropped);
      }
      gate_.FocusLost();
      break;
    }
    default:
      break;
  }
}

void SdlPump::OnKeyDown(KeySink& keys, const SDL_KeyboardEvent& event) {
  const SDL_Keysym& key = event.keysym;
  const bool altEnter =
      (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
  if (!IsWindowKey(key.sym) && !altEnter) {
    gate_.KeyDown(keys, key.scancode, GameKeyCode(keys_, key.sym, key.scancode, key.mod));
    return;
  }
  // The window's own keys never reach the game; a repeat does nothing.
  gate_.TakeForWindow(key.scancode);
  if (event.repeat != 0) return;
  if (key.sym == SDLK_F11 || altEnter) {
    window_.ToggleFullscreen();
  } else if (key.sym == SDLK_F1) {
    gate_.PressWindowKey(WindowKey::kHelp);
  } else {
    gate_.PressWindowKey(key.sym == SDLK_ESCAPE ? WindowKey::kEscape : WindowKey::kPause);
  }
}

}  // namespace voltaro
