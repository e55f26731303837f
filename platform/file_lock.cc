#include "platform/file_lock.h"

#include <cerrno>

#include "platform/path_ops.h"

namespace taliq {
namespace {

constexpr std::string_view kLockSuffix = ".lock";

Status Outcome(bool held, int error, const std::string& lockPath, const std::string& what) {
  if (held) return Status::Ok();
  if (error == EWOULDBLOCK || error == EAGAIN) return Status::Busy(what);
  // The folder the lock file belongs in is missing: so is what it protects.
  if (error == ENOENT || error == ENOTDIR) return Status::NotFound(what);
  return Status::CannotOpen(lockPath, error);
}

template <class Path>
Recovery RecoverLocked(Platform* platform, const Path& path, const Path& lockPath,
                       const std::string& what, int wait) {
  // A look first: the journal is there only after an interrupted save.
  errno = 0;
  FileHandle journal = internal::PathOps<Path>::Open(platform, JournalPath(path), "rb");
  if (journal == nullptr && (errno == ENOENT || errno == ENOTDIR)) return Recovery();
  if (journal != nullptr) platform->Close(journal);
  FileLock lock;
  Recovery r;
  r.status = lock.Acquire(platform, lockPath, what, wait);
  if (!r.status.ok()) return r;
  return RecoverInterruptedSave(platform, path);
}

}  // namespace

Recovery RecoverUnderLock(Platform* platform, const std::string& path, const std::string& lockPath,
                          const std::string& what, int wait) {
  return RecoverLocked(platform, path, lockPath, what, wait);
}

Recovery RecoverUnderLock(Platform* platform, const std::u16string& path,
                          const std::u16string& lockPath, const std::string& what, int wait) {
  return RecoverLocked(platform, path, lockPath, what, wait);
}

std::string LockPathOf(const std::string& path) { return internal::WithSuffix(path, kLockSuffix); }
std::u16string LockPathOf(const std::u16string& path) {
  return internal::WithSuffix(path, kLockSuffix);
}

Status FileLock::Acquire(Platform* platform, const std::string& lockPath, const std::string& what,
                         int wait) {
  Release();
  errno = 0;
  platform_ = platform;
  narrow_ = lockPath;
  isWide_ = false;
  handle_ = platform->AcquireFileLock(lockPath, wait);
  const int error = errno;
  return Outcome(handle_ != nullptr, error, lockPath, what);
}

Status FileLock::Acquire(Platform* platform, const std::u16string& lockPath,
                         const std::string& what, int wait) {
  Release();
  errno = 0;
  platform_ = platform;
  wide_ = lockPath;
  isWide_ = true;
  handle_ = platform->AcquireFileLockW(lockPath, wait);
  const int error = errno;
  return Outcome(handle_ != nullptr, error, Utf16ToUtf8(lockPath), what);
}

void FileLock::Release() {
  if (handle_ == nullptr) return;
  // Nothing to do about a failure: the lock goes with the handle.
  if (isWide_) {
    platform_->ReleaseFileLockW(wide_, handle_);
  } else {
    platform_->ReleaseFileLock(narrow_, handle_);
  }
  handle_.reset();
}

}  // namespace taliq
