// The steps of a save on Windows: CreateFile with CREATE_NEW for new files,
// opens that take a reparse point as itself and refuse it, ReplaceFileW,
// FlushFileBuffers (_commit) and LockFileEx on a lock file that goes away
// with its last handle.
#include <cerrno>
#include <cstring>

#include "platform/win32/win32_api.h"
#include "platform/win32_platform.h"

#include <fcntl.h>
#include <io.h>

namespace taliq {
namespace {

using win32::W;

// errno for the last Win32 error, as the C runtime would set it.
void SetErrnoFromLastError() {
  switch (::GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      errno = EEXIST;
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      errno = EACCES;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    default:
      errno = EIO;
      break;
  }
}

// A handle as a C stream; the handle is closed when that fails.
FileHandle StreamOf(HANDLE h, int flags, const char* mode) {
  if (h == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return nullptr;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(h);
    errno = EMFILE;
    return nullptr;
  }
  std::FILE* f = ::_fdopen(fd, mode);
  if (f == nullptr) ::_close(fd);
  return FileHandle(f);
}

// Whether an open handle is a plain file on disk with one name; errno set
// when it is not.
bool IsPlainSingleFile(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info)) {
    errno = EINVAL;
    return false;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
    return false;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    errno = EINVAL;
    return false;
  }
  if (info.nNumberOfLinks != 1) {
    errno = EMLINK;
    return false;
  }
  return true;
}

// CreateFileA / CreateFileW by the path's type.
HANDLE Create(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (!NarrowPathFits(path)) {
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}
HANDLE Create(const std::u16string& path, DWORD access, DWORD share, DWORD disposition,
              DWORD flags) {
  return ::CreateFileW(W(path), access, share, nullptr, disposition, flags, nullptr);
}

template <class Path>
FileHandle CreateNew(const Path& path) {
  // CREATE_NEW fails for any existing name, a link included.
  const HANDLE h = Create(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  return StreamOf(h, _O_WRONLY, "wb");
}

template <class Path>
FileHandle OpenUpdate(const Path& path) {
  // Shared with readers and writers, as the tools' other opens are.
  const HANDLE h = Create(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  if (h == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return nullptr;
  }
  if (!IsPlainSingleFile(h)) {
    const int error = errno;
    ::CloseHandle(h);
    errno = error;
    return nullptr;
  }
  return StreamOf(h, _O_RDWR, "rb+");
}

BOOL Replace(const std::string& from, const std::string& to) {
  if (!NarrowPathFits(from) || !NarrowPathFits(to)) return FALSE;
  if (::ReplaceFileA(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
    return TRUE;
  }
  if (::GetLastError() != ERROR_FILE_NOT_FOUND) return FALSE;
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
}
BOOL Replace(const std::u16string& from, const std::u16string& to) {
  if (::ReplaceFileW(W(to), W(from), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return TRUE;
  }
  // No old file: a plain move, which fails should one appear meanwhile.
  if (::GetLastError() != ERROR_FILE_NOT_FOUND) return FALSE;
  return ::MoveFileExW(W(from), W(to), MOVEFILE_WRITE_THROUGH);
}

// Whether both handles are the same file.
bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x;
  BY_HANDLE_FILE_INFORMATION y;
  return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

template <class Path>
FileHandle Lock(const Path& path, int waitMilliseconds) {
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(waitMilliseconds);
  const auto waitMore = [deadline] {
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(10);
    return true;
  };
  for (;;) {
    // The file goes away with the last handle of it. Until then an open
    // fails (the file is pending deletion) and is tried again.
    const HANDLE h =
        Create(path, GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
               OPEN_ALWAYS,
               FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
        SetErrnoFromLastError();
        return nullptr;
      }
      if (!waitMore()) break;
      continue;
    }
    if (!IsPlainSingleFile(h)) {
      ::CloseHandle(h);
      errno = EMLINK;
      return nullptr;
    }
    OVERLAPPED at = {};
    while (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      if (::GetLastError() != ERROR_LOCK_VIOLATION || !waitMore()) {
        ::CloseHandle(h);
        errno = EWOULDBLOCK;
        return nullptr;
      }
    }
    // A lock on a file whose name is gone (the holder before us let go of
    // it and it is being deleted) locks nothing: start again.
    const HANDLE named =
        Create(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    const bool same = named != INVALID_HANDLE_VALUE && SameFile(h, named);
    if (named != INVALID_HANDLE_VALUE) ::CloseHandle(named);
    if (same) return StreamOf(h, _O_RDONLY, "rb");
    ::CloseHandle(h);
    if (!waitMore()) break;
  }
  errno = EWOULDBLOCK;
  return nullptr;
}

}  // namespace

FileHandle Win32Platform::CreateNewFile(const std::string& path) { return CreateNew(path); }
FileHandle Win32Platform::CreateNewFileW(const std::u16string& path) { return CreateNew(path); }
FileHandle Win32Platform::OpenForUpdate(const std::string& path) { return OpenUpdate(path); }
FileHandle Win32Platform::OpenForUpdateW(const std::u16string& path) { return OpenUpdate(path); }

bool Win32Platform::Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) {
  *got = size == 0 ? 0 : std::fread(data, 1, size, file);
  return *got == size || !std::ferror(file);
}

bool Win32Platform::Write(std::FILE* file, const void* data, std::size_t size) {
  return size == 0 || std::fwrite(data, 1, size, file) == size;
}

bool Win32Platform::Flush(std::FILE* file) { return std::fflush(file) == 0; }

bool Win32Platform::SyncFile(std::FILE* file) {
  return std::fflush(file) == 0 && ::_commit(::_fileno(file)) == 0;
}

bool Win32Platform::Truncate(std::FILE* file, std::int64_t size) {
  return std::fflush(file) == 0 && ::_chsize_s(::_fileno(file), size) == 0;
}

bool Win32Platform::Close(FileHandle& file) { return CloseFile(file); }

bool Win32Platform::SyncFolder(const std::string&) { return true; }
bool Win32Platform::SyncFolderW(const std::u16string&) { return true; }

bool Win32Platform::ReplaceFile(const std::string& from, const std::string& to) {
  return Replace(from, to) != 0;
}

bool Win32Platform::ReplaceFileW(const std::u16string& from, const std::u16string& to) {
  return Replace(from, to) != 0;
}

FileHandle Win32Platform::AcquireFileLock(const std::string& path, int waitMilliseconds) {
  return Lock(path, waitMilliseconds);
}

FileHandle Win32Platform::AcquireFileLockW(const std::u16string& path, int waitMilliseconds) {
  return Lock(path, waitMilliseconds);
}

// Closing the last handle releases the lock and deletes the file.
bool Win32Platform::ReleaseFileLock(const std::string&, FileHandle& lock) {
  return lock != nullptr && CloseFile(lock);
}

bool Win32Platform::ReleaseFileLockW(const std::u16string&, FileHandle& lock) {
  return lock != nullptr && CloseFile(lock);
}

}  // namespace taliq
