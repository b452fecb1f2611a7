// The save files' system calls on Windows: whole-file writes (temporary file,
// flush, and a move over the old file with write-through, or in place when
// only the file itself can be written), the bounded read of a profile file,
// and the questions and folders of the save place. The game's paths are UTF-8
// and go to the wide (UTF-16) calls; files are opened in binary mode, so no
// byte of a record is ever translated. file_ops_posix.cpp is the same for
// POSIX systems.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

#include "saves/file_write.h"
#include "saves/profile_file.h"
#include "saves/save_place.h"

namespace voltaro {
namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

// The UTF-16 form of a UTF-8 path; nullopt (errno EILSEQ) when it is not UTF-8.
std::optional<std::wstring> Wide(const std::string& path) {
  if (path.size() > static_cast<std::size_t>(INT_MAX)) {
    errno = ENAMETOOLONG;
    return std::nullopt;
  }
  const int length = static_cast<int>(path.size());
  const int size =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
  if (size <= 0 && length > 0) {
    errno = EILSEQ;
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), size);
  return wide;
}

// The errno value of a Windows error, so that messages read as on every
// other system.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return EIO;
  }
}

int FailWithLastError() {
  errno = ErrnoOf(GetLastError());
  return -1;
}

// Binary, and never inherited by a process the game starts.
int OpenFile(const std::string& path, int flags) {
  const std::optional<std::wstring> wide = Wide(path);
  if (!wide) return -1;
  return _wopen(wide->c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

DWORD AttributesOf(const std::string& path) {
  const std::optional<std::wstring> wide = Wide(path);
  if (!wide) return kNoAttributes;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes == kNoAttributes) errno = ErrnoOf(GetLastError());
  return attributes;
}

// Removes the temporary file unless the write got as far as moving it.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  ~TempFileGuard() {
    if (path_.empty()) return;
    if (const std::optional<std::wstring> wide = Wide(path_)) DeleteFileW(wide->c_str());
  }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

bool Fail(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return false;
}

// Over the old bytes, then cut to length and flushed.
bool WriteInPlace(const std::string& target, std::string_view bytes, std::string* whyNot,
                  const FileWriteOps& ops) {
  const int fd = OpenFile(target, _O_WRONLY);
  if (fd < 0) {
    const int error = errno;
    return Fail(whyNot, "cannot open the file for writing (" + ErrnoText(error) + ")");
  }
  FileDescriptor descriptor(fd);
  int error = 0;
  if (!WriteAllBytes(ops, fd, bytes, error)) {
    return Fail(whyNot, "cannot write the file in place (" + ErrnoText(error) + ")");
  }
  if ((error = _chsize_s(fd, static_cast<long long>(bytes.size()))) != 0) {
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

}  // namespace

ssize_t SystemWrite(int fd, const void* data, std::size_t size) {
  // _write takes an unsigned count and returns an int: big writes go in parts.
  const std::size_t part = std::min<std::size_t>(size, INT_MAX);
  return _write(fd, data, static_cast<unsigned>(part));
}

int SystemSync(int fd) {
  const intptr_t handle = _get_osfhandle(fd);
  if (handle == -1) {
    errno = EBADF;
    return -1;
  }
  return FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) ? 0 : FailWithLastError();
}

int SystemRename(const char* from, const char* to) {
  const std::optional<std::wstring> wideFrom = Wide(from);
  const std::optional<std::wstring> wideTo = Wide(to);
  if (!wideFrom || !wideTo) return -1;
  // Unlike rename(), this replaces the old file; write-through makes the move
  // itself durable before it returns.
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  return MoveFileExW(wideFrom->c_str(), wideTo->c_str(), flags) ? 0 : FailWithLastError();
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) _close(fd_);
}

