// Where the Windows game keeps its record, on the real file system under
// wine: beside voltaro5.exe when that can be updated, else in
// %APPDATA%\voltaro5\, else nowhere; in folders named with any letters, and
// the record written there read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "saves/high_score.h"
#include "saves/save_place.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::u8string& text) {
  return std::string(text.begin(), text.end());
}

// Removes a folder, read-only files and all.
void RemoveAll(const fs::path& folder) {
  if (!fs::exists(folder)) return;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
  }
  fs::remove_all(folder);
}

TEST(WindowsSavePlace, BesideTheProgramElseAppDataElseNowhere) {
  const fs::path root =
      fs::temp_directory_path() / ("voltaro5-" + std::to_string(std::random_device()()));
  const fs::path program = root / u8"Jöran" / u8"Spiele ✓";
  const fs::path appData = root / u8"Jöran" / "AppData" / "Roaming";
  enum class Beside { kNothing, kReadOnlyFile, kNoFolder };
  struct Case {
    const char* what;
    Beside beside;
    std::optional<std::string> appData;
    SaveSpot spot;
  };
  const std::string absolute = Utf8(appData.u8string());
  const Case cases[] = {
      {"a folder that takes new files", Beside::kNothing, absolute, SaveSpot::kBesideProgram},
      {"a read-only file", Beside::kReadOnlyFile, absolute, SaveSpot::kDataFolder},
      {"no folder", Beside::kNoFolder, absolute, SaveSpot::kDataFolder},
      {"a read-only file, no APPDATA", Beside::kReadOnlyFile, std::nullopt, SaveSpot::kNowhere},
      {"a read-only file, APPDATA relative", Beside::kReadOnlyFile, "AppData", SaveSpot::kNowhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveAll(root);
    fs::create_directories(appData);
    if (c.beside != Beside::kNoFolder) fs::create_directories(program);
    if (c.beside == Beside::kReadOnlyFile) {
      std::ofstream(program / "Voltaro5.ini") << "[VOLTARO ZIP 5]\r\nHighScore=7\r\n";
      fs::permissions(program / "Voltaro5.ini", fs::perms::owner_read);
    }
    // As SDL gives the program's folder: '\' between folders and at the end.
    const std::string programDir = Utf8(program.u8string()) + "\\";
    SaveEnvironment environment;
    environment.appData = c.appData;
    const SavePlace place = ChooseSavePlace(programDir, environment, RealSaveProbe());
    EXPECT_EQ(place.spot, c.spot) << place.why;
    if (c.spot == SaveSpot::kNowhere) {
      EXPECT_NE(SavePlaceWarning(place).find(Utf8(program.u8string())), std::string::npos)
          << SavePlaceWarning(place);
      EXPECT_NE(place.why.find("APPDATA"), std::string::npos) << place.why;
      continue;
    }
    const fs::path file = c.spot == SaveSpot::kBesideProgram
                              ? program / "Voltaro5.ini"
                              : appData / "voltaro5" / "Voltaro5.ini";
    EXPECT_EQ(place.iniPath, Utf8(file.generic_u8string()));
    EXPECT_NE(DescribeSavePlace(place).find(Utf8(file.u8string())), std::string::npos)
        << DescribeSavePlace(place);
    std::ostringstream warnings;
    EXPECT_EQ(StoreBestScore(place, 4321, warnings), 4321);
    EXPECT_EQ(ReadBestScore(place, warnings), 4321);
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(warnings.str(), "");
  }
  RemoveAll(root);
}

TEST(WindowsSavePlace, AppDataIsReadAsUtf8) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\J\u00f6ran\\AppData\\Roaming"));
  EXPECT_EQ(ProcessSaveEnvironment().appData, "C:\\Users\\J\xc3\xb6ran\\AppData\\Roaming");
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", nullptr));
  EXPECT_EQ(ProcessSaveEnvironment().appData, std::nullopt);
}

}  // namespace
}  // namespace voltaro
