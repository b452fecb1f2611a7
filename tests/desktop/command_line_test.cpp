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
    int status;  // -1: the game runs
    std::vector<std::string> inOut, inErr;
  };
  const Case cases[] = {
      {{}, -1, {}, {}},
      {{"--help"}, 0, {"Usage: voltaro5", "--version", "Enter", "Best score: /x/Voltaro5.ini"}, {}},
      {{"--version"}, 0, {"voltaro5 " + ProgramVersion() + "\n"}, {}},
      {{"--help", "--bogus"}, 0, {"Usage: voltaro5"}, {}},
      {{"--bogus"}, kBadCommandLine, {}, {"voltaro5: ", "--bogus", "Usage: voltaro5"}},
      {{"-h"}, kBadCommandLine, {}, {"-h", "Usage: voltaro5"}},
      {{"stray"}, kBadCommandLine, {}, {"stray", "Usage: voltaro5"}},
      {{"--scale", "16", "--fullscreen", "--replay-speed", "8"}, -1, {}, {}},
      {{"--scale", "1", "--replay-speed", "1"}, -1, {}, {}},
      {{"--scale", "0"}, kBadCommandLine, {}, {"--scale", "Usage: voltaro5"}},
      {{"--scale", "17"}, kBadCommandLine, {}, {"--scale"}},
      {{"--scale"}, kBadCommandLine, {}, {"--scale"}},
      {{"--replay-speed", "0"}, kBadCommandLine, {}, {"--replay-speed"}},
      {{"--replay-speed", "9"}, kBadCommandLine, {}, {"--replay-speed"}},
      {{"--replay-speed", "x"}, kBadCommandLine, {}, {"--replay-speed"}},
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
    for (const std::string& text : c.inErr)
      EXPECT_NE(err.str().find(text), std::string::npos) << err.str();
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
