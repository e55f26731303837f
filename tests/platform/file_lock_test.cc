// The lock around a check-and-write: a second holder waits and then fails
// with a clear message; the lock file is never a link and goes with the
// lock; recovery takes the lock only when there is something to recover.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/journal.h"
#include "platform/journal_format.h"
#include "platform/text.h"
#include "tests/support/fault_platform.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

namespace fs = std::filesystem;

TEST(FileLockTest, ASecondHolderWaitsThenFailsUntilTheFirstLetsGo) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide" : "narrow");
    TempDir dir;
    TestPlatform platform;
    const std::string lockPath = LockPathOf(dir.Join("settings.ini"));
    const auto acquire = [&](FileLock* lock, int wait) {
      return wide ? lock->Acquire(&platform, Utf8ToUtf16(lockPath), "settings.ini", wait)
                  : lock->Acquire(&platform, lockPath, "settings.ini", wait);
    };
    FileLock first;
    ASSERT_TRUE(acquire(&first, 0).ok());
    EXPECT_TRUE(first.held());
    EXPECT_TRUE(FileExists(lockPath));

    FileLock second;
    const Status busy = acquire(&second, 30);
    EXPECT_EQ(busy.code(), Status::Code::kBusy);
    EXPECT_EQ(busy.message(), "settings.ini: another program is saving it; nothing was written");
    EXPECT_FALSE(second.held());

    first.Release();
    EXPECT_FALSE(FileExists(lockPath));
    EXPECT_TRUE(acquire(&second, 0).ok());
    second.Release();
    EXPECT_FALSE(FileExists(lockPath));
  }
}

TEST(FileLockTest, TheLockFileIsNeverALinkAndNeedsItsFolder) {
  TempDir dir;
  TestPlatform platform;
  WriteBytes(dir.Join("victim"), BytesOf("precious"));
  fs::create_symlink(dir.Join("victim"), dir.Join("symlink.lock"));
  fs::create_hard_link(dir.Join("victim"), dir.Join("hardlink.lock"));
  for (const char* name : {"symlink.lock", "hardlink.lock"}) {
    SCOPED_TRACE(name);
    FileLock lock;
    const Status s = lock.Acquire(&platform, dir.Join(name), "x", 0);
    EXPECT_EQ(s.code(), Status::Code::kCannotOpen) << s.message();
    EXPECT_FALSE(lock.held());
  }
  EXPECT_EQ(ReadBytes(dir.Join("victim")), BytesOf("precious"));
  FileLock lock;
  EXPECT_EQ(lock.Acquire(&platform, dir.Join("missing/x.lock"), "x", 0).code(),
            Status::Code::kNotFound);
}

// Without a journal, reading needs no lock (and no right to write the
// folder); with one, the lock is taken, or its holder named.
TEST(FileLockTest, RecoveryTakesTheLockOnlyForAJournal) {
  TempDir dir;
  const std::string path = dir.Join("table");
  WriteBytes(path, BytesOf("dcba"));
  TestPlatform base;
  FaultPlatform platform(&base);
  platform.Arm(0, FaultKind::kFail);
  EXPECT_EQ(RecoverUnderLock(&platform, path, LockPathOf(path), "table").action,
            Recovery::Action::kNone);
  EXPECT_EQ(platform.log(), std::vector<CallKind>{CallKind::kOpen});

  WriteBytes(JournalPath(path), BytesOf(EncodeJournal({0, 4, 4, "abcd", "dcba"})));
  FileLock other;
  ASSERT_TRUE(other.Acquire(&base, LockPathOf(path), "table", 0).ok());
  const Recovery busy = RecoverUnderLock(&platform, path, LockPathOf(path), "table", 0);
  EXPECT_EQ(busy.status.code(), Status::Code::kBusy);
  EXPECT_TRUE(FileExists(JournalPath(path)));
  other.Release();

  const Recovery done = RecoverUnderLock(&platform, path, LockPathOf(path), "table");
  EXPECT_TRUE(done.status.ok());
  EXPECT_EQ(done.action, Recovery::Action::kCompleted);
  EXPECT_FALSE(FileExists(JournalPath(path)));
  EXPECT_FALSE(FileExists(LockPathOf(path)));
}

}  // namespace
}  // namespace taliq::test
