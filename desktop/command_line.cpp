// The command line of voltaro5, parsed with CLI11. A bad command line is
// answered in one line that names the option and the problem, the way the
// simulator answers, rather than with the whole usage.
#include "desktop/command_line.h"

#include <CLI/CLI.hpp>

#include "desktop/settings.h"
#include "saves/plain_text.h"

namespace voltaro {
namespace {

constexpr const char* kDescription =
    "VOLTARO ZIP 5: a car falls down an endless shaft of sinking plates. Ride them,\n"
    "jump, steer, shoot the enemies and collect the coins.\n";

constexpr const char* kControls =
    "Controls:\n"
    "  Enter           start a game on the title screen; leave the game-over screen\n"
    "  Left, Right     steer (the car keeps its sideways speed)\n"
    "  Up              jump, while standing on a plate\n"
    "  Z, V, D         fire left, right, up\n"
    "  P, Pause, Esc   pause and resume play\n"
    "  F1              how to play (on the title, game-over and pause screens)\n"
    "  F11             fullscreen on and off (Alt+Enter too)\n"
    "  M               sound off and on\n"
    "  closing the window ends the program; an unfinished game is not scored\n";

constexpr const char* kFilesBesideTheBestScore =
    "Every finished game is saved as last.v5replay, and one that sets a new best\n"
    "score also as best.v5replay, in the best score's folder. The warnings of the\n"
    "latest start (settings, best score, replays) also go to voltaro5.log there.\n";

constexpr const char* kTryHelp = " (try --help)";

// A whole number from `low` to `high`, said in words when the value is not
// one (CLI11's own range check speaks in its own notation).
CLI::Validator WholeNumber(int low, int high) {
  return CLI::Validator(
      [low, high](const std::string& text) -> std::string {
        if (ParseWhole(text, low, high)) return "";
        return Quoted(text) + " is not a whole number from " + std::to_string(low) + " to " +
               std::to_string(high);
      },
      "", "");
}

// One line per option; each writes straight into its field of `options`.
void DefineOptions(CLI::App& app, CommandLine& options) {
  app.add_option("--record", options.recordPath,
                 "Also save each game played to FILE (FILE.1, FILE.2 ... once there are several)")
      ->type_name("FILE");
  app.add_option("--replay", options.replayPath,
                 "Show the recorded game in FILE (a .v5replay) instead of playing; stores nothing")
      ->type_name("FILE");
  app.add_option("--replay-speed", options.replaySpeed,
                 "With --replay: play N frames in each frame period (1 to 8, default 1)")
      ->type_name("N")
      ->check(WholeNumber(1, 8));
  app.add_option("--scale", options.scale,
                 "Open the window at N times the playfield's size (1 to 16), or the largest "
                 "factor below N that fits the screen")
      ->type_name("N")
      ->check(WholeNumber(1, 16));
  app.add_flag("--fullscreen", options.fullscreen, "Start in fullscreen (F11 or Alt+Enter switch)");
  app.add_flag("--mute", options.mute, "Start with the sound off (M switches it on and off)");
}

// The one line that says what is wrong with the command line.
std::string Complaint(const CLI::ParseError& error) {
  std::string what = error.what();
  // CLI11 says a missing value as "--scale: 1 required N missing".
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    const std::size_t colon = what.find(':');
    if (colon != std::string::npos && what.starts_with("--")) {
      return what.substr(0, colon) + ": a value is missing";
    }
  }
  return what;
}

}  // namespace

std::string ProgramVersion() {
  return VOLTARO5_VERSION;
}

std::variant<CommandLine, int> ParseCommandLine(int argc, const char* const* argv,
                                                const CommandLineFacts& facts, std::ostream& out,
                                                std::ostream& err) {
  CommandLine options;
  CLI::App app(kDescription, "voltaro5");
  app.set_help_flag("-h,--help", "Print this help, the controls and where the files are kept");
  app.set_version_flag("--version", "voltaro5 " + facts.version, "Print the version and exit");
  app.allow_extras();
  DefineOptions(app, options);
  app.footer([&facts] {
    std::string text = kControls;
    if (facts.describeBestScoreFile) text += "\n" + facts.describeBestScoreFile();
    text += std::string("\n") + kFilesBesideTheBestScore;
    while (!text.empty() && text.back() == '\n') text.pop_back();  // the help ends it
    return text;
  });
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << '\n';
    return 0;
  } catch (const CLI::ParseError& error) {
    err << "voltaro5: " << Complaint(error) << kTryHelp << '\n';
    return kBadCommandLine;
  }
  std::string complaint;
  if (const std::vector<std::string> extras = app.remaining(); !extras.empty()) {
    const std::string& first = extras.front();
    complaint = first.size() > 1 && first.front() == '-' ? first + ": unknown option"
                                                         : Quoted(first) + ": unexpected argument";
  } else if (app.count("--replay-speed") > 0 && options.replayPath.empty()) {
    complaint = "--replay-speed: only with --replay FILE";
  }
  if (!complaint.empty()) {
    err << "voltaro5: " << complaint << kTryHelp << '\n';
    return kBadCommandLine;
  }
  return options;
}

}  // namespace voltaro
