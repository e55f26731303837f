// tunavo-cli's saving commands, run as users run them: the built program on
// an installation with two copies, its output, its exit status and the
// bytes of both copies checked.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "tests/cli/installed_cli_fixture.h"
#include "tests/freqtool/installation.h"
#include "tests/support/leftover_journal.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

using test::Dictionary;
using test::Installation;
using test::ProgramRun;
using test::ReadBytes;
using Bytes = std::vector<std::uint8_t>;

constexpr int kCht = 1;
constexpr int kChs = 0;
const std::string kSuccessLine = Utf16ToUtf8(kSaveSucceededMessage) + "\n";

class TunavoCliSaveTest : public test::InstalledCliTest {
 protected:
  Bytes File(bool second, int charset, int edition, const char* name) const {
    return ReadBytes(install_.File(second, charset, edition, name));
  }
  std::map<std::string, Bytes> Snapshot() const { return install_.Snapshot(); }
};

struct SaveCase {
  const char* name;
  std::vector<std::string> args;
  int charset;
  int edition;
  const char* code;
  bool phrase;
  std::vector<std::u16string> order;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

Dictionary Installed(int charset, int edition) {
  if (charset == 0) return edition == 1 ? test::Simplified2002() : test::SimplifiedStandard();
  return edition == 1 ? test::Traditional2002() : test::TraditionalStandard();
}

class SaveTest : public TunavoCliSaveTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveTest, SavesBothCopiesAndReportsSuccess) {
  const SaveCase& c = GetParam();
  const std::map<std::string, Bytes> before = Snapshot();
  const ProgramRun run = Cli(c.args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, kSuccessLine);
  EXPECT_EQ(run.err, "");

  const char* table = c.phrase ? kPhraseTableFileName : kCharacterTableFileName;
  const Dictionary d =
      Installed(c.charset, c.edition).Reordered(Utf8ToUtf16(c.code), c.phrase, c.order);
  const Bytes want = c.phrase ? d.Writer().PhraseTableBytes() : d.Writer().CharacterTableBytes();
  EXPECT_EQ(File(false, c.charset, c.edition, table), want);
  EXPECT_EQ(File(true, c.charset, c.edition, table), want);
  std::map<std::string, Bytes> after = Snapshot();
  std::map<std::string, Bytes> unchanged = before;
  for (bool second : {false, true}) {
    after.erase(install_.File(second, c.charset, c.edition, table));
    unchanged.erase(install_.File(second, c.charset, c.edition, table));
  }
  EXPECT_EQ(after, unchanged);

  // `list` shows the saved order.
  std::vector<std::string> list = {c.charset == 0 ? "--charset=chs" : "--charset=cht",
                                   c.edition == 1 ? "--edition=2002" : "--edition=standard",
                                   "list"};
  if (c.phrase && std::strlen(c.code) <= 4) list.push_back("--phrases");
  list.push_back(c.code);
  std::string shown;
  for (const std::u16string& t : c.order) shown += Utf16ToUtf8(t) + "\n";
  EXPECT_EQ(Cli(list).out, shown);
}

INSTANTIATE_TEST_SUITE_P(Table, SaveTest,
                         ::testing::Values(SaveCase{"MoveTop",
                                                    {"move", "123", "丙", "--top"},
                                                    kCht,
                                                    0,
                                                    "123",
                                                    false,
                                                    {u"丙", u"甲", u"乙", u"丁"}},
                                           SaveCase{"MoveUp",
                                                    {"move", "123", "丁", "--up"},
                                                    kCht,
                                                    0,
                                                    "123",
                                                    false,
                                                    {u"甲", u"乙", u"丁", u"丙"}},
                                           SaveCase{"MoveDownOptionFirst",
                                                    {"move", "--down", "1234", "天"},
                                                    kCht,
                                                    0,
                                                    "1234",
                                                    false,
                                                    {u"地", u"天", u"人"}},
                                           SaveCase{"MoveBottomFiveDigitPhrases",
                                                    {"move", "12345", "中國", "--bottom"},
                                                    kCht,
                                                    0,
                                                    "12345",
                                                    true,
                                                    {u"中文", u"中間", u"中心點", u"中國"}},
                                           SaveCase{"MovePhrasesOfOneDigit",
                                                    {"move", "--phrases", "1", "一樣", "--top"},
                                                    kCht,
                                                    0,
                                                    "1",
                                                    true,
                                                    {u"一樣", u"一個", u"一起"}},
                                           SaveCase{"MoveSimplified2002",
                                                    {"--charset", "chs", "--edition", "2002",
                                                     "move", "123", "本", "--top"},
                                                    kChs,
                                                    1,
                                                    "123",
                                                    false,
                                                    {u"本", u"旧", u"版"}},
                                           SaveCase{"OrderCharacters",
                                                    {"order", "123", "丁", "丙", "乙", "甲"},
                                                    kCht,
                                                    0,
                                                    "123",
                                                    false,
                                                    {u"丁", u"丙", u"乙", u"甲"}},
                                           SaveCase{"OrderPhrases",
                                                    {"order", "--phrases", "123", "丙丁", "甲乙"},
                                                    kCht,
                                                    0,
                                                    "123",
                                                    true,
                                                    {u"丙丁", u"甲乙"}},
                                           SaveCase{"OrderSimplifiedPhrases",
                                                    {"--charset", "chs", "order", "12345", "中文",
                                                     "中国"},
                                                    kChs,
                                                    0,
                                                    "12345",
                                                    true,
                                                    {u"中文", u"中国"}}),
                         [](const ::testing::TestParamInfo<SaveCase>& p) { return p.param.name; });

