// Every step of each kind of save failing, and the process ending at each:
// afterwards (and after the recovery a next start runs) the file holds all
// of its old contents or all of its new ones, and the status says which.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "platform/journal.h"
#include "platform/replace_file.h"
#include "tests/support/crash_child.h"
#include "tests/support/fault_cases.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

namespace fs = std::filesystem;

constexpr char kAbsent[] = "<absent>";

// A part of a file rewritten in place: the bytes before and after it stay.
const std::string kHead = "HEAD:";
const std::string kTail = ":TAIL";
const std::string kOldPart(300, 'o');
const std::string kNewPart(300, 'n');

struct SaveKind {
  const char* name;
  std::string oldState;  // what the file holds before (kAbsent: no file)
  std::string newState;  // what the save makes of it
  bool refuseReplace;    // the swap is refused, as for a file another program holds
  bool part;             // RewriteInPlace of the part (else ReplaceFileContents)
};

const SaveKind kKinds[] = {
    {"replace", std::string(400, 'o'), std::string(250, 'n'), false, false},
    {"replace_new", kAbsent, std::string(250, 'n'), false, false},
    {"in_place_shrink", std::string(400, 'o'), std::string(250, 'n'), true, false},
    {"in_place_grow", std::string(250, 'o'), std::string(400, 'n'), true, false},
    {"in_place_new", kAbsent, std::string(250, 'n'), true, false},
    {"part", kHead + kOldPart + kTail, kHead + kNewPart + kTail, false, true},
};

std::string Target(const std::string& dir) { return dir + "/target"; }

std::string State(const std::string& path) {
  if (!FileExists(path)) return kAbsent;
  return ReadText(path);
}

void WriteOldState(const SaveKind& kind, const std::string& dir) {
  if (kind.oldState != kAbsent) {
    WriteBytes(Target(dir), std::vector<std::uint8_t>(kind.oldState.begin(), kind.oldState.end()));
  }
}

// The save as a tool makes it: under the file's lock.
Status Save(const SaveKind& kind, Platform* platform, const std::string& dir) {
  const std::string path = Target(dir);
  FileLock lock;
  if (Status s = lock.Acquire(platform, LockPathOf(path), path); !s.ok()) return s;
  if (!kind.part) return ReplaceFileContents(platform, path, kind.newState);
  // The check a group write makes: the bytes it replaces are the ones it
  // read before.
  return RewriteInPlace(platform, path, {static_cast<std::int64_t>(kHead.size()), kNewPart, false},
                        [&](std::string_view current) {
                          return current == kOldPart ? Status::Ok()
                                                     : Status::Changed(path, "other bytes");
                        });
}

// Files the save may leave besides the target: temporary files, journals,
// lock files.
std::vector<std::string> Leftovers(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().filename() != "target") found.push_back(e.path().filename().string());
  }
  return found;
}

template <int I>
int Child(const std::string& dir) {
  TestPlatform base;
  base.refuseReplace = kKinds[I].refuseReplace;
  FaultPlatform platform(&base);
  platform.ArmFromEnvironment();
  return Save(kKinds[I], &platform, dir).ok() ? 0 : 1;
}
const bool kRegistered = RegisterCrashScenario(kKinds[0].name, Child<0>) &&
                         RegisterCrashScenario(kKinds[1].name, Child<1>) &&
                         RegisterCrashScenario(kKinds[2].name, Child<2>) &&
                         RegisterCrashScenario(kKinds[3].name, Child<3>) &&
                         RegisterCrashScenario(kKinds[4].name, Child<4>) &&
                         RegisterCrashScenario(kKinds[5].name, Child<5>);
static_assert(std::size(kKinds) == 6);

class SaveFaultsTest : public ::testing::TestWithParam<int> {
 protected:
  const SaveKind& kind() const { return kKinds[GetParam()]; }

  // The calls of the save, from a run without a fault.
  std::vector<CallKind> CallsOfTheSave() {
    TempDir dir(TempDir::Where::kMemory);
    WriteOldState(kind(), dir.path());
    TestPlatform base;
    base.refuseReplace = kind().refuseReplace;
    FaultPlatform platform(&base);
    platform.Arm(0, FaultKind::kFail);
    EXPECT_TRUE(Save(kind(), &platform, dir.path()).ok());
    EXPECT_EQ(State(Target(dir.path())), kind().newState);
    return platform.log();
  }

