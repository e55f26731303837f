#include "tests/support/fault_platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace taliq::test {

const char* CallKindName(CallKind kind) {
  switch (kind) {
    case CallKind::kOpen:
      return "open";
    case CallKind::kRead:
      return "read";
    case CallKind::kWrite:
      return "write";
    case CallKind::kFlush:
      return "flush";
    case CallKind::kSync:
      return "sync";
    case CallKind::kSeek:
      return "seek";
    case CallKind::kTruncate:
      return "truncate";
    case CallKind::kClose:
      return "close";
    case CallKind::kReplace:
      return "replace";
    case CallKind::kRemove:
      return "remove";
    case CallKind::kLock:
      return "lock";
    case CallKind::kUnlock:
      return "unlock";
  }
  return "?";
}

const char* FaultKindName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kFail:
      return "fail";
    case FaultKind::kShortWrite:
      return "short write";
    case FaultKind::kCrash:
      return "crash";
    case FaultKind::kTornWrite:
      return "torn write";
  }
  return "?";
}

void FaultPlatform::Arm(int at, FaultKind kind) {
  log_.clear();
  at_ = at;
  kind_ = kind;
  fired_ = false;
}

void FaultPlatform::ArmFromEnvironment() {
  const char* at = std::getenv(kFaultAtVariable);
  const char* kind = std::getenv(kFaultKindVariable);
  if (at == nullptr || kind == nullptr) {
    Arm(0, FaultKind::kFail);
    return;
  }
  Arm(std::atoi(at), std::strcmp(kind, "torn") == 0 ? FaultKind::kTornWrite : FaultKind::kCrash);
}

bool FaultPlatform::Hit(CallKind kind) {
  log_.push_back(kind);
  if (at_ == 0 || calls() != at_) return false;
  fired_ = true;
  if (kind_ == FaultKind::kCrash || (kind_ == FaultKind::kTornWrite && kind != CallKind::kWrite)) {
    std::_Exit(kCrashExitCode);
  }
  return true;
}

bool FaultPlatform::FailWrite(std::FILE* file, const void* data, std::size_t size) {
  if (kind_ == FaultKind::kShortWrite || kind_ == FaultKind::kTornWrite) {
    base()->Write(file, data, size / 2);
  }
  if (kind_ == FaultKind::kTornWrite) {
    // What reached the OS stays in the file; the rest of the process is
    // gone, as after a kill.
    std::fflush(file);
    std::_Exit(kCrashExitCode);
  }
  errno = ENOSPC;
  return false;
}

template <class Open>
FileHandle FaultPlatform::FailOrOpen(Open open) {
  if (Hit(CallKind::kOpen)) {
    errno = EIO;
    return nullptr;
  }
  return open();
}

FileHandle FaultPlatform::OpenFile(const std::string& path, const char* mode) {
  return FailOrOpen([&] { return base()->OpenFile(path, mode); });
}
FileHandle FaultPlatform::OpenFileW(const std::u16string& path, const char* mode) {
  return FailOrOpen([&] { return base()->OpenFileW(path, mode); });
}
FileHandle FaultPlatform::CreateNewFile(const std::string& path) {
  return FailOrOpen([&] { return base()->CreateNewFile(path); });
}
FileHandle FaultPlatform::CreateNewFileW(const std::u16string& path) {
  return FailOrOpen([&] { return base()->CreateNewFileW(path); });
}
FileHandle FaultPlatform::OpenForUpdate(const std::string& path) {
  return FailOrOpen([&] { return base()->OpenForUpdate(path); });
}
FileHandle FaultPlatform::OpenForUpdateW(const std::u16string& path) {
  return FailOrOpen([&] { return base()->OpenForUpdateW(path); });
}

bool FaultPlatform::Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) {
  if (Hit(CallKind::kRead)) {
    *got = 0;
    errno = EIO;
    return false;
  }
  return base()->Read(file, data, size, got);
}

bool FaultPlatform::Write(std::FILE* file, const void* data, std::size_t size) {
  if (Hit(CallKind::kWrite)) return FailWrite(file, data, size);
  return base()->Write(file, data, size);
}

bool FaultPlatform::Flush(std::FILE* file) { return !Hit(CallKind::kFlush) && base()->Flush(file); }
bool FaultPlatform::SyncFile(std::FILE* file) {
  return !Hit(CallKind::kSync) && base()->SyncFile(file);
}
bool FaultPlatform::Truncate(std::FILE* file, std::int64_t size) {
  return !Hit(CallKind::kTruncate) && base()->Truncate(file, size);
}
bool FaultPlatform::Seek(std::FILE* file, std::int64_t offset) {
  return !Hit(CallKind::kSeek) && base()->Seek(file, offset);
}
std::int64_t FaultPlatform::FileSize(std::FILE* file) {
  return Hit(CallKind::kSeek) ? -1 : base()->FileSize(file);
}

bool FaultPlatform::Close(FileHandle& file) {
  // The stream goes in every case; only the outcome is the fault's.
  const bool failed = Hit(CallKind::kClose);
  const bool closed = base()->Close(file);
  return !failed && closed;
}

bool FaultPlatform::SyncFolder(const std::string& path) {
  return !Hit(CallKind::kSync) && base()->SyncFolder(path);
}
bool FaultPlatform::SyncFolderW(const std::u16string& path) {
  return !Hit(CallKind::kSync) && base()->SyncFolderW(path);
}
bool FaultPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  return !Hit(CallKind::kReplace) && base()->ReplaceFile(from, to);
}
bool FaultPlatform::ReplaceFileW(const std::u16string& from, const std::u16string& to) {
  return !Hit(CallKind::kReplace) && base()->ReplaceFileW(from, to);
}
bool FaultPlatform::RemoveFile(const std::string& path) {
  return !Hit(CallKind::kRemove) && base()->RemoveFile(path);
}
bool FaultPlatform::RemoveFileW(const std::u16string& path) {
  return !Hit(CallKind::kRemove) && base()->RemoveFileW(path);
}

FileHandle FaultPlatform::AcquireFileLock(const std::string& path, int waitMilliseconds) {
  if (Hit(CallKind::kLock)) {
    errno = EWOULDBLOCK;
    return nullptr;
  }
  return base()->AcquireFileLock(path, waitMilliseconds);
}
FileHandle FaultPlatform::AcquireFileLockW(const std::u16string& path, int waitMilliseconds) {
  if (Hit(CallKind::kLock)) {
    errno = EWOULDBLOCK;
    return nullptr;
  }
  return base()->AcquireFileLockW(path, waitMilliseconds);
}

// A failed release lets the lock go with the handle but leaves its file.
bool FaultPlatform::ReleaseFileLock(const std::string& path, FileHandle& lock) {
  if (Hit(CallKind::kUnlock)) {
    lock.reset();
    return false;
  }
  return base()->ReleaseFileLock(path, lock);
}
bool FaultPlatform::ReleaseFileLockW(const std::u16string& path, FileHandle& lock) {
  if (Hit(CallKind::kUnlock)) {
    lock.reset();
    return false;
  }
  return base()->ReleaseFileLockW(path, lock);
}

}  // namespace taliq::test
