// The exclusive lock around a check-and-write: one per dictionary folder
// and one per settings file, so that a second instance of a tool waits a
// moment or fails with a clear message, and never writes in between.
//
// The lock is a file of its own beside what it protects (never the file
// itself, which a save replaces); it exists only while the lock is held.
#ifndef TALIQ_PLATFORM_FILE_LOCK_H_
#define TALIQ_PLATFORM_FILE_LOCK_H_

#include <string>

#include "platform/journal.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// How long a second instance waits for the lock before it gives up.
inline constexpr int kLockWaitMilliseconds = 2000;

// The lock of a single file: path + ".lock".
std::string LockPathOf(const std::string& path);
std::u16string LockPathOf(const std::u16string& path);

class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock whose file is `lockPath`, waiting up to `wait`
  // milliseconds for another holder. kBusy when the wait ran out (the
  // message names `what`, the file or folder the lock protects), kNotFound
  // (`what` missing) when the folder is missing, kCannotOpen (with the
  // errno) when the lock file cannot be had; nothing is held then.
  Status Acquire(Platform* platform, const std::string& lockPath, const std::string& what,
                 int wait = kLockWaitMilliseconds);
  Status Acquire(Platform* platform, const std::u16string& lockPath, const std::string& what,
                 int wait = kLockWaitMilliseconds);

  // Lets go of a held lock; nothing otherwise.
  void Release();

  bool held() const { return handle_ != nullptr; }

 private:
  Platform* platform_ = nullptr;
  std::string narrow_;
  std::u16string wide_;
  bool isWide_ = false;
  FileHandle handle_;
};

// Resolves the journal an interrupted save of `path` left, holding the
// lock of `lockPath` while it does; `what` names the file for a busy
// lock's message. Without a journal no lock is taken, so that a reader
// without the right to write the folder still reads.
Recovery RecoverUnderLock(Platform* platform, const std::string& path, const std::string& lockPath,
                          const std::string& what, int wait = kLockWaitMilliseconds);
Recovery RecoverUnderLock(Platform* platform, const std::u16string& path,
                          const std::u16string& lockPath, const std::string& what,
                          int wait = kLockWaitMilliseconds);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_FILE_LOCK_H_
