// The save files' system calls on POSIX systems (Linux, and the page's
// emulated file system): the calls file_ops.h asks of each system, the
// whole-file write around them (symbolic links followed, hard links kept, the
// owner and mode taken over, the folder synced after the rename), the
// profile file's read that never blocks on a pipe, and the questions and
// folders of the save place. file_ops_windows.cpp is the same for Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "saves/file_ops.h"
#include "saves/file_write.h"
#include "saves/profile_file.h"
#include "saves/save_place.h"

namespace voltaro {

namespace file_ops {

int CreateNew(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
}

int OpenExisting(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
}

int CutTo(int fd, std::size_t size) {
  return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

ssize_t ReadSome(int fd, void* buffer, std::size_t size) {
  return ::read(fd, buffer, size);
}

void RemoveQuietly(const std::string& path) {
  ::unlink(path.c_str());
}

unsigned long ProcessNumber() {
  return static_cast<unsigned long>(::getpid());
}

}  // namespace file_ops

namespace {

using file_ops::Fail;

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
    if (info.st_nlink > 1) return file_ops::WriteInPlace(target, bytes, whyNot, ops);
  }
  const auto adopt = [&](int fd) {
    if (!exists) return;
    // The new file takes the old one's owner and mode, so that a run with
    // more rights does not take the file away from its owner. Best effort.
    if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
      // Only a privileged run may hand a file to another owner; then it is ours.
    }
    ::fchmod(fd, info.st_mode & 07777);
  };
  const file_ops::WriteWay way =
      file_ops::WriteThroughTemporaryFile(target, bytes, exists, whyNot, ops, adopt);
  if (way != file_ops::WriteWay::kReplaced) return way == file_ops::WriteWay::kInPlace;

  // Syncing the directory makes the rename itself durable. The new file is in
  // place whatever this returns; some file systems refuse to sync a directory.
  const int dirFd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ops.fsync(dirFd);
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
  file_ops::ReadBounded(fd, static_cast<long long>(info.st_size), file);
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
