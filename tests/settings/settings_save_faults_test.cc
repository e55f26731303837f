// The settings save of three files with every step failing, and with the
// process ending at every step: afterwards (and after the recovery the next
// load runs) each file holds all of its old contents or all of its new
// ones, the files were written in order, and the status names the first
// file that does not hold the new contents.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/journal.h"
#include "platform/text.h"
#include "settings/settings_file.h"
#include "tests/support/crash_child.h"
#include "tests/support/fault_cases.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

constexpr char kOld[] = "[BaseConfig]\r\nA=old value\r\nKEEP=x\r\n";
constexpr char kNew[] = "[BaseConfig]\r\nA=new\r\nKEEP=x\r\n";

// A machine below `root`: the per-user file and both installation copies.
struct Machine {
  explicit Machine(std::string folder) : root(std::move(folder)) {}
  std::string root;
  std::string AppData() const { return root + "/AppData"; }
  std::string ProgramFiles() const { return root + "/Program Files (x86)"; }
  std::array<std::string, 3> Files() const {
    return {AppData() + "/ZIRIZIR/rozevuv_cht.ini",
            ProgramFiles() + "/lurm/RozeVuv_cht/rozevuv_cht.ini",
            root + "/Program Files/lurm/RozeVuv_cht/rozevuv_cht.ini"};
  }
  void Create() const {
    for (const std::string& f : Files()) {
      std::filesystem::create_directories(std::filesystem::path(f).parent_path());
      WriteBytes(f, std::vector<std::uint8_t>(kOld, kOld + sizeof(kOld) - 1));
    }
  }
  void Configure(TestPlatform* platform) const {
    platform->SetAppDataFolder(AppData());
    platform->SetProgramFilesFolder(ProgramFiles());
  }
  // "N" (new), "O" (old) or "?" (anything else) per file.
  std::string States() const {
    std::string states;
    for (const std::string& f : Files()) {
      const std::vector<std::uint8_t> b = ReadBytes(f);
      const std::string s(b.begin(), b.end());
      states += s == kNew ? 'N' : s == kOld ? 'O' : '?';
    }
    return states;
  }
};

// The save as the dialog's OK makes it; the fault counts from the save.
int Save(const Machine& machine, bool held, FaultPlatform* platform, TestPlatform* base,
         SettingsFile* file, bool armFromEnvironment) {
  machine.Configure(base);
  base->refuseReplace = held;
  if (file->LoadSettings() != 1) return 3;
  file->SetSetting("A", "new");
  if (armFromEnvironment) platform->ArmFromEnvironment();
  return file->SaveSettings();
}

template <bool kHeld>
int Child(const std::string& dir) {
  TestPlatform base;
  FaultPlatform platform(&base);
  SettingsFile file(&platform);
  return Save(Machine(dir), kHeld, &platform, &base, &file, true) == 1 ? 0 : 1;
}
const bool kRegistered = RegisterCrashScenario("settings", Child<false>) &&
                         RegisterCrashScenario("settings_held", Child<true>);

// "settings": the files replaced by new ones; "settings_held": another
// program holds them, so each is rewritten in place under a journal.
class SettingsSaveFaultsTest : public ::testing::TestWithParam<bool> {
 protected:
  bool held() const { return GetParam(); }
  const char* name() const { return held() ? "settings_held" : "settings"; }

  // The calls of the save alone, from a run without a fault armed after
  // the load.
  std::vector<CallKind> CallsOfTheSave() {
    TempDir dir(TempDir::Where::kMemory);
    Machine machine(dir.path());
    machine.Create();
    TestPlatform base;
    FaultPlatform platform(&base);
    SettingsFile file(&platform);
    machine.Configure(&base);
    base.refuseReplace = held();
    EXPECT_EQ(file.LoadSettings(), 1);
    file.SetSetting("A", "new");
    platform.Arm(0, FaultKind::kFail);
    EXPECT_EQ(file.SaveSettings(), 1);
    EXPECT_EQ(machine.States(), "NNN");
    return platform.log();
  }

  // A fresh load, as the next start of a tool runs it, and no journal left.
  void Recover(const Machine& machine) {
    TestPlatform platform;
    machine.Configure(&platform);
    SettingsFile file(&platform);
    EXPECT_EQ(file.LoadSettings(), 1) << file.LastStatus().message();
    for (const std::string& f : machine.Files()) EXPECT_FALSE(FileExists(JournalPath(f))) << f;
  }
};

TEST_P(SettingsSaveFaultsTest, EveryFailingCallLeavesEachFileOldOrNewAndTheStatusSaysWhich) {
  const std::vector<CallKind> calls = CallsOfTheSave();
  const std::vector<FaultCase> cases = FaultCasesOf(calls, false);
  int failed = 0;
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.Describe());
    TempDir dir(TempDir::Where::kMemory);
    Machine machine(dir.path());
    machine.Create();
    TestPlatform base;
    FaultPlatform platform(&base);
    SettingsFile file(&platform);
    machine.Configure(&base);
    base.refuseReplace = held();
    ASSERT_EQ(file.LoadSettings(), 1);
    file.SetSetting("A", "new");
    platform.Arm(c.at, c.kind);
    const int result = file.SaveSettings();
    ASSERT_TRUE(platform.fired());
    Recover(machine);
    if (result == 1) {
      EXPECT_EQ(machine.States(), "NNN");
      continue;
    }
    ++failed;
    EXPECT_EQ(result, -1);
    // The files before the one named were written; it and those after not.
    const int named = static_cast<int>(file.LastFailure().copy) - 1;
    ASSERT_GE(named, 0);
    EXPECT_EQ(machine.States(), std::string(static_cast<size_t>(named), 'N') +
                                    std::string(static_cast<size_t>(3 - named), 'O'))
        << DescribeSettingsFailure(file.LastFailure());
    if (c.call == CallKind::kLock) {
      EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kBusy);
      EXPECT_EQ(file.LastStatus().code(), Status::Code::kBusy);
    }
  }
  std::cout << "[ faults ] " << name() << ": " << calls.size() << " calls, " << cases.size()
            << " cases, " << failed << " reported as not saved\n";
}

TEST_P(SettingsSaveFaultsTest, EveryCrashPointLeavesEachFileOldOrNewAfterTheNextLoad) {
  const std::vector<CallKind> calls = CallsOfTheSave();
  const std::vector<FaultCase> cases = FaultCasesOf(calls, true);
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.Describe());
    TempDir dir(TempDir::Where::kMemory);
    Machine machine(dir.path());
    machine.Create();
    ASSERT_EQ(RunCrashChild(name(), dir.path(), c.at, c.kind), kCrashExitCode);
    Recover(machine);
    // New files, then at most one that is either, then old ones: in the
    // order of the save.
    const std::string states = machine.States();
    EXPECT_TRUE(states == "OOO" || states == "NOO" || states == "NNO" || states == "NNN") << states;
  }
  TempDir dir(TempDir::Where::kMemory);
  Machine machine(dir.path());
  machine.Create();
  EXPECT_EQ(
      RunCrashChild(name(), dir.path(), static_cast<int>(calls.size()) + 1, FaultKind::kCrash), 0);
  EXPECT_EQ(machine.States(), "NNN");
  std::cout << "[ crashes ] " << name() << ": " << cases.size() << " crash points\n";
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsSaveFaultsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return std::string(param.param ? "Held" : "Replaced");
                         });

}  // namespace
}  // namespace taliq::test
