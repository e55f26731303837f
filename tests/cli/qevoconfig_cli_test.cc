// qevoconfig-cli as a user runs it: the real program on a folder tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/journal.h"
#include "tests/support/leftover_journal.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace taliq::test {
namespace {

class QevoConfigCliTest : public ::testing::Test {
 protected:
  QevoConfigCliTest() {
    appData_ = dir_.MakeDirs("AppData");
    programFiles_ = dir_.MakeDirs("Program Files (x86)");
    dir_.MakeDirs("Program Files (x86)/lurm/RozeVuv_cht");
    dir_.MakeDirs("Program Files/lurm/RozeVuv_cht");
  }

  // Runs the program without the folder and locale variables of the
  // test's environment, plus `env` (NAME=value each).
  static ProgramRun Run(const std::vector<std::string>& args,
                        const std::vector<std::string>& env = {}) {
    RunOptions options;
    options.unsetEnv = {"APPDATA", "PROGRAMFILES", "LC_ALL", "LC_CTYPE", "LANG"};
    options.setEnv = env;
    return RunProgram(QEVOCONFIG_CLI_PATH, args, options);
  }

  std::vector<std::string> Folders() const {
    return {"--appdata", appData_, "--program-files", programFiles_};
  }
  std::vector<std::string> With(std::vector<std::string> tail) const {
    std::vector<std::string> args = Folders();
    args.insert(args.end(), tail.begin(), tail.end());
    return args;
  }
  std::string PerUser() const { return appData_ + "/ZIRIZIR/rozevuv_cht.ini"; }
  std::string Copy2() const { return programFiles_ + "/lurm/RozeVuv_cht/rozevuv_cht.ini"; }
  std::string Copy3() const { return dir_.Join("Program Files/lurm/RozeVuv_cht/rozevuv_cht.ini"); }

