// Whole-file writes: temporary file, sync, rename and directory sync, or in
// place when only the file itself can be written (POSIX calls, no SDL).
#include "saves/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

bool WriteAll(const FileWriteOps& ops, int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t written = ops.write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (written == 0) {  // no progress and no reason: do not spin
      error = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

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
  if (!WriteAll(ops, fd, bytes, error)) {
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

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::Close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0 ? 0 : errno;
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
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
  if (!WriteAll(ops, fd, bytes, error)) {
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

}  // namespace voltaro
