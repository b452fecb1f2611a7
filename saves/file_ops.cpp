// The steps of a whole-file write and of a bounded read that are the same on
// every system, made of the calls each system gives (file_ops.h). Called by
// WriteFileAtomically and ReadProfileFile in file_ops_posix.cpp and
// file_ops_windows.cpp.
#include "saves/file_ops.h"

#include <cerrno>

namespace voltaro::file_ops {
namespace {

// Removes the temporary file unless the write got as far as renaming it.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  ~TempFileGuard() {
    if (!path_.empty()) RemoveQuietly(path_);
  }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace

bool Fail(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return false;
}

bool WriteInPlace(const std::string& target, std::string_view bytes, std::string* whyNot,
                  const FileWriteOps& ops) {
  const int fd = OpenExisting(target);
  if (fd < 0) {
    const int error = errno;
    return Fail(whyNot, "cannot open the file for writing (" + ErrnoText(error) + ")");
  }
  FileDescriptor descriptor(fd);
  int error = 0;
  if (!WriteAllBytes(ops, fd, bytes, error)) {
    return Fail(whyNot, "cannot write the file in place (" + ErrnoText(error) + ")");
  }
  if ((error = CutTo(fd, bytes.size())) != 0) {
    return Fail(whyNot, "cannot cut the file to its new length (" + ErrnoText(error) + ")");
  }
  if (ops.fsync(fd) != 0) {
    error = errno;
    return Fail(whyNot, "cannot sync the file (" + ErrnoText(error) + ")");
  }
  if ((error = descriptor.Close()) != 0) {
    return Fail(whyNot, "cannot close the file (" + ErrnoText(error) + ")");
  }
  return true;
}

WriteWay WriteThroughTemporaryFile(const std::string& target, std::string_view bytes, bool exists,
                                   std::string* whyNot, const FileWriteOps& ops,
                                   const std::function<void(int fd)>& adopt) {
  std::string tempPath;
  int fd = -1;
  int error = 0;
  const std::string stem = target + ".tmp-" + std::to_string(ProcessNumber());
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath = attempt == 0 ? stem : stem + "." + std::to_string(attempt);
    fd = CreateNew(tempPath);
    if (fd < 0 && (error = errno) != EEXIST) break;
  }
  if (fd < 0) {
    // A folder the player may not write to, holding a file they may.
    if (exists && (error == EACCES || error == EPERM)) {
      return WriteInPlace(target, bytes, whyNot, ops) ? WriteWay::kInPlace : WriteWay::kFailed;
    }
    Fail(whyNot, "cannot create the temporary file " + tempPath + " (" + ErrnoText(error) + ")");
    return WriteWay::kFailed;
  }
  // The file is closed before the guard removes it: Windows deletes no open file.
  TempFileGuard removeTemp(tempPath);
  FileDescriptor descriptor(fd);
  adopt(fd);
  std::string reason;
  if (!WriteAllBytes(ops, fd, bytes, error)) {
    reason = "cannot write " + tempPath;
  } else if (ops.fsync(fd) != 0) {
    error = errno;
    reason = "cannot sync " + tempPath;
  } else if ((error = descriptor.Close()) != 0) {
    reason = "cannot close " + tempPath;
  } else if (ops.rename(tempPath.c_str(), target.c_str()) != 0) {
    error = errno;
    reason = "cannot rename " + tempPath + " over the file";
  } else {
    removeTemp.Release();
    return WriteWay::kReplaced;
  }
  Fail(whyNot, reason + " (" + ErrnoText(error) + ")");
  return WriteWay::kFailed;
}

void ReadBounded(int fd, long long size, ProfileFile& file) {
  file.state = ProfileFile::State::kUnreadable;
  if (size < 0 || static_cast<unsigned long long>(size) > kProfileFileMaxBytes) {
    file.error = "too large (" + std::to_string(size) + " bytes)";
    return;
  }
  std::string bytes;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ReadSome(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      file.error = ErrnoText(errno);
      return;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > kProfileFileMaxBytes) {
      file.error = "too large (over " + std::to_string(kProfileFileMaxBytes) + " bytes)";
      return;
    }
  }
  file.state = ProfileFile::State::kRead;
  file.bytes = std::move(bytes);
}

}  // namespace voltaro::file_ops
