// The command line of voltaro5: the options as a plain struct, and the parse
// that either fills it or says with which status to exit at once (after
// --help, --version or a bad option). main() calls it before anything else.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <variant>

namespace voltaro {

// What the player asked for on the command line. Each option of a feature is
// one field here and one line in DefineOptions (command_line.cpp).
struct CommandLine {
  std::string recordPath;   // --record: also save each game here
  std::string replayPath;   // --replay: show this recorded game instead of playing
  int replaySpeed = 1;      // --replay-speed: frames per frame period (with --replay only)
  int scale = 0;            // --scale: open the window at this factor (0: as the settings say)
  bool fullscreen = false;  // --fullscreen: start in fullscreen
  bool mute = false;        // --mute: start with the sound off
};

// What --help and --version show that the parse cannot know by itself.
struct CommandLineFacts {
  std::string version;  // the program's version, "1.0"
  // Where the best score would be kept, and why there (one or more lines,
  // each ending in '\n'); asked only when --help is given.
  std::function<std::string()> describeBestScoreFile;
};

// The program's version, from the build ("1.0").
std::string ProgramVersion();

// The exit status for a command line the program cannot run with: a bad or
// unknown option, a missing value, a value out of range, --replay-speed
// without --replay, or a stray argument.
inline constexpr int kBadCommandLine = 2;

// Parses argv. Returns the options to run with, or the status to exit with
// at once: 0 after -h or --help (usage, controls, the files kept) or
// --version went to `out`; kBadCommandLine after one line naming the option
// and the problem, ending in "(try --help)", went to `err`.
std::variant<CommandLine, int> ParseCommandLine(int argc, const char* const* argv,
                                                const CommandLineFacts& facts, std::ostream& out,
                                                std::ostream& err);

}  // namespace voltaro