struct RefusedCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* errContains;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedTest : public TunavoCliSaveTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedTest, WritesNothingAndClaimsNoSuccess) {
  const RefusedCase& c = GetParam();
  const std::map<std::string, Bytes> before = Snapshot();
  const ProgramRun run = Cli(c.args);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(c.errContains), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedTest,
    ::testing::Values(
        RefusedCase{
            "AlreadyAtTop", {"move", "123", "甲", "--top"}, 0, "'甲' is already at the top"},
        RefusedCase{
            "AlreadyAtBottom", {"move", "123", "丁", "--down"}, 0, "'丁' is already at the bottom"},
        RefusedCase{"OnlyCandidate", {"move", "124", "日", "--bottom"}, 0, "already at the bottom"},
        RefusedCase{"OrderUnchanged", {"order", "123", "甲", "乙", "丙", "丁"}, 0, "unchanged"},
        RefusedCase{
            "TextNotListed", {"move", "123", "天", "--top"}, 2, "'天' is not listed for code 123"},
        RefusedCase{"CodeWithoutCandidates", {"move", "999", "天", "--top"}, 2, "not listed"},
        RefusedCase{"PhraseNotInCharacterList", {"move", "123", "甲乙", "--top"}, 2, "not listed"},
        RefusedCase{"OrderMissingOne", {"order", "123", "丁", "丙", "乙"}, 2, "'甲' is missing"},
        RefusedCase{
            "OrderUnknown", {"order", "123", "丁", "丙", "乙", "天"}, 2, "'天' is not one of them"},
        RefusedCase{
            "OrderTwice", {"order", "123", "丁", "丁", "乙", "甲"}, 2, "'丁' is given more often"},
        RefusedCase{"OrderExtra",
                    {"order", "123", "丁", "丙", "乙", "甲", "甲"},
                    2,
                    "'甲' is given more often"},
        RefusedCase{"NoDirection", {"move", "123", "丙"}, 2, "--top, --up, --down, --bottom"},
        RefusedCase{"TwoDirections", {"move", "123", "丙", "--top", "--up"}, 2, "--top, --up"},
        RefusedCase{"BadCode", {"move", "12a", "丙", "--top"}, 2, "invalid code '12a'"},
        RefusedCase{"SevenDigits", {"order", "1234567", "丙"}, 2, "invalid code"},
        RefusedCase{"NoText", {"move", "123", "--top"}, 2, "no TEXT"},
        RefusedCase{"TwoTexts", {"move", "123", "甲", "乙", "--top"}, 2, "exactly one TEXT"},
        RefusedCase{"PhrasesAndPunctuation",
                    {"order", "--phrases", "--punctuation", "。"},
                    2,
                    "exclude each other"},
        RefusedCase{"PunctuationNotPermutation",
                    {"order", "--punctuation", "。", "，"},
                    2,
                    "'！' is missing"}),
    [](const ::testing::TestParamInfo<RefusedCase>& p) { return p.param.name; });

