// main()'s body. The window's close ends the game from inside whatever event
// pump sees it (QuitRequested); a run-time error in the play scene, or a
// start-up failure, is shown in a message box and ends with status 1; a
// replay that goes otherwise than recorded says so and ends with status 3.
#include "desktop/run_game.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "desktop/pad_input.h"
#include "desktop/process_usage.h"
#include "desktop/sdl_audio.h"
#include "desktop/sdl_clock.h"
#include "desktop/sdl_shell.h"
#include "desktop/settings.h"
#include "game/run_time_error.h"
#include "gfx/screens.h"
#include "gfx/sprites.h"
#include "saves/high_score.h"
#include "saves/replay_check.h"
#include "saves/replay_files.h"
#include "saves/save_place.h"
#include "saves/warning_log.h"
#include "scenes/scenes.h"
#include "sound/frame_cues.h"

namespace voltaro {
namespace {

void ReportFatal(const std::string& message) {
  std::cerr << "voltaro5: " << message << '\n';
  ShowFatalErrorBox(kCaption, message);
}

std::uint64_t MonotonicMicroseconds() {
  return MonotonicNanoseconds() / 1000;
}

// Closes the frame log with the process's processor time and peak memory.
void LogUsage(std::ostream& log) {
  const ProcessUsage usage = ReadProcessUsage();
  log << "end " << MonotonicMicroseconds() << " user_us " << usage.userUs << " sys_us "
      << usage.systemUs << " maxrss_kb " << usage.peakMemoryKb << '\n';
}

}  // namespace

std::string DescribeBestScoreFile(const std::string& programDir) {
  return DescribeSavePlace(ChooseSavePlace(programDir, ProcessSaveEnvironment(), RealSaveProbe()));
}

int RunGame(const CommandLine& options, const std::string& programDir,
            const std::string& frameLogPath) {
  std::unique_ptr<std::ofstream> frameLog;
  if (!frameLogPath.empty()) {
    frameLog = std::make_unique<std::ofstream>(frameLogPath, std::ios::app);
    if (!*frameLog) {
      std::cerr << "voltaro5: cannot open the frame log " << frameLogPath << '\n';
      return 1;
    }
    *frameLog << "start " << MonotonicMicroseconds() << '\n';
  }
  // A replay is checked before any window opens: a bad file is one message
  // and status 2, with nothing written.
  std::optional<ReplayShow> replay;
  if (!options.replayPath.empty()) {
    std::string whyNot;
    std::optional<Recording> game = LoadReplayFile(options.replayPath, whyNot);
    if (!game) {
      std::cerr << "voltaro5: " << whyNot << '\n';
      return 2;
    }
    replay = ReplayShow{std::move(*game), options.replaySpeed};
  }
  int status = 0;
  bool diverged = false;  // the replay went otherwise than recorded
  try {
    const Sprites sprites = LoadSprites();
    SdlShell shell(sprites);
    // Where the best score and the settings are kept is chosen once, from
    // the program's directory, before the window opens at the size the
    // settings ask for.
    const SavePlace settingsPlace =
        ChooseSavePlace(programDir, ProcessSaveEnvironment(), RealSaveProbe());
    const std::string settingsPath =
        settingsPlace.iniPath.empty() ? settingsPlace.programIni : settingsPlace.iniPath;
    WarningLog warningLog(
        settingsPlace.directory.empty() ? "" : settingsPlace.directory + kWarningLogFile,
        std::cerr);
    std::ostream& warn = warningLog.Stream();
    Settings settings = ReadSettings(settingsPath, warn);
    if (options.scale > 0) settings.window.scale = options.scale;
    if (options.fullscreen) settings.window.fullscreen = true;
    shell.Configure(settings);
    // The effects follow what each frame did. They are made and the device
    // opened once the first picture is up (the title needs no sound, and the
    // window comes first), and it closes before the window.
    const bool openedMuted = settings.sound.mute || options.mute;
    std::optional<Mixer> mixer;
    std::optional<SdlAudio> audio;
    auto openSound = [&]() {
      mixer.emplace(SynthesiseEffects(kAudioRate));
      mixer->SetVolume(settings.sound.volume);
      mixer->SetMuted(openedMuted);
      audio.emplace(*mixer, warn);
    };
    shell.SetSoundRest([&audio]() { return audio && audio->Rest(); },
                       [&audio]() {
                         if (audio) audio->Wake();
                       });
    CueObserver cues([&mixer](Effect effect) {
      if (mixer) mixer->Trigger(effect);
    });
    SavePlace place;
    ReplaySaver replays("", options.recordPath);
    HighScoreStore store{
        [&place, &replays, &settingsPlace, &warn]() {
          place = settingsPlace;
          replays.SetDirectory(place.directory);
          return ReadBestScore(place, warn);
        },
        [&place, &warn](std::int32_t hiScore) { return StoreBestScore(place, hiScore, warn); },
        [&place, &replays, &warn](const Recording& game, bool newRecord) {
          // The best-score file's folder may not exist yet.
          if (!place.directory.empty()) MakeSaveDirectory(place, nullptr);
          replays.Save(game, newRecord, warn);
        }};
    // A new record is heard as the game-over screen shows it.
    Scenes scenes(shell, sprites,
                  WithRecordHook(std::move(store), [&cues]() { cues.NewRecord(); }));
    scenes.Watch(cues);
    std::optional<ReplayCheck> check;
    if (replay) {
      shell.MarkReplay();
      check.emplace(replay->game, [&diverged](const std::string& why) {
        std::cerr << "voltaro5: replay diverged: " << why << '\n';
        diverged = true;
      });
      scenes.Watch(*check);
    }
    int framesBegun = 0;
    scenes.SetFrameObserver([&](const char* scene, std::int32_t frameTime) {
      if (frameLog) {
        *frameLog << scene << ' ' << frameTime << ' ' << MonotonicMicroseconds() << '\n';
      }
      // The first picture is on the screen: the turn of what the title's first
      // frame does without, the pads (with the mappings for pads SDL does not
      // know, beside the program or the settings) and the sound.
      if (++framesBegun == 2) {
        StartPads({programDir, settingsPlace.directory}, warn);
        openSound();
      }
    });
    std::optional<WindowSettings> opened;  // the window as start-up opened it
    try {
      scenes.StartUp();
      opened = shell.WindowState();
      if (replay) {
        scenes.ReplayScene(*replay);
      } else {
        // The start timer's single tick: from here on the game runs in RunScenes.
        scenes.RunScenes();
      }
    } catch (const QuitRequested&) {
      // The window's size and fullscreen are kept for the next start, if the
      // player changed them; a replay leaves the file alone.
      if (!replay && opened && !settingsPlace.iniPath.empty() &&
          !(*opened == shell.WindowState())) {
        MakeSaveDirectory(settingsPlace, nullptr);
        SaveWindowSettings(settingsPlace.iniPath, *opened, shell.WindowState(), warn);
      }
      if (!replay && !settingsPlace.iniPath.empty() && mixer && mixer->Muted() != openedMuted) {
        MakeSaveDirectory(settingsPlace, nullptr);
        SaveSoundMute(settingsPlace.iniPath, mixer->Muted(), warn);
      }
      throw;
    }
  } catch (const QuitRequested&) {
    status = 0;
  } catch (const RunTimeError& error) {
    ReportFatal(std::string("run-time error during play: ") + error.what());
    status = 1;
  } catch (const std::exception& error) {
    ReportFatal(error.what());
    status = 1;
  }
  if (status == 0 && diverged) status = kReplayDiverged;
  if (frameLog) LogUsage(*frameLog);
  return status;
}

}  // namespace voltaro
