// voltaro5-sim: plays games without a window or a clock and writes a trace
// of every frame, or replays a recorded game. Exit status 0 when the games
// ran (a replay ended as recorded), 1 when the game stopped on a run-time
// error, 2 for a bad command line, key script or replay file, 3 when a
// replay did not end as recorded.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/run_time_error.h"
#include "saves/replay_files.h"
#include "sim/key_script.h"
#include "sim/sim_options.h"
#include "sim/simulator.h"

namespace {

constexpr int kExitRunTimeError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitReplayDiverged = 3;

void Report(const std::string& message) {
  std::fprintf(stderr, "voltaro5-sim: %s\n", message.c_str());
}

// Windows turns line ends on the standard streams into CR LF, and stops
// reading at a Ctrl-Z, unless told not to: a trace or a key script passed
// through them keeps every byte, as on every other system.
void KeepEveryByte([[maybe_unused]] std::FILE* stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace voltaro::sim;
  std::vector<std::string_view> args(argv + 1, argv + argc);
  Options options;
  std::vector<KeyEvent> script;
  std::optional<voltaro::Recording> recording;
  try {
    options = ParseOptions(args);
    if (options.help) {
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    }
    if (options.inputPath == "-") KeepEveryByte(stdin);
    if (!options.inputPath.empty()) script = LoadKeyScript(options.inputPath);
    if (!options.replayPath.empty()) {
      std::string whyNot;
      recording = voltaro::LoadReplayFile(options.replayPath, whyNot);
      if (!recording) throw UsageError(whyNot);
    }
  } catch (const UsageError& error) {
    Report(error.what());
    return kExitUsage;
  }

  std::FILE* trace = nullptr;
  static char traceBuffer[1 << 16];
  if (options.tracePath == "-") {
    KeepEveryByte(stdout);
    trace = stdout;
  } else if (!options.tracePath.empty()) {
    trace = std::fopen(options.tracePath.c_str(), "wb");
    if (trace == nullptr) {
      Report("--trace: cannot open '" + options.tracePath +
             "' for writing: " + std::strerror(errno));
      return kExitUsage;
    }
  }
  if (trace != nullptr) std::setvbuf(trace, traceBuffer, _IOFBF, sizeof traceBuffer);

  int status = 0;
  RunSummary summary;
  try {
    if (recording) {
      const std::optional<std::string> diverged = RunReplay(options, *recording, trace, summary);
      const GameResult& result = summary.games.back();
      // The outcome goes to standard output unless the trace is there.
      std::fprintf(trace == stdout ? stderr : stdout, "frames %lld end %s score %ld\n",
                   static_cast<long long>(result.frames), result.end,
                   static_cast<long>(result.score));
      if (diverged) {
        Report("replay diverged: " + *diverged);
        status = kExitReplayDiverged;
      }
    } else {
      RunSimulation(options, script, trace, summary);
    }
  } catch (const UsageError& error) {
    Report(error.what());
    status = kExitUsage;
  } catch (const voltaro::RunTimeError& error) {
    Report(error.what());
    status = kExitRunTimeError;
  } catch (const std::exception& error) {
    Report(error.what());
    status = kExitRunTimeError;
  }
  if (trace != nullptr) {
    const bool failed = std::fflush(trace) != 0 || std::ferror(trace) != 0;
    if (trace != stdout && std::fclose(trace) != 0 && status == 0) status = kExitRunTimeError;
    if (failed && status == 0) {
      Report("--trace: cannot write '" + options.tracePath + "'");
      status = kExitRunTimeError;
    }
  }
  if (status != kExitUsage) std::fputs((SummaryLine(summary) + "\n").c_str(), stderr);
  return status;
}