TEST_F(TunavoCliSaveTest, PunctuationIsListedAndSavedInTheFirstCopyOnly) {
  ProgramRun run = Cli({"list", "--punctuation"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "，\n。\n！\n？\n");
  run = Cli({"--charset", "chs", "list", "--punctuation"});
  EXPECT_EQ(run.out, "、\n；\n");

  const Bytes secondBefore = File(true, kCht, 0, kPunctuationFileName);
  run = Cli({"order", "--punctuation", "？", "！", "，", "。"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, kSuccessLine);
  Dictionary d = test::TraditionalStandard();
  d.punctuation = u"？！，。";
  EXPECT_EQ(File(false, kCht, 0, kPunctuationFileName), d.Writer().PunctuationBytes());
  EXPECT_EQ(File(true, kCht, 0, kPunctuationFileName), secondBefore);

  run = Cli({"move", "--punctuation", "。", "--top"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, kSuccessLine);
  EXPECT_EQ(Cli({"list", "--punctuation"}).out, "。\n？\n！\n，\n");
}

TEST_F(TunavoCliSaveTest, SecondCopyThatDiffersIsNamedAndTheFirstIsKept) {
  Dictionary other = test::TraditionalStandard();
  other.characters.insert(other.characters.begin(), {u"1239", {test::Ch(u'九', 900)}});
  install_.Install(true, kCht, 0, other);
  const Bytes secondBefore = File(true, kCht, 0, kCharacterTableFileName);
  const ProgramRun run = Cli({"move", "123", "丁", "--top"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  const std::string second = install_.File(true, kCht, 0, kCharacterTableFileName);
  const std::string first = install_.File(false, kCht, 0, kCharacterTableFileName);
  EXPECT_NE(run.err.find("the second copy (" + second + ") was not written"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("only the first copy (" + first + ") was saved"), std::string::npos)
      << run.err;
  EXPECT_EQ(File(true, kCht, 0, kCharacterTableFileName), secondBefore);
  EXPECT_EQ(File(false, kCht, 0, kCharacterTableFileName),
            test::TraditionalStandard()
                .Reordered(u"123", false, {u"丁", u"甲", u"乙", u"丙"})
                .Writer()
                .CharacterTableBytes());
}

TEST_F(TunavoCliSaveTest, MissingSecondCopyIsAFailure) {
  std::filesystem::remove_all(install_.Folder(true, kCht, 0));
  const ProgramRun run = Cli({"order", "--phrases", "1", "一起", "一個", "一樣"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("the second copy"), std::string::npos) << run.err;
}

TEST_F(TunavoCliSaveTest, ReadOnlyFirstCopyWritesNeitherCopy) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  const std::string first = install_.File(false, kCht, 0, kCharacterTableFileName);
  test::SetReadOnly(first, true);
  const std::map<std::string, Bytes> before = Snapshot();
  const ProgramRun run = Cli({"move", "123", "丁", "--top"});
  test::SetReadOnly(first, false);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("the first copy (" + first + ") was not written"), std::string::npos)
      << run.err;
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(TunavoCliSaveTest, UnreadableTableIsAFailureNotAnEmptyList) {
  std::filesystem::remove(install_.File(false, kCht, 0, kCharacterTableFileName));
  const ProgramRun run = Cli({"move", "123", "甲", "--bottom"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot read"), std::string::npos) << run.err;
}

TEST_F(TunavoCliSaveTest, HelpNamesTheSavingCommands) {
  ProgramRun run = Cli({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("move [--phrases] CODE TEXT --top|--up|--down|--bottom"),
            std::string::npos);
  EXPECT_NE(run.out.find("order [--phrases] CODE TEXT..."), std::string::npos);
  EXPECT_NE(run.out.find("list --punctuation"), std::string::npos);
  run = Cli({"list", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--punctuation"), std::string::npos);
  EXPECT_NE(run.out.find("--values"), std::string::npos);
}

// Saves an earlier run left unfinished in both copies are resolved before
// anything is read, and each is told once on standard error, one line per
// file, whatever the command; the next run finds nothing to tell.
TEST_F(TunavoCliSaveTest, AnInterruptedSaveIsResolvedFirstAndToldOnceALineAFile) {
  const std::string first = install_.File(false, kCht, 0, kCharacterTableFileName);
  const std::string second = install_.File(true, kCht, 0, kPhraseTableFileName);
  const struct {
    std::vector<std::string> args;
    const char* out;
  } cases[] = {
      {{"list", "123"}, "甲\n乙\n丙\n丁\n"},
      {{"move", "123", "丁", "--top"}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const Bytes firstBefore = ReadBytes(first);
    const Bytes secondBefore = ReadBytes(second);
    test::PlantJournal(first, test::Leftover::kNewInPlace);
    test::PlantJournal(second, test::Leftover::kOldInPlace);
    const ProgramRun run = Cli(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.out != nullptr ? std::string(c.out) : kSuccessLine);
    EXPECT_EQ(run.err, "tunavo-cli: " + first +
                           ": a save that was interrupted has been completed; the file holds "
                           "the new contents\n"
                           "tunavo-cli: " +
                           second +
                           ": a save that was interrupted has been undone; the file holds what "
                           "it held before\n");
    EXPECT_FALSE(test::FileExists(JournalPath(first)));
    EXPECT_FALSE(test::FileExists(JournalPath(second)));
    EXPECT_EQ(ReadBytes(second), secondBefore);
    if (c.out != nullptr) {
      EXPECT_EQ(ReadBytes(first), firstBefore);
    }
    EXPECT_EQ(Cli({"list", "123"}).err, "");
  }
}

}  // namespace
}  // namespace taliq
