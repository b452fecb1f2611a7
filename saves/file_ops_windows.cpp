// The save files' system calls on Windows: the calls file_ops.h asks of each
// system, the whole-file write around them (a file with the read-only
// attribute left alone), the profile file's read, and the questions and
// folders of the save place. The game's paths are UTF-8 and go to the wide
// (UTF-16) calls; files are opened in binary mode, so no byte of a record is
// ever translated; the new file replaces the old one with MoveFileExW, as
// rename() here does not replace. file_ops_posix.cpp is the same for POSIX
// systems.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

#include "saves/file_ops.h"
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

}  // namespace

namespace file_ops {

int CreateNew(const std::string& path) {
  return OpenFile(path, _O_WRONLY | _O_CREAT | _O_EXCL);
}

int OpenExisting(const std::string& path) {
  return OpenFile(path, _O_WRONLY);
}

int CutTo(int fd, std::size_t size) {
  return _chsize_s(fd, static_cast<long long>(size));
}

ssize_t ReadSome(int fd, void* buffer, std::size_t size) {
  return _read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

void RemoveQuietly(const std::string& path) {
  if (const std::optional<std::wstring> wide = Wide(path)) DeleteFileW(wide->c_str());
}

unsigned long ProcessNumber() {
  return GetCurrentProcessId();
}

}  // namespace file_ops

using file_ops::Fail;

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
  const file_ops::WriteWay way =
      file_ops::WriteThroughTemporaryFile(path, bytes, exists, whyNot, ops, [](int) {});
  return way != file_ops::WriteWay::kFailed;
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
  file_ops::ReadBounded(fd, info.st_size, file);
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
