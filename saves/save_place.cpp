// The choice of the place for the saved files. The file system's answers and
// the folder's creation are system calls: file_ops_posix.cpp,
// file_ops_windows.cpp; the data folder and the form of paths differ between
// systems too: save_place_posix.cpp, save_place_windows.cpp.
#include "saves/save_place.h"

#include "saves/file_write.h"

namespace voltaro {
namespace {

struct Verdict {
  bool usable = false;
  std::string why;  // completes "the file ..." or "... because the file"
};

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

SavePlace ChooseSavePlace(const std::string& appDir, const SaveEnvironment& environment,
                          const SaveProbe& probe) {
  SavePlace place;
  const std::string programDir = FolderPath(appDir);
  place.programIni = programDir + kSaveFileName;
  const std::string dataDir = DataFolder(environment);
  if (!dataDir.empty()) place.dataIni = dataDir + kSaveFileName;

  const Verdict beside = Judge(place.programIni, probe, false);
  if (beside.usable) {
    place.spot = SaveSpot::kBesideProgram;
    place.iniPath = place.programIni;
    place.directory = programDir;
    place.why = "beside the program, as the file there " + beside.why;
    return place;
  }
  const std::string besideWhy = "the file beside the program " + beside.why;
  if (dataDir.empty()) {
    place.why = besideWhy + ", and " + kNoDataFolder;
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
    return "Best score: not kept, as " + place.why + ".\n  (" + ShownPath(place.programIni) +
           (place.dataIni.empty() ? "" : ", " + ShownPath(place.dataIni)) + ")\n";
  }
  return "Best score: " + ShownPath(place.iniPath) + "\n  (" + place.why + ")\n";
}

std::string SavePlaceWarning(const SavePlace& place) {
  if (place.spot != SaveSpot::kNowhere) return "";
  std::string text =
      "voltaro5: warning: the best score cannot be kept in " + ShownPath(place.programIni);
  if (!place.dataIni.empty()) text += " nor in " + ShownPath(place.dataIni);
  return text + ": " + place.why + "\n";
}

}  // namespace voltaro
