// The warnings' log: this run's whole lines only, on the console as well, and
// no file for a run with nothing to say.
#include "saves/warning_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

TEST(WarningLog, HoldsThisRunsWarningsOnly) {
  const testing::TempFolder folder;
  const std::string path = folder / kWarningLogFile;
  const std::pair<std::string, std::string> saidAndKept[] = {
      {"", ""}, {"a\nb\n", "a\nb\n"}, {"a\nhalf a line", "a\n"}};
  for (const auto& [said, kept] : saidAndKept) {
    testing::WriteWholeFile(path, "an earlier run's\n");
    std::ostringstream console;
    WarningLog log(path, console);
    log.Stream() << said;
    EXPECT_EQ(console.str(), said);
    EXPECT_EQ(testing::ReadWholeFile(path), kept) << said;
    EXPECT_EQ(folder.Names().size(), kept.empty() ? 0u : 1u) << said;
  }
}

}  // namespace
}  // namespace voltaro
