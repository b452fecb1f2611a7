// The command line of voltaro5, parsed with CLI11.
#include "desktop/command_line.h"

#include <CLI/CLI.hpp>

namespace voltaro {
namespace {

constexpr const char* kDescription =
    "VOLTARO ZIP 5: a car falls down an endless shaft of sinking plates. Ride them,\n"
    "jump, steer, shoot the enemies and collect the coins.\n";

constexpr const char* kControls =
    "Controls:\n"
    "  Enter         start a game on the title screen; leave the game-over screen\n"
    "  Left, Right   steer (the car keeps its sideways speed)\n"
    "  Up            jump, while standing on a plate\n"
    "  Z, V, D       fire left, right, up\n"
    "  P, Pause      pause and resume play\n"
    "  F11           fullscreen on and off (Alt+Enter too)\n"
    "  M             sound off and on\n"
    "  closing the window ends the program; an unfinished game is not scored\n";

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
      ->check(CLI::Range(1, 8));
  app.add_option("--scale", options.scale,
                 "Open the window at N times the playfield's size (1 to 16), or the largest "
                 "factor below N that fits the screen")
      ->type_name("N")
      ->check(CLI::Range(1, 16));
  app.add_flag("--fullscreen", options.fullscreen, "Start in fullscreen (F11 or Alt+Enter switch)");
  app.add_flag("--mute", options.mute, "Start with the sound off (M switches it on and off)");
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
  app.set_help_flag("--help", "Print this help, the controls and where the best score is kept");
  app.set_version_flag("--version", "voltaro5 " + facts.version, "Print the version and exit");
  DefineOptions(app, options);
  app.footer([&facts] {
    std::string text = kControls;
    if (facts.describeBestScoreFile) text += "\n" + facts.describeBestScoreFile();
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
    err << "voltaro5: " << error.what() << "\n\n" << app.help();
    return kBadCommandLine;
  }
  return options;
}

}  // namespace voltaro