int FileDescriptor::Close() {
  const int fd = fd_;
  fd_ = -1;
  return _close(fd) == 0 ? 0 : errno;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* whyNot,
                         const FileWriteOps& ops) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == kNoAttributes && errno == EILSEQ) return Fail(whyNot, "the path is not UTF-8");
  const bool exists = attributes != kNoAttributes;
  if (exists) {
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
      return Fail(whyNot, "not a regular file");
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return Fail(whyNot, "the file is read-only");
  }

  // The temporary file lives beside the target, so the move stays within one
  // volume and replaces the old file in one step.
  std::string tempPath;
  int fd = -1;
  int error = 0;
  const std::string stem = path + ".tmp-" + std::to_string(GetCurrentProcessId());
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath = attempt == 0 ? stem : stem + "." + std::to_string(attempt);
    fd = OpenFile(tempPath, _O_WRONLY | _O_CREAT | _O_EXCL);
    if (fd < 0 && (error = errno) != EEXIST) break;
  }
  if (fd < 0) {
    // A folder the player may not write to, holding a file they may.
    if (exists && error == EACCES) return WriteInPlace(path, bytes, whyNot, ops);
    return Fail(whyNot,
                "cannot create the temporary file " + tempPath + " (" + ErrnoText(error) + ")");
  }
  // Windows deletes no open file: the guard goes after the file is closed.
  TempFileGuard removeTemp(tempPath);
  FileDescriptor descriptor(fd);
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
  if (ops.rename(tempPath.c_str(), path.c_str()) != 0) {
    error = errno;
    return Fail(whyNot, "cannot rename " + tempPath + " over the file (" + ErrnoText(error) + ")");
  }
  removeTemp.Release();
  return true;
}

// ---- Reading a profile file ------------------------------------------------

ProfileFile ReadProfileFile(const std::string& path) {
  ProfileFile file;
  file.state = ProfileFile::State::kUnreadable;
  const DWORD attributes = AttributesOf(path);
  if (attributes == kNoAttributes) {
    if (errno == ENOENT) {
      file.state = ProfileFile::State::kMissing;
    } else {
      file.error = ErrnoText(errno);
    }
    return file;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    file.error = ErrnoText(EISDIR);
    return file;
  }
  const int fd = OpenFile(path, _O_RDONLY);
  if (fd < 0) {
    file.error = ErrnoText(errno);
    return file;
  }
  FileDescriptor guard(fd);
  struct _stat64 info {};
  if (_fstat64(fd, &info) != 0) {
    file.error = ErrnoText(errno);
    return file;
  }
  if ((info.st_mode & _S_IFMT) != _S_IFREG) {
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
    const int got = _read(fd, buffer, sizeof buffer);
    if (got < 0) {
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

namespace {

// Whether a new file can be made in a folder: permissions on Windows are
// access lists, so the honest answer is to make one, which goes at once.
bool CanCreateIn(const std::string& folder) {
  const std::optional<std::wstring> probe =
      Wide(folder + "/voltaro5-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp");
  if (!probe) return false;
  const HANDLE handle = CreateFileW(probe->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

bool CanWrite(const std::string& file) {
  const std::optional<std::wstring> wide = Wide(file);
  if (!wide) return false;
  const HANDLE handle = CreateFileW(wide->c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

SaveProbe RealSaveProbe() {
  SaveProbe probe;
  probe.access = [](const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == kNoAttributes) {
      return errno == ENOENT ? PathAccess::kMissing : PathAccess::kReadOnly;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return CanCreateIn(path) ? PathAccess::kWritable : PathAccess::kReadOnly;
    }
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)) != 0) {
      return PathAccess::kReadOnly;
    }
    return CanWrite(path) ? PathAccess::kWritable : PathAccess::kReadOnly;
  };
  // A symbolic link is replaced rather than followed on Windows, where only
  // a privileged user makes one.
  probe.resolve = [](const std::string& path) -> std::optional<std::string> { return path; };
  return probe;
}

bool MakeSaveDirectory(const SavePlace& place, std::string* whyNot) {
  if (place.directory.empty()) return Fail(whyNot, "no place to save to");
  // Each missing folder from the top down; a drive ("C:") is there already.
  for (std::size_t slash = place.directory.find_first_of("/\\", 1); slash != std::string::npos;
       slash = place.directory.find_first_of("/\\", slash + 1)) {
    const std::string folder = place.directory.substr(0, slash);
    const std::optional<std::wstring> wide = Wide(folder);
    if (!wide) return Fail(whyNot, folder + " is not UTF-8");
    if (CreateDirectoryW(wide->c_str(), nullptr)) continue;
    const int error = ErrnoOf(GetLastError());
    if (IsFolder(folder)) continue;
    return Fail(whyNot, "cannot create " + folder + " (" + ErrnoText(error) + ")");
  }
  if (!IsFolder(place.directory)) return Fail(whyNot, place.directory + " is not a folder");
  return true;
}

}  // namespace voltaro
