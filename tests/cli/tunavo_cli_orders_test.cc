// tunavo-cli's commands over the kept orders (history, undo), run as users
// run them on an installation with two copies and a data folder of the
// test's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/cli/installed_cli_fixture.h"
#include "tests/freqtool/installation.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

using test::Installation;
using test::ProgramRun;
using Bytes = std::vector<std::uint8_t>;

class TunavoCliOrdersTest : public test::InstalledCliTest {
 protected:
  std::string List(const std::string& code) const { return Cli({"list", code}).out; }
};

TEST_F(TunavoCliOrdersTest, HistoryShowsEachSaveAndUndoWalksBackToTheOriginal) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  ProgramRun run = Cli({"history"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");

  ASSERT_EQ(Cli({"order", "123", "丙", "甲", "乙", "丁"}).status, 0);
  ASSERT_EQ(Cli({"order", "123", "丁", "丙", "甲", "乙"}).status, 0);
  run = Cli({"history", "--limit", "1"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\tsave\tcht\tcharacters\t123\t丙 甲 乙 丁\t->\t丁 丙 甲 乙\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);  // one line

  run = Cli({"undo"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("cht characters 123"), std::string::npos) << run.out;
  EXPECT_EQ(List("123"), "丙\n甲\n乙\n丁\n");
  ASSERT_EQ(Cli({"undo"}).status, 0);
  EXPECT_EQ(install_.Snapshot(), original);

  run = Cli({"undo"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("there is no save left to undo"), std::string::npos) << run.err;
  EXPECT_EQ(install_.Snapshot(), original);

  run = Cli({"history"});
  EXPECT_EQ(run.status, 0);
  int undoLines = 0;
  for (std::size_t at = run.out.find("\tundo\t"); at != std::string::npos;
       at = run.out.find("\tundo\t", at + 1)) {
    ++undoLines;
  }
  EXPECT_EQ(undoLines, 2) << run.out;
}

TEST_F(TunavoCliOrdersTest, ExportResetImportAndReapplyGiveBackTheSameTables) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  ASSERT_EQ(Cli({"order", "123", "丙", "甲", "乙", "丁"}).status, 0);
  ASSERT_EQ(Cli({"order", "--phrases", "12345", "中心點", "中文", "中國", "中間"}).status, 0);
  ASSERT_EQ(Cli({"order", "--punctuation", "？", "，", "。", "！"}).status, 0);
  const std::map<std::string, Bytes> saved = install_.Snapshot();

  ProgramRun run = Cli({"status"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("cht:\n  original: snapshot 1 of "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  characters: 1 code differs from the original order\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  installation: unchanged since the last save"), std::string::npos);

  const std::string file = install_.dir().Join("mine.tsv");
  run = Cli({"export", file});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "exported 3 groups to " + file + "\n");
  const std::string exported = Cli({"export", "-"}).out;
  EXPECT_EQ(test::ReadBytes(file), Bytes(exported.begin(), exported.end()));
  EXPECT_NE(exported.find("cht\tcharacters\t123\t丙 甲 乙 丁\n"), std::string::npos) << exported;

  run = Cli({"reset", "--all"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("reset 3 groups to the original order\n"), std::string::npos) << run.out;
  EXPECT_EQ(install_.Snapshot(), original);

  run = Cli({"import", "--dry-run", file});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("would change 3 groups"), std::string::npos) << run.out;
  EXPECT_EQ(install_.Snapshot(), original);
  run = Cli({"import", file});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(install_.Snapshot(), saved);

  // Reinstalled: the original files are back; reapply brings the orders back.
  install_.InstallAll();
  run = Cli({"status"});
  EXPECT_NE(run.out.find("  installation: CHANGED since the last save"), std::string::npos)
      << run.out;
  run = Cli({"reapply"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("the cht dictionary was replaced"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("changed 3 groups, 0 already in that order, 0 not applied"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(install_.Snapshot(), saved);
}

TEST_F(TunavoCliOrdersTest, ResetOfOneCodeAndExitStatuses) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  ASSERT_EQ(Cli({"order", "123", "丙", "甲", "乙", "丁"}).status, 0);
  ProgramRun run = Cli({"reset", "123"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "cht characters 123: 丙 甲 乙 丁 -> 甲 乙 丙 丁\nreset 1 group to the original order\n");
  EXPECT_EQ(install_.Snapshot(), original);
  run = Cli({"reset", "123"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "nothing to reset: already in the original order\n");
  EXPECT_EQ(Cli({"reset", "9876"}).status, 2);

  // An import with a line that cannot apply: the others apply, exit 1.
  const std::string file = install_.dir().Join("bad.tsv");
  const std::string text =
      "# taliq-orders 1\ncht\tcharacters\t9876\t甲\ncht\tcharacters\t123\t丁 丙 乙 甲\n";
  test::WriteBytes(file, Bytes(text.begin(), text.end()));
  run = Cli({"import", file});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("line 2 not applied"), std::string::npos) << run.err;
  EXPECT_EQ(List("123"), "丁\n丙\n乙\n甲\n");
  const std::string notOrders = install_.dir().Join("not.tsv");
  test::WriteBytes(notOrders, Bytes{'x', '\n'});
  EXPECT_EQ(Cli({"import", notOrders}).status, 2);
  EXPECT_EQ(Cli({"import", install_.dir().Join("missing.tsv")}).status, 1);
}

TEST_F(TunavoCliOrdersTest, ASaveIsKeptEvenWhenTheSecondCopyWasNotWritten) {
  std::filesystem::remove(install_.File(true, 1, 0, "lurmsmz.mb"));
  const ProgramRun run = Cli({"order", "123", "丙", "甲", "乙", "丁"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(Cli({"history"}).out.find("\tsave\tcht\tcharacters\t123\t"), std::string::npos);
}

TEST_F(TunavoCliOrdersTest, ASaveThatCannotBeKeptSaysSoAndExits1) {
  const std::string blocker = install_.dir().Join("blocker");
  test::WriteBytes(blocker, Bytes{'x'});
  const ProgramRun run = test::RunProgram(
      TUNAVO_CLI_PATH, {"--program-files", install_.programFiles(), "--data-dir", blocker + "/data",
                        "order", "123", "丙", "甲", "乙", "丁"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("成功保存調頻信息!"), std::string::npos) << run.out;  // the save stands
  EXPECT_NE(run.err.find("未能記錄到調頻歷史"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(blocker), std::string::npos) << run.err;
}

TEST_F(TunavoCliOrdersTest, BadArgumentsAreUsageErrors) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"history", "--limit", "x"},
                                               {"history", "extra"},
                                               {"undo", "extra"},
                                               {"reset"},
                                               {"reset", "--all", "123"},
                                               {"reset", "--phrases", "--punctuation"},
                                               {"reset", "12345"},
                                               {"reset", "12a"},
                                               {"export"},
                                               {"export", "a", "b"},
                                               {"import"},
                                               {"status", "extra"},
                                               {"reapply", "extra"}}) {
    const ProgramRun run = Cli(args);
    EXPECT_EQ(run.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace taliq
