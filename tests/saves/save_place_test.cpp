// Where the best score is kept: the choice of place on a made-up file system
// (the tests run as root, which may write anything), and on a real one the
// record that another copy of the game may have beaten.
#include "saves/save_place.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "saves/high_score.h"
#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;
using A = PathAccess;
using S = SaveSpot;

// A file system of paths and what they allow; links map to their target
// ("" for a link that leads nowhere). Anything not listed is missing.
struct FakeFiles {
  std::map<std::string, A> paths;
  std::map<std::string, std::string> links;
  SaveProbe Probe() const {
    return {[this](const std::string& path) {
              const auto found = paths.find(path);
              return found == paths.end() ? A::kMissing : found->second;
            },
            [this](const std::string& path) -> std::optional<std::string> {
              const auto link = links.find(path);
              if (link == links.end()) return path;
              if (link->second.empty()) return std::nullopt;
              return link->second;
            }};
  }
};

TEST(SavePlace, BesideTheProgramWhenItCanBeUpdatedElseTheDataFolder) {
  const std::string ini = "/opt/v5/Voltaro5.ini", dir = "/opt/v5/", home = "/home/p";
  const std::string homeIni = "/home/p/.local/share/voltaro5/Voltaro5.ini";
  const std::string xdgIni = "/xdg/voltaro5/Voltaro5.ini";
  const std::optional<std::string> unset;
  struct Case {
    const char* what;
    FakeFiles files;
    std::optional<std::string> xdg, home;
    S spot;
    std::string iniPath, dataIni;
  };
  const FakeFiles roDir{{{"/opt/v5", A::kReadOnly}, {home, A::kWritable}}, {}};
  // clang-format off
  const Case cases[] = {
      {"writable folder, no file", {{{"/opt/v5", A::kWritable}}, {}}, unset, home,
       S::kBesideProgram, ini, homeIni},
      {"writable folder and file", {{{"/opt/v5", A::kWritable}, {ini, A::kWritable}}, {}}, unset,
       home, S::kBesideProgram, ini, homeIni},
      {"read-only folder, writable file", {{{"/opt/v5", A::kReadOnly}, {ini, A::kWritable}}, {}},
       unset, home, S::kBesideProgram, ini, homeIni},
      {"read-only file, writable folder",
       {{{"/opt/v5", A::kWritable}, {ini, A::kReadOnly}, {home, A::kWritable}}, {}}, unset, home,
       S::kDataFolder, homeIni, homeIni},
      {"link to a writable file elsewhere",
       {{{"/opt/v5", A::kReadOnly}, {"/srv", A::kReadOnly}, {"/srv/v.ini", A::kWritable}},
        {{ini, "/srv/v.ini"}}}, unset, home, S::kBesideProgram, ini, homeIni},
      {"link to a read-only file",
       {{{"/opt/v5", A::kWritable}, {"/srv/v.ini", A::kReadOnly}, {home, A::kWritable}},
        {{ini, "/srv/v.ini"}}}, unset, home, S::kDataFolder, homeIni, homeIni},
      {"link that leads nowhere", {{{"/opt/v5", A::kWritable}, {home, A::kWritable}}, {{ini, ""}}},
       unset, home, S::kDataFolder, homeIni, homeIni},
      {"no file anywhere, read-only folder, HOME", roDir, unset, home, S::kDataFolder, homeIni,
       homeIni},
      {"XDG_DATA_HOME absolute", {{{"/opt/v5", A::kReadOnly}, {"/", A::kWritable}}, {}},
       "/xdg", home, S::kDataFolder, xdgIni, xdgIni},
      {"XDG_DATA_HOME relative", roDir, "xdg", home, S::kDataFolder, homeIni, homeIni},
      {"XDG_DATA_HOME empty", roDir, "", home, S::kDataFolder, homeIni, homeIni},
      {"HOME unset, XDG_DATA_HOME set", {{{"/opt/v5", A::kReadOnly}, {"/xdg", A::kWritable}}, {}},
       "/xdg", unset, S::kDataFolder, xdgIni, xdgIni},
      {"HOME unset", roDir, unset, unset, S::kNowhere, "", ""},
      {"HOME relative", roDir, unset, "p", S::kNowhere, "", ""},
      {"nothing writable", {{{"/opt/v5", A::kReadOnly}, {home, A::kReadOnly}}, {}}, unset, home,
       S::kNowhere, "", homeIni},
      {"read-only file in the data folder",
       {{{"/opt/v5", A::kReadOnly}, {home, A::kWritable}, {homeIni, A::kReadOnly}}, {}}, unset,
       home, S::kNowhere, "", homeIni},
      {"writable file in a read-only data folder",
       {{{"/opt/v5", A::kReadOnly}, {home, A::kReadOnly}, {homeIni, A::kWritable}}, {}}, unset,
       home, S::kDataFolder, homeIni, homeIni},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SavePlace place = ChooseSavePlace(dir, {c.xdg, c.home}, c.files.Probe());
    EXPECT_EQ(place.spot, c.spot);
    EXPECT_EQ(place.iniPath, c.iniPath);
    EXPECT_EQ(place.programIni, ini);
    EXPECT_EQ(place.dataIni, c.dataIni);
    EXPECT_EQ(place.directory, c.iniPath.substr(0, c.iniPath.rfind('/') + 1));
    EXPECT_NE(place.why, "");
    const std::string warning = SavePlaceWarning(place);
    if (c.spot == S::kNowhere) {
      EXPECT_NE(warning.find(ini), std::string::npos) << warning;
      EXPECT_NE(warning.find(c.dataIni), std::string::npos) << warning;
      EXPECT_EQ(warning.find('\n'), warning.size() - 1) << "one line: " << warning;
    } else {
      EXPECT_EQ(warning, "");
    }
    EXPECT_NE(DescribeSavePlace(place).find(c.spot == S::kNowhere ? "not kept" : c.iniPath),
              std::string::npos);
  }
}