  // Recovery as the next start runs it; what the file then holds must be
  // one of the two states, and the recovery's account must match it.
  std::string Recover(const std::string& dir) {
    TestPlatform platform;
    const Recovery r = RecoverInterruptedSave(&platform, Target(dir));
    EXPECT_TRUE(r.status.ok()) << r.status.message();
    const std::string state = State(Target(dir));
    EXPECT_TRUE(state == kind().oldState || state == kind().newState);
    if (r.action == Recovery::Action::kCompleted) {
      EXPECT_EQ(state, kind().newState);
    } else if (r.action != Recovery::Action::kNone) {
      EXPECT_EQ(state, kind().oldState);
    }
    EXPECT_FALSE(FileExists(JournalPath(Target(dir))));
    return state;
  }
};

TEST_P(SaveFaultsTest, EveryFailingCallLeavesOldOrNewAndTheStatusSaysWhich) {
  const std::vector<CallKind> calls = CallsOfTheSave();
  const std::vector<FaultCase> cases = FaultCasesOf(calls, false);
  int failed = 0;
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.Describe());
    TempDir dir(TempDir::Where::kMemory);
    WriteOldState(kind(), dir.path());
    TestPlatform base;
    base.refuseReplace = kind().refuseReplace;
    FaultPlatform platform(&base);
    platform.Arm(c.at, c.kind);
    const Status status = Save(kind(), &platform, dir.path());
    ASSERT_TRUE(platform.fired());
    // A journal stays where the new contents are in place and only its
    // removal failed, and where even a rollback failed: the status then
    // says that the next start puts the old contents back.
    if (FileExists(JournalPath(Target(dir.path()))) && !status.ok()) {
      EXPECT_NE(status.message().find("the next start"), std::string::npos) << status.message();
    }
    const std::string state = Recover(dir.path());
    EXPECT_EQ(state, status.ok() ? kind().newState : kind().oldState) << status.message();
    failed += status.ok() ? 0 : 1;
    // Only a failed removal leaves a file behind.
    if (c.call != CallKind::kRemove && c.call != CallKind::kUnlock) {
      EXPECT_EQ(Leftovers(dir.path()), std::vector<std::string>());
    }
  }
  // One call more than the save makes: it runs to its end untouched.
  TempDir dir(TempDir::Where::kMemory);
  WriteOldState(kind(), dir.path());
  TestPlatform base;
  base.refuseReplace = kind().refuseReplace;
  FaultPlatform platform(&base);
  platform.Arm(static_cast<int>(calls.size()) + 1, FaultKind::kFail);
  EXPECT_TRUE(Save(kind(), &platform, dir.path()).ok());
  EXPECT_FALSE(platform.fired());
  std::cout << "[ faults ] " << kind().name << ": " << calls.size() << " calls, " << cases.size()
            << " cases, " << failed << " reported as not saved\n";
}

TEST_P(SaveFaultsTest, EveryCrashPointLeavesOldOrNewAfterRecovery) {
  const std::vector<CallKind> calls = CallsOfTheSave();
  const std::vector<FaultCase> cases = FaultCasesOf(calls, true);
  int recoveredNew = 0;
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.Describe());
    TempDir dir(TempDir::Where::kMemory);
    WriteOldState(kind(), dir.path());
    ASSERT_EQ(RunCrashChild(kind().name, dir.path(), c.at, c.kind), kCrashExitCode);
    recoveredNew += Recover(dir.path()) == kind().newState ? 1 : 0;
    // Nothing the crash left (a temporary file, a lock file) stands in the
    // way of the next save.
    fs::remove(Target(dir.path()));
    WriteOldState(kind(), dir.path());
    TestPlatform platform;
    platform.refuseReplace = kind().refuseReplace;
    const Status again = Save(kind(), &platform, dir.path());
    EXPECT_TRUE(again.ok()) << again.message();
  }
  TempDir dir(TempDir::Where::kMemory);
  WriteOldState(kind(), dir.path());
  EXPECT_EQ(
      RunCrashChild(kind().name, dir.path(), static_cast<int>(calls.size()) + 1, FaultKind::kCrash),
      0);
  EXPECT_EQ(State(Target(dir.path())), kind().newState);
  std::cout << "[ crashes ] " << kind().name << ": " << cases.size() << " crash points, "
            << recoveredNew << " recovered as saved\n";
}

INSTANTIATE_TEST_SUITE_P(Kinds, SaveFaultsTest, ::testing::Range(0, 6),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return std::string(kKinds[param.param].name);
                         });

}  // namespace
}  // namespace taliq::test