  TempDir dir_;
  std::string appData_;
  std::string programFiles_;
};

TEST_F(QevoConfigCliTest, ShowOnAFreshMachineCreatesTheDefaultsAndPrintsTheDialog) {
  const struct {
    const char* codePage;
    const char* charsetLine;
  } cases[] = {{"1252", "CHSCHT=1\t繁體\n"}, {"936", "CHSCHT=0\t簡體\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    std::filesystem::remove_all(appData_ + "/ZIRIZIR");
    const ProgramRun r = Run(With({"--codepage", c.codePage, "show"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string("SHOWMODE=2\t豎排\nASSIO=0\t禁用\nSPEAK=0\t禁用\n") +
                         c.charsetLine +
                         "ORDERMODE=0\t與第四版字詞排序兼容\nZDY=0\t禁用\nZYCK=0\t禁用\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadText(PerUser()).size(), 77u);
    EXPECT_FALSE(FileExists(Copy2()));  // showing saves nothing
  }
}

TEST_F(QevoConfigCliTest, SetDoesWhatOkDoesToAllThreeFiles) {
  const ProgramRun r = Run(With({"--codepage=950", "set", "SHOWMODE=1", "ZDY=1", "ORDERMODE=1"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const std::string expected =
      "[BaseConfig]\r\nSHOWMODE=1\r\nMAMODE=3\r\nASSIO=0\r\nSPEAK=0\r\nCHSCHT=1\r\n"
      "ORDERMODE=1\r\nZDY=1\r\nZYCK=0\r\n";
  EXPECT_EQ(ReadText(PerUser()), expected);
  EXPECT_EQ(ReadText(Copy2()), expected);
  EXPECT_EQ(ReadText(Copy3()), expected);

  const ProgramRun shown = Run(With({"show"}), {"LANG=zh_TW.UTF-8"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out,
            "SHOWMODE=1\t橫排\nASSIO=0\t禁用\nSPEAK=0\t禁用\nCHSCHT=1\t繁體\n"
            "ORDERMODE=1\t與第四版字詞排序兼容\nZDY=1\t啟用\nZYCK=0\t禁用\n");
}

TEST_F(QevoConfigCliTest, FoldersComeFromTheEnvironmentWithoutOptions) {
  const ProgramRun r =
      Run({"set", "ZYCK=1"}, {"APPDATA=" + appData_, "PROGRAMFILES=" + programFiles_});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadText(Copy3()).find("ZYCK=1\r\n"), std::string::npos);
}

TEST_F(QevoConfigCliTest, UsageErrorsExitWithTwoAndWriteNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"bogus"},
      {"set"},
      {"set", "SHOWMODE=0"},
      {"set", "SHOWMODE=22"},
      {"set", "ZDY=2"},
      {"set", "showmode=1"},
      {"set", "MAMODE=3"},
      {"set", "SHOWMODE"},
      {"set", "ZDY=1", "ZDY=0"},
      {"show", "extra"},
      {"--codepage", "x", "show"},
      {"--codepage", "show"},
      {"--frob", "show"},
  };
  for (const auto& tail : cases) {
    std::string shown;
    for (const std::string& a : tail) shown += a + " ";
    SCOPED_TRACE(shown);
    const ProgramRun r = Run(With(tail));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: qevoconfig-cli"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(appData_ + "/ZIRIZIR"));
  }
}

TEST_F(QevoConfigCliTest, HelpAndVersionGoToStandardOutputAndTouchNothing) {
  const struct {
    std::vector<std::string> args;
    std::string out;     // exactly, when not empty
    std::string outHas;  // else standard output holds this
  } cases[] = {
      {{"--help"}, "", "\n  --version "},
      {{"-h", "set", "ZDY=1"}, "", "usage: qevoconfig-cli "},
      {{"--version"}, "qevoconfig-cli " TALIQ_VERSION "\n", ""},
      {{"--version", "set", "ZDY=1"}, "qevoconfig-cli " TALIQ_VERSION "\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const ProgramRun r = Run(With(c.args));
    EXPECT_EQ(r.status, 0) << r.err;
    if (c.out.empty()) {
      EXPECT_NE(r.out.find(c.outHas), std::string::npos) << r.out;
    } else {
      EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(std::filesystem::exists(appData_ + "/ZIRIZIR"));
  }
}

TEST_F(QevoConfigCliTest, FailedSaveSaysWhichCopyAndWhy) {
  std::filesystem::remove_all(dir_.Join("Program Files/lurm"));
  ProgramRun r = Run(With({"set", "SPEAK=1"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("native installation copy " + Copy3() + ": its folder does not exist"),
            std::string::npos)
      << r.err;
  EXPECT_NE(ReadText(Copy2()).find("SPEAK=1\r\n"), std::string::npos);

  std::filesystem::remove_all(programFiles_ + "/lurm");
  r = Run(With({"set", "SPEAK=0"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("installation copy " + Copy2()), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("the per-user file was saved"), std::string::npos) << r.err;
  EXPECT_NE(ReadText(PerUser()).find("SPEAK=0\r\n"), std::string::npos);

  r = Run({"--appdata", appData_, "set", "SPEAK=1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--program-files"), std::string::npos) << r.err;
}

TEST_F(QevoConfigCliTest, UnknownApplicationDataFolderIsReportedNotGuessed) {
  for (const char* command : {"show", "set"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {"--program-files", programFiles_, command};
    if (std::string(command) == "set") args.push_back("ZDY=1");
    const ProgramRun r = Run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--appdata"), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(Copy2()));
  }
}

// A folder name that is not UTF-8 is a folder name like any other here: the
// files go below exactly those bytes, and no folder named with U+FFFD
// appears.
TEST_F(QevoConfigCliTest, FoldersThatAreNotUtf8AreUsedAsGiven) {
  const std::string appData = dir_.MakeDirs(
      "App\xff\xfe"
      "Data");
  const std::string programFiles = dir_.MakeDirs("Programme \xe9 (x86)");
  dir_.MakeDirs("Programme \xe9 (x86)/lurm/RozeVuv_cht");
  const ProgramRun r = Run({"--appdata", appData, "--program-files", programFiles, "set", "ZDY=1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadText(appData + "/ZIRIZIR/rozevuv_cht.ini").find("ZDY=1\r\n"), std::string::npos);
  EXPECT_NE(ReadText(programFiles + "/lurm/RozeVuv_cht/rozevuv_cht.ini").find("ZDY=1\r\n"),
            std::string::npos);
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path())) {
    EXPECT_EQ(e.path().string().find("\xef\xbf\xbd"), std::string::npos) << e.path();
  }
}

// Saves an earlier run left unfinished are resolved before the settings are
// read (the per-user file) or written (the copies), each told once on
// standard error, one line per file; the next run finds nothing to tell.
TEST_F(QevoConfigCliTest, AnInterruptedSaveIsResolvedFirstAndToldOnceALineAFile) {
  ASSERT_EQ(Run(With({"set", "SPEAK=1"})).status, 0);
  const std::string perUser = ReadText(PerUser());
  const std::string copy2 = ReadText(Copy2());
  PlantJournal(PerUser(), Leftover::kNewInPlace);
  PlantJournal(Copy2(), Leftover::kOldInPlace);
  const ProgramRun r = Run(With({"show"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("SPEAK=1"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "qevoconfig-cli: " + PerUser() +
                       ": a save that was interrupted has been completed; the file holds the "
                       "new contents\n"
                       "qevoconfig-cli: " +
                       Copy2() +
                       ": a save that was interrupted has been undone; the file holds what it "
                       "held before\n");
  EXPECT_EQ(ReadText(PerUser()), perUser);
  EXPECT_EQ(ReadText(Copy2()), copy2);
  EXPECT_FALSE(FileExists(JournalPath(PerUser())));
  EXPECT_FALSE(FileExists(JournalPath(Copy2())));
  const ProgramRun again = Run(With({"set", "SPEAK=0"}));
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.err, "");
}

}  // namespace
}  // namespace taliq::test
