// The save files' system calls on POSIX systems (Linux, and the page's
// emulated file system): whole-file writes (temporary file, sync, rename and
// directory sync, or in place when only the file itself can be written), the
// bounded read of a profile file, and the questions and folders of the save
// place. file_ops_windows.cpp is the same for Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "saves/file_write.h"
#include "saves/profile_file.h"
#include "saves/save_place.h"

namespace voltaro {
namespace {

// Removes the temporary file unless the write got as far as renaming it.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  ~TempFileGuard() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

bool Fail(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return false;
}

// Over the old bytes, then cut to length and synced: the file keeps its
// identity, so its links, owner and mode stay as they are.
bool WriteInPlace(const std::string& target, std::string_view bytes, std::string* whyNot,
                  const FileWriteOps& ops) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
  if (fd < 0) {
    const int error = errno;
    return Fail(whyNot, "cannot open the file for writing (" + ErrnoText(error) + ")");
  }
  FileDescriptor descriptor(fd);
  int error = 0;
  if (!WriteAllBytes(ops, fd, bytes, error)) {
    return Fail(whyNot, "cannot write the file in place (" + ErrnoText(error) + ")");
  }
  if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) {
    error = errno;
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

bool IsReadOnly(const std::string& target, const struct stat& info) {
  return (info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0;
}

}  // namespace

ssize_t SystemWrite(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size);
}

int SystemSync(int fd) {
  return ::fsync(fd);
}

int SystemRename(const char* from, const char* to) {
  return ::rename(from, to);
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::Close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0 ? 0 : errno;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* whyNot,
                         const FileWriteOps& ops) {
  // Through a symbolic link the file it points at is replaced, not the link.
  std::string target = path;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
      const int linkError = errno;
      return Fail(whyNot, "cannot follow the symbolic link (" + ErrnoText(linkError) + ")");
    }
    target = resolved;
    std::free(resolved);
  }
  const bool exists = ::lstat(target.c_str(), &info) == 0;
  if (exists) {
    if (!S_ISREG(info.st_mode)) return Fail(whyNot, "not a regular file");
    if (IsReadOnly(target, info)) return Fail(whyNot, "the file is read-only");
    if (info.st_nlink > 1) return WriteInPlace(target, bytes, whyNot, ops);
  }

  // The temporary file lives beside the target so that the rename stays
  // within one file system and is atomic.
  std::string tempPath;
  int fd = -1;
  int error = 0;
  const std::string stem = target + ".tmp-" + std::to_string(::getpid());
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath = attempt == 0 ? stem : stem + "." + std::to_string(attempt);
    fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && (error = errno) != EEXIST) break;
  }
  if (fd < 0) {
    // A folder the player may not write to, holding a file they may.
    if (exists && (error == EACCES || error == EPERM)) {
      return WriteInPlace(target, bytes, whyNot, ops);
    }
    return Fail(whyNot,
                "cannot create the temporary file " + tempPath + " (" + ErrnoText(error) + ")");
  }
  FileDescriptor descriptor(fd);
  TempFileGuard removeTemp(tempPath);

  if (exists) {
    // The new file takes the old one's owner and mode, so that a run with
    // more rights does not take the file away from its owner. Best effort.
    if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
      // Only a privileged run may hand a file to another owner; then it is ours.
    }
    ::fchmod(fd, info.st_mode & 07777);
  }
  if (!WriteAllBytes(ops, fd, bytes, error)) {
    return Fail(whyNot, "cannot write " + tempPath + " (" + ErrnoText(error) + ")");
  }
  if (ops.fsync(fd) != 0) {
    error = errno;
    return Fail(whyNot, "cannot sync " + tempPath + " (" + ErrnoText(error) + ")");
  }
  if ((error = descriptor.Close()) != 0) {
    return Fail(whyNot, "cannot close " + tempPath + " (" + ErrnoText(error) + ")");
  }
  if (ops.rename(tempPath.c_str(), target.c_str()) != 0) {
    error = errno;
    return Fail(whyNot, "cannot rename " + tempPath + " over the file (" + ErrnoText(error) + ")");
  }
  removeTemp.Release();

  // Syncing the directory makes the rename itself durable. The new file is in
  // place whatever this returns; some file systems refuse to sync a directory.
  const int dirFd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

// ---- Reading a profile file ------------------------------------------------

ProfileFile ReadProfileFile(const std::string& path) {
  ProfileFile file;
  // O_NONBLOCK keeps a pipe put in the file's place from hanging the start.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) {
      file.state = ProfileFile::State::kMissing;
    } else {
      file.state = ProfileFile::State::kUnreadable;
      file.error = ErrnoText(error);
    }
    return file;
  }
  FileDescriptor guard(fd);
  file.state = ProfileFile::State::kUnreadable;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    file.error = ErrnoText(errno);
    return file;
  }
  if (S_ISDIR(info.st_mode)) {
    file.error = ErrnoText(EISDIR);
    return file;
  }
  if (!S_ISREG(info.st_mode)) {
    file.error = "not a regular file";
    return file;
  }
  if (static_cast<unsigned long long>(info.st_size) > kProfileFileMaxBytes) {
    file.error = "too large (" + std::to_string(info.st_size) + " bytes)";
    return file;
  }
  std::string bytes;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      file.error = ErrnoText(errno);
      return file;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > kProfileFileMaxBytes) {
      file.error = "too large (over " + std::to_string(kProfileFileMaxBytes) + " bytes)";
      return file;
    }
  }
  file.state = ProfileFile::State::kRead;
  file.bytes = std::move(bytes);
  return file;
}

// ---- The save place ---------------------------------------------------------

SaveProbe RealSaveProbe() {
  SaveProbe probe;
  probe.access = [](const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
      return errno == ENOENT || errno == ENOTDIR ? PathAccess::kMissing : PathAccess::kReadOnly;
    }
    if (S_ISDIR(info.st_mode)) {
      return ::access(path.c_str(), W_OK | X_OK) == 0 ? PathAccess::kWritable
                                                      : PathAccess::kReadOnly;
    }
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0) {
      return PathAccess::kWritable;
    }
    return PathAccess::kReadOnly;
  };
  probe.resolve = [](const std::string& path) -> std::optional<std::string> {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string result = resolved;
    std::free(resolved);
    return result;
  };
  return probe;
}

bool MakeSaveDirectory(const SavePlace& place, std::string* whyNot) {
  if (place.directory.empty()) {
    if (whyNot != nullptr) *whyNot = "no place to save to";
    return false;
  }
  // Each missing folder from the top down; those made here are the player's own.
  for (std::size_t slash = place.directory.find('/', 1); slash != std::string::npos;
       slash = place.directory.find('/', slash + 1)) {
    const std::string folder = place.directory.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      const int error = errno;
      if (whyNot != nullptr) *whyNot = "cannot create " + folder + " (" + ErrnoText(error) + ")";
      return false;
    }
  }
  struct stat info {};
  if (::stat(place.directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    if (whyNot != nullptr) *whyNot = place.directory + " is not a folder";
    return false;
  }
  return true;
}

}  // namespace voltaro
