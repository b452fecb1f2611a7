// Where the game keeps what it saves: the best-score file "Voltaro5.ini" (and
// the settings in it), and the other files that go beside it.
//
// The file beside the program is used whenever it can be updated, so a copy
// of the game in a folder of its own keeps everything with it. When it cannot
// (a system-wide install, a read-only file or folder), the player's data
// folder takes its place: $XDG_DATA_HOME/voltaro5/, or ~/.local/share/voltaro5/
// when that variable is unset or not an absolute path; on Windows
// %APPDATA%\voltaro5\ (save_place_posix.cpp, save_place_windows.cpp: CMake
// builds one). The choice is made once at start-up, from facts that tests can
// make up (SaveProbe). Paths are UTF-8 with '/' between folders on every
// system; DescribeSavePlace shows them as the system writes them.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace voltaro {

inline constexpr const char* kSaveFileName = "Voltaro5.ini";
inline constexpr const char* kDataFolderName = "voltaro5";

// What is at a path and whether this process may change it.
enum class PathAccess {
  kMissing,   // nothing there
  kReadOnly,  // there, but it may not be written (or it is no file or folder)
  kWritable,  // a file that may be written, or a folder that may take new files
};

// The questions the choice asks the file system.
struct SaveProbe {
  // What is at the path, symbolic links followed.
  std::function<PathAccess(const std::string& path)> access;
  // The path a symbolic link finally points at; the path itself when it is no
  // link; nullopt for a link that leads nowhere.
  std::function<std::optional<std::string>(const std::string& path)> resolve;
};

// The real file system. A file without any write permission bit counts as
// read-only even for a run that could write it anyway (root).
SaveProbe RealSaveProbe();

// The environment variables the choice reads; nullopt when unset.
struct SaveEnvironment {
  std::optional<std::string> xdgDataHome;
  std::optional<std::string> home;
  std::optional<std::string> appData = std::nullopt;  // APPDATA, read on Windows only
};

SaveEnvironment ProcessSaveEnvironment();

enum class SaveSpot {
  kBesideProgram,  // the program's folder
  kDataFolder,     // the player's data folder
  kNowhere,        // neither can be written: nothing is saved
};

struct SavePlace {
  SaveSpot spot = SaveSpot::kNowhere;
  // The file to read and write, and its folder (ending in '/'); empty when
  // spot is kNowhere. Files kept beside it go into `directory`.
  std::string iniPath;
  std::string directory;
  // Both candidates, for reading the best score from each: the file beside
  // the program, and the one in the data folder (empty when neither
  // XDG_DATA_HOME nor HOME gives an absolute path; on Windows, APPDATA).
  std::string programIni;
  std::string dataIni;
  // Why the file is where it is, in a few words ("the program's folder is
  // read-only"); for --help and for the warning when nothing can be written.
  std::string why;
};

// Chooses the place for the program in `appDir` (ending in a separator).
SavePlace ChooseSavePlace(const std::string& appDir, const SaveEnvironment& environment,
                          const SaveProbe& probe);

// Creates the place's folder and the missing folders above it (mode 0700 for
// the new ones), so that files can be written into it. True when it exists.
bool MakeSaveDirectory(const SavePlace& place, std::string* whyNot);

// A few lines for --help: the file, and why it is there.
std::string DescribeSavePlace(const SavePlace& place);

// The one warning when nothing can be written, naming both places; empty
// otherwise.
std::string SavePlaceWarning(const SavePlace& place);

// ---- What each system gives (save_place_posix.cpp, save_place_windows.cpp) --

// The folder `dir` in the game's form: '/' between folders, ending in '/'.
std::string FolderPath(std::string dir);
// Whether `path` names a place from the top of a file system.
bool IsAbsolutePath(const std::string& path);
// The player's data folder for the game ("" when the environment names
// none), and why there is none, for the reason nothing is saved.
std::string DataFolder(const SaveEnvironment& environment);
extern const char* const kNoDataFolder;
// A path as the player's system writes it.
std::string ShownPath(std::string path);

}  // namespace voltaro
