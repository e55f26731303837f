// The steps of a save on POSIX systems: exclusive creation, opens that
// never follow a link, fsync of files and folders, and advisory locks.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/portable_platform.h"
#include "platform/text.h"

namespace taliq {
namespace {

// A descriptor as a C stream; the descriptor is closed when that fails.
FileHandle StreamOf(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, mode);
  if (f == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return FileHandle(f);
}

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void SleepMilliseconds(int ms) {
  timespec t{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

}  // namespace

FileHandle PortablePlatform::CreateNewFile(const std::string& path) {
  // O_EXCL fails for any existing name, a dangling link included; the mode
  // is the one a plain fopen gives, narrowed by the umask.
  const int fd = ::open(ResolvePathIgnoringCase(path).c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return StreamOf(fd, "wb");
}

FileHandle PortablePlatform::CreateNewFileW(const std::u16string& path) {
  return CreateNewFile(Utf16ToPathBytes(path));
}

FileHandle PortablePlatform::OpenForUpdate(const std::string& path) {
  // O_NONBLOCK keeps a planted FIFO from blocking the open; the checks
  // below refuse it anyway.
  const int fd =
      ::open(ResolvePathIgnoringCase(path).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st;
  int refusal = 0;
  if (::fstat(fd, &st) != 0) {
    refusal = errno;
  } else if (S_ISDIR(st.st_mode)) {
    refusal = EISDIR;
  } else if (!S_ISREG(st.st_mode)) {
    refusal = EINVAL;
  } else if (st.st_nlink != 1) {
    refusal = EMLINK;
  } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    refusal = errno;
  }
  if (refusal != 0) {
    ::close(fd);
    errno = refusal;
    return nullptr;
  }
  return StreamOf(fd, "rb+");
}

FileHandle PortablePlatform::OpenForUpdateW(const std::u16string& path) {
  return OpenForUpdate(Utf16ToPathBytes(path));
}

bool PortablePlatform::Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) {
  *got = size == 0 ? 0 : std::fread(data, 1, size, file);
  return *got == size || !std::ferror(file);
}

bool PortablePlatform::Write(std::FILE* file, const void* data, std::size_t size) {
  return size == 0 || std::fwrite(data, 1, size, file) == size;
}

bool PortablePlatform::Flush(std::FILE* file) { return std::fflush(file) == 0; }

bool PortablePlatform::SyncFile(std::FILE* file) {
  return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

bool PortablePlatform::Truncate(std::FILE* file, std::int64_t size) {
  return std::fflush(file) == 0 && ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0;
}

bool PortablePlatform::Close(FileHandle& file) { return CloseFile(file); }

bool PortablePlatform::SyncFolder(const std::string& path) {
  const int fd =
      ::open(FolderOf(ResolvePathIgnoringCase(path)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool PortablePlatform::SyncFolderW(const std::u16string& path) {
  return SyncFolder(Utf16ToPathBytes(path));
}

FileHandle PortablePlatform::AcquireFileLock(const std::string& path, int waitMilliseconds) {
  const std::string p = ResolvePathIgnoringCase(path);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
  for (;;) {
    const int fd =
        ::open(p.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) return nullptr;
    struct stat held;
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_nlink > 1) {
      // Not a lock file of ours: something planted under the name.
      ::close(fd);
      errno = EMLINK;
      return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The holder before us removed the file as it let go: a lock on a
      // file that no longer has the name locks nothing.
      struct stat named;
      if (::lstat(p.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
          held.st_ino == named.st_ino) {
        return StreamOf(fd, "rb");
      }
      ::close(fd);
      continue;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK && error != EAGAIN && error != EINTR) {
      errno = error;
      return nullptr;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = EWOULDBLOCK;
      return nullptr;
    }
    SleepMilliseconds(10);
  }
}

FileHandle PortablePlatform::AcquireFileLockW(const std::u16string& path, int waitMilliseconds) {
  return AcquireFileLock(Utf16ToPathBytes(path), waitMilliseconds);
}

bool PortablePlatform::ReleaseFileLock(const std::string& path, FileHandle& lock) {
  if (lock == nullptr) return false;
  // Removed while still held, so that nobody locks the old file after us.
  const bool removed = ::unlink(ResolvePathIgnoringCase(path).c_str()) == 0;
  return CloseFile(lock) && removed;
}

bool PortablePlatform::ReleaseFileLockW(const std::u16string& path, FileHandle& lock) {
  return ReleaseFileLock(Utf16ToPathBytes(path), lock);
}

}  // namespace taliq
