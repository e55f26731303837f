// tunavo-cli's commands over the kept orders (history, undo), run as users
// run them on an installation with two copies and a data folder of the
// test's own.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/freqtool/installation.h"
#include "tests/support/run_program.h"

namespace taliq {
namespace {

using test::Installation;
using test::ProgramRun;
using Bytes = std::vector<std::uint8_t>;

class TunavoCliOrdersTest : public ::testing::Test {
 protected:
  void SetUp() override { install_.InstallAll(); }

  ProgramRun Cli(const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"--program-files", install_.programFiles(), "--data-dir",
                                    install_.dir().Join("data")};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunProgram(TUNAVO_CLI_PATH, all);
  }
  std::string List(const std::string& code) const { return Cli({"list", code}).out; }

  Installation install_;
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

TEST_F(TunavoCliOrdersTest, BadArgumentsAreUsageErrors) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"history", "--limit", "x"},
                                               {"history", "extra"},
                                               {"undo", "extra"}}) {
    const ProgramRun run = Cli(args);
    EXPECT_EQ(run.status, 2) << args[0] << " " << args[1];
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace taliq
