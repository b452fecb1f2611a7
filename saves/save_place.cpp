// The choice of the place for the saved files. The file system's answers and
// the folder's creation are system calls: file_ops_posix.cpp,
// file_ops_windows.cpp.
#include "saves/save_place.h"

#include <cstdlib>

#include "saves/file_write.h"

namespace voltaro {
namespace {

struct Verdict {
  bool usable = false;
  std::string why;  // completes "the file ..." or "... because the file"
};

bool IsAbsolute(const std::optional<std::string>& path) {
  return path && !path->empty() && path->front() == '/';
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

// Whether the file at `path` can be kept up to date; `makeFolders` when
// missing folders above it would be created.
Verdict Judge(const std::string& path, const SaveProbe& probe, bool makeFolders) {
  const std::optional<std::string> resolved = probe.resolve(path);
  if (!resolved) return {false, "is a symbolic link that leads nowhere"};
  switch (probe.access(*resolved)) {
    case PathAccess::kReadOnly:
      return {false, "is read-only"};
    case PathAccess::kWritable:
      if (probe.access(DirectoryOf(*resolved)) == PathAccess::kWritable) {
        return {true, "can be replaced"};
      }
      return {true, "is writable (its folder is not, so it is written in place)"};
    case PathAccess::kMissing:
      break;
  }
  std::string folder = DirectoryOf(*resolved);
  PathAccess access = probe.access(folder);
  while (makeFolders && access == PathAccess::kMissing && folder != "/" && folder != ".") {
    folder = DirectoryOf(folder);
    access = probe.access(folder);
  }
  if (access == PathAccess::kWritable) return {true, "can be created"};
  if (access == PathAccess::kMissing)
    return {false, "cannot be created (no folder " + folder + ")"};
  return {false, "cannot be created (" + folder + " is read-only)"};
}

}  // namespace

SaveEnvironment ProcessSaveEnvironment() {
  SaveEnvironment environment;
  if (const char* value = std::getenv("XDG_DATA_HOME")) environment.xdgDataHome = value;
  if (const char* value = std::getenv("HOME")) environment.home = value;
  return environment;
}

SavePlace ChooseSavePlace(const std::string& appDir, const SaveEnvironment& environment,
                          const SaveProbe& probe) {
  SavePlace place;
  place.programIni = WithSlash(appDir) + kSaveFileName;
  std::string dataDir;
  if (IsAbsolute(environment.xdgDataHome)) {
    dataDir = WithSlash(*environment.xdgDataHome) + kDataFolderName + "/";
  } else if (IsAbsolute(environment.home)) {
    dataDir = WithSlash(*environment.home) + ".local/share/" + kDataFolderName + "/";
  }
  if (!dataDir.empty()) place.dataIni = dataDir + kSaveFileName;

  const Verdict beside = Judge(place.programIni, probe, false);
  if (beside.usable) {
    place.spot = SaveSpot::kBesideProgram;
    place.iniPath = place.programIni;
    place.directory = WithSlash(appDir);
    place.why = "beside the program, as the file there " + beside.why;
    return place;
  }
  const std::string besideWhy = "the file beside the program " + beside.why;
  if (dataDir.empty()) {
    place.why = besideWhy + ", and neither XDG_DATA_HOME nor HOME names a data folder";
    return place;
  }
  const Verdict data = Judge(place.dataIni, probe, true);
  if (!data.usable) {
    place.why = besideWhy + ", and the one in the data folder " + data.why;
    return place;
  }
  place.spot = SaveSpot::kDataFolder;
  place.iniPath = place.dataIni;
  place.directory = dataDir;
  place.why = "in the player's data folder, as " + besideWhy;
  return place;
}

std::string DescribeSavePlace(const SavePlace& place) {
  if (place.spot == SaveSpot::kNowhere) {
    return "Best score: not kept, as " + place.why + ".\n  (" + place.programIni +
           (place.dataIni.empty() ? "" : ", " + place.dataIni) + ")\n";
  }
  return "Best score: " + place.iniPath + "\n  (" + place.why + ")\n";
}

std::string SavePlaceWarning(const SavePlace& place) {
  if (place.spot != SaveSpot::kNowhere) return "";
  std::string text = "voltaro5: warning: the best score cannot be kept in " + place.programIni;
  if (!place.dataIni.empty()) text += " nor in " + place.dataIni;
  return text + ": " + place.why + "\n";
}

}  // namespace voltaro
