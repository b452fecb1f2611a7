// The warnings' log: this run's warnings only, on the console as well, and no
// file for a run with nothing to say.
#include "saves/warning_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

TEST(WarningLog, HoldsThisRunsWarningsOnly) {
  const testing::TempFolder folder;
  const std::string path = folder / kWarningLogFile;
  struct Case {
    std::string said;  // what this run warns
    std::string file;  // the log afterwards; "" for none
  };
  const Case cases[] = {
      {"", ""},
      {"voltaro5: warning: one\n", "voltaro5: warning: one\n"},
      {"voltaro5: warning: one\nvoltaro5: warning: two\n",
       "voltaro5: warning: one\nvoltaro5: warning: two\n"},
      {"voltaro5: warning: half a line", ""},  // kept once the line is whole
  };
  for (const Case& c : cases) {
    testing::WriteWholeFile(path, "voltaro5: warning: an earlier run's\n");
    std::ostringstream console;
    WarningLog log(path, console);
    log.Stream() << c.said;
    EXPECT_EQ(console.str(), c.said);
    EXPECT_EQ(testing::ReadWholeFile(path), c.file) << c.said;
    EXPECT_EQ(folder.Names().size(), c.file.empty() ? 0u : 1u) << c.said;
  }
  // Without a folder to keep it in, the console alone.
  std::ostringstream console;
  WarningLog nowhere("", console);
  nowhere.Stream() << "voltaro5: warning: x\n";
  EXPECT_EQ(console.str(), "voltaro5: warning: x\n");
}

}  // namespace
}  // namespace voltaro