class SaveOnDisk : public ::testing::Test {
 protected:
  static std::string Ini(int score) {
    return "[VOLTARO ZIP 5]\nHighScore=" + std::to_string(score) + "\n";
  }
  SavePlace Place(const std::string& program, const std::string& data) const {
    SavePlace place;
    place.spot = SaveSpot::kBesideProgram;
    place.programIni = dir_ / program / kSaveFileName;
    place.dataIni = dir_ / data / kSaveFileName;
    place.iniPath = place.programIni;
    place.directory = (dir_ / program).string() + "/";
    return place;
  }
  const TempFolder dir_;
};

TEST_F(SaveOnDisk, RealProbeCallsAFileWithoutWriteBitsReadOnlyEvenForRoot) {
  const SaveProbe probe = RealSaveProbe();
  WriteWholeFile(dir_ / "ro.ini", "x");
  fs::permissions(dir_ / "ro.ini", fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink(dir_ / "ro.ini", dir_ / "link.ini");
  EXPECT_EQ(probe.access((dir_ / "ro.ini").string()), A::kReadOnly);
  EXPECT_EQ(probe.access((dir_ / "none" / "x").string()), A::kMissing);
  EXPECT_EQ(probe.access(dir_.path().string()), A::kWritable);
  EXPECT_EQ(probe.resolve((dir_ / "link.ini").string()), (dir_ / "ro.ini").string());
  EXPECT_EQ(probe.resolve((dir_ / "ro.ini").string()), (dir_ / "ro.ini").string());
}

TEST_F(SaveOnDisk, BestScoreStartsFromTheHigherFileAndNeverLowersARecord) {
  fs::create_directory(dir_ / "prog");
  const SavePlace place = Place("prog", "data/voltaro5");
  // The program's file, the data folder's file ("-": none), the best score to start with.
  const std::tuple<std::string, std::string, std::int32_t> starts[] = {
      {"-", "-", 0},      {Ini(10), Ini(20), 20}, {Ini(20), Ini(10), 20},
      {Ini(30), "-", 30}, {"-", Ini(-5), -5},     {"[VOLTARO ZIP 5]\nHighScore=x\n", Ini(7), 7}};
  for (const auto& [program, data, best] : starts) {
    SCOPED_TRACE(program + " / " + data);
    fs::remove_all(dir_ / "data");
    fs::remove(place.programIni);
    if (program != "-") WriteWholeFile(place.programIni, program);
    if (data != "-") {
      fs::create_directories(dir_ / "data/voltaro5");
      WriteWholeFile(place.dataIni, data);
    }
    std::ostringstream warnings;
    EXPECT_EQ(ReadBestScore(place, warnings), best);
  }

  // Another copy of the game stored 500 since this one started: it is kept and shown.
  std::ostringstream warnings;
  WriteWholeFile(place.programIni, "; mine\n" + Ini(500));
  EXPECT_EQ(StoreBestScore(place, 300, warnings), 500);
  EXPECT_EQ(StoreBestScore(place, 500, warnings), 500);
  EXPECT_EQ(ReadWholeFile(place.programIni), "; mine\n" + Ini(500));
  EXPECT_EQ(StoreBestScore(place, 501, warnings), 501);
  EXPECT_EQ(ReadWholeFile(place.programIni), "; mine\n" + Ini(501));
  EXPECT_EQ(warnings.str(), "");
}

TEST_F(SaveOnDisk, DataFolderIsMadeForTheFirstRecordOnlyForThePlayer) {
  fs::create_directory(dir_ / "home");
  SavePlace place = Place("prog", "home/.local/share/voltaro5");
  place.spot = SaveSpot::kDataFolder;
  place.iniPath = place.dataIni;
  place.directory = (dir_ / "home/.local/share/voltaro5").string() + "/";
  std::ostringstream warnings;
  EXPECT_EQ(StoreBestScore(place, 42, warnings), 42);
  EXPECT_EQ(warnings.str(), "");
  EXPECT_EQ(ReadWholeFile(place.dataIni), Ini(42));
  for (const char* made : {"home/.local", "home/.local/share", "home/.local/share/voltaro5"}) {
    EXPECT_EQ(fs::status(dir_ / made).permissions(), fs::perms::owner_all) << made;
  }
  EXPECT_FALSE(fs::exists(place.programIni));

  // Beside the program, but no longer writable there: the data folder takes it.
  SavePlace beside = Place("prog", "home/.local/share/voltaro5");
  fs::create_directories(beside.programIni);  // a folder in the file's place
  EXPECT_EQ(StoreBestScore(beside, 50, warnings), 50);
  EXPECT_EQ(ReadWholeFile(place.dataIni), Ini(50));
  EXPECT_NE(warnings.str().find(beside.programIni + ": cannot store the best score 50"),
            std::string::npos)
      << warnings.str();
  EXPECT_NE(warnings.str().find("the best score 50 is kept in " + place.dataIni + " instead\n"),
            std::string::npos)
      << warnings.str();
  WriteWholeFile(place.dataIni, Ini(70));  // and a higher record there is kept and shown
  EXPECT_EQ(StoreBestScore(beside, 60, warnings), 70);
  EXPECT_EQ(ReadWholeFile(place.dataIni), Ini(70));
  fs::remove(place.dataIni);
  fs::create_directories(place.dataIni);  // neither place takes it: kept for this run only
  EXPECT_EQ(StoreBestScore(beside, 80, warnings), 80);

  warnings.str("");
  place.spot = SaveSpot::kNowhere;  // warned once at start-up, not at each record
  EXPECT_EQ(StoreBestScore(place, 43, warnings), 43);
  EXPECT_EQ(warnings.str(), "");
}

}  // namespace
}  // namespace voltaro
