// The command line: which arguments run the game, which end the program at
// once, with which status, and what goes to which stream.
#include "desktop/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace voltaro {
namespace {

TEST(CommandLine, ExitsOrRunsWithTheRightStatusAndStream) {
  struct Case {
    std::vector<const char*> args;
    int status;                      // -1: the game runs
    std::vector<std::string> inOut;  // found in standard output
    std::vector<std::string> inErr;  // how standard error starts (the whole of it with a line end)
  };
  const Case cases[] = {
      {{}, -1, {}, {}},
      {{"--help"}, 0, {"Usage: voltaro5", "--version", "Enter", "Best score: /x/Voltaro5.ini"}, {}},
      {{"-h"}, 0, {"last.v5replay", "best.v5replay", "voltaro5.log"}, {}},
      {{"--version"}, 0, {"voltaro5 " + ProgramVersion() + "\n"}, {}},
      {{"--help", "--bogus"}, 0, {"Usage: voltaro5"}, {}},
      // A bad command line is one line, naming the option, without the usage.
      {{"--bogus"}, kBadCommandLine, {}, {"voltaro5: --bogus: unknown option (try --help)\n"}},
      {{"-x", "--mute"}, kBadCommandLine, {}, {"voltaro5: -x: unknown option (try --help)\n"}},
      {{"stray"}, kBadCommandLine, {}, {"voltaro5: \"stray\": unexpected argument (try --help)\n"}},
      {{"--scale", "16", "--fullscreen", "--replay", "a", "--replay-speed", "8"}, -1, {}, {}},
      {{"--scale", "1", "--replay", "a", "--replay-speed", "1"}, -1, {}, {}},
      {{"--scale", "0"},
       kBadCommandLine,
       {},
       {"voltaro5: --scale: \"0\" is not a whole number from 1 to 16 (try --help)\n"}},
      {{"--scale=17"}, kBadCommandLine, {}, {"voltaro5: --scale: \"17\" is not a whole"}},
      {{"--scale", "-1"}, kBadCommandLine, {}, {"voltaro5: --scale: "}},
      {{"--scale"}, kBadCommandLine, {}, {"voltaro5: --scale: a value is missing (try --help)\n"}},
      {{"--replay", "a", "--replay-speed", "0"},
       kBadCommandLine,
       {},
       {"voltaro5: --replay-speed: \"0\" is not a whole number from 1 to 8 (try --help)\n"}},
      {{"--replay", "a", "--replay-speed", "x"},
       kBadCommandLine,
       {},
       {"voltaro5: --replay-speed: \"x\""}},
      {{"--replay-speed", "2"},
       kBadCommandLine,
       {},
       {"voltaro5: --replay-speed: only with --replay FILE (try --help)\n"}},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"voltaro5"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(::testing::PrintToString(argv));
    std::ostringstream out, err;
    int asked = 0;
    const CommandLineFacts facts{ProgramVersion(), [&asked] {
                                   ++asked;
                                   return std::string("Best score: /x/Voltaro5.ini\n");
                                 }};
    const auto parsed =
        ParseCommandLine(static_cast<int>(argv.size()), argv.data(), facts, out, err);
    const int* status = std::get_if<int>(&parsed);
    EXPECT_EQ(status ? *status : -1, c.status);
    for (const std::string& text : c.inOut)
      EXPECT_NE(out.str().find(text), std::string::npos) << out.str();
    // The first line of a complaint: the whole of it when the case says where it ends.
    for (const std::string& text : c.inErr) {
      EXPECT_EQ(err.str().substr(0, text.size()), text);
      if (text.ends_with('\n')) {
        EXPECT_EQ(err.str(), text);
      }
    }
    if (c.inOut.empty()) {
      EXPECT_EQ(out.str(), "");
    }
    if (c.inErr.empty()) {
      EXPECT_EQ(err.str(), "");
    }
    EXPECT_LE(asked, 1);
  }
}

}  // namespace
}  // namespace voltaro
