// A platform that counts the calls a save makes to the OS and makes the
// N-th of them fail, or ends the process there, so that a test can walk
// through every step of a save.
//
// Counted: the opens (OpenFile, CreateNewFile, OpenForUpdate), Read,
// Write, Flush, SyncFile, SyncFolder, Truncate, Seek and FileSize, Close,
// ReplaceFile, RemoveFile, and taking and releasing a lock, in narrow and
// wide form alike. The folder queries and message boxes are not counted.
#ifndef TALIQ_TESTS_SUPPORT_FAULT_PLATFORM_H_
#define TALIQ_TESTS_SUPPORT_FAULT_PLATFORM_H_

#include <string>
#include <vector>

#include "platform/platform_wrapper.h"

namespace taliq::test {

enum class CallKind {
  kOpen,
  kRead,
  kWrite,
  kFlush,
  kSync,
  kSeek,
  kTruncate,
  kClose,
  kReplace,
  kRemove,
  kLock,
  kUnlock,
};
const char* CallKindName(CallKind kind);

enum class FaultKind {
  kFail,        // the call fails (an open with EIO, a lock as if busy)
  kShortWrite,  // a write takes half of the bytes and fails; other calls fail
  kCrash,       // the process ends before the call, as if killed
  kTornWrite,   // a write puts half of the bytes in the file, then the process
                // ends; before any other call it just ends
};
const char* FaultKindName(FaultKind kind);

// The exit status of a process a crash fault ended.
inline constexpr int kCrashExitCode = 86;

// The environment a crash child reads its fault from: the call number and
// "crash" or "torn".
inline constexpr char kFaultAtVariable[] = "TALIQ_TEST_FAULT_AT";
inline constexpr char kFaultKindVariable[] = "TALIQ_TEST_FAULT_KIND";

class FaultPlatform : public PlatformWrapper {
 public:
  explicit FaultPlatform(Platform* base) : PlatformWrapper(base) {}

  // Counts from zero again; the `at`-th counted call from now (1-based)
  // gets the fault. 0 counts without any fault.
  void Arm(int at, FaultKind kind);
  // Arms from kFaultAtVariable and kFaultKindVariable when both are set;
  // counts without a fault otherwise.
  void ArmFromEnvironment();

  // Counted calls since the last Arm, and their kinds in order.
  int calls() const { return static_cast<int>(log_.size()); }
  const std::vector<CallKind>& log() const { return log_; }
  // Whether the armed call was reached.
  bool fired() const { return fired_; }

  FileHandle OpenFile(const std::string& path, const char* mode) override;
  FileHandle OpenFileW(const std::u16string& path, const char* mode) override;
  FileHandle CreateNewFile(const std::string& path) override;
  FileHandle CreateNewFileW(const std::u16string& path) override;
  FileHandle OpenForUpdate(const std::string& path) override;
  FileHandle OpenForUpdateW(const std::u16string& path) override;
  bool Read(std::FILE* file, void* data, std::size_t size, std::size_t* got) override;
  bool Write(std::FILE* file, const void* data, std::size_t size) override;
  bool Flush(std::FILE* file) override;
  bool SyncFile(std::FILE* file) override;
  bool Truncate(std::FILE* file, std::int64_t size) override;
  bool Seek(std::FILE* file, std::int64_t offset) override;
  std::int64_t FileSize(std::FILE* file) override;
  bool Close(FileHandle& file) override;
  bool SyncFolder(const std::string& path) override;
  bool SyncFolderW(const std::u16string& path) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool ReplaceFileW(const std::u16string& from, const std::u16string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveFileW(const std::u16string& path) override;
  FileHandle AcquireFileLock(const std::string& path, int waitMilliseconds) override;
  FileHandle AcquireFileLockW(const std::u16string& path, int waitMilliseconds) override;
  bool ReleaseFileLock(const std::string& path, FileHandle& lock) override;
  bool ReleaseFileLockW(const std::u16string& path, FileHandle& lock) override;

 private:
  // Counts a call of `kind`; true when it is the one to fail. A crash
  // fault ends the process here instead.
  bool Hit(CallKind kind);
  // The fault of a write that was hit: half of the bytes, and for a torn
  // write the end of the process.
  bool FailWrite(std::FILE* file, const void* data, std::size_t size);
  template <class Open>
  FileHandle FailOrOpen(Open open);

  std::vector<CallKind> log_;
  int at_ = 0;
  FaultKind kind_ = FaultKind::kFail;
  bool fired_ = false;
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_FAULT_PLATFORM_H_
