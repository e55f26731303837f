// Runs the built tunavo-cli on fixture installations and checks its output,
// its messages and its exit status.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dictionary/dictionary_store.h"
#include "dictionary/dictionary_writer.h"
#include "gtest/gtest.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "tests/support/leftover_journal.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

using test::ProgramRun;
using test::TempDir;

// Runs the program with `args`; PROGRAMFILES is removed from the
// environment, or set to `programFilesEnv`. Standard output goes to
// `stdoutPath` when given (a file or device), else is captured.
ProgramRun RunCli(const std::vector<std::string>& args,
                  const std::optional<std::string>& programFilesEnv = std::nullopt,
                  const std::string& stdoutPath = "") {
  test::RunOptions options;
  options.unsetEnv = {"PROGRAMFILES"};
  if (programFilesEnv) options.setEnv.push_back("PROGRAMFILES=" + *programFilesEnv);
  options.stdoutPath = stdoutPath;
  return test::RunProgram(TUNAVO_CLI_PATH, args, options);
}

void WriteDictionary(const std::string& folder, const DictionaryWriter& writer) {
  std::filesystem::create_directories(folder);
  std::string error;
  ASSERT_TRUE(writer.WriteFolder(folder + "/", &error)) << error;
}

// Two installations:
//  full:    "Program Files (x86)/lurm/rozevuv_cht/mb/" with cht, chs and
//           cht_2002 (chs_2002 is missing);
//  partial: only cht, below folders spelt with other capitals, and without
//           its phrase table.
class TunavoCliTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    const std::string mb = dir_->Join("full/Program Files (x86)/lurm/rozevuv_cht/mb/");

    DictionaryWriter cht;
    ASSERT_TRUE(cht.AddCharacter(u"1000", {u'一', {1, 0, 1}}));
    ASSERT_TRUE(cht.AddCharacter(u"1000", {u'丌', {5, 0, 3}}));
    ASSERT_TRUE(cht.AddCharacter(u"12", {u'七', {2, 1, 2}}));
    for (int i = 0; i < 301; ++i) {
      ASSERT_TRUE(cht.AddCharacter(u"9999", {static_cast<char16_t>(0x4E00 + i), {0, 0, 0}}));
    }
    ASSERT_TRUE(cht.AddPhrase(u"1000", {u"一丁", {2, 3}}));
    ASSERT_TRUE(cht.AddPhrase(u"10001", {u"一二三", {3, 7}}));
    ASSERT_TRUE(cht.AddPhrase(u"100102", {u"一二", {2, 2}}));
    ASSERT_TRUE(cht.AddPhrase(u"100102", {u"一下", {2, 4}}));
    cht.AddPunctuation(u'，');
    WriteDictionary(mb + "cht", cht);

    DictionaryWriter chs;
    ASSERT_TRUE(chs.AddCharacter(u"1000", {u'壹', {2, 0, 12}}));
    WriteDictionary(mb + "chs", chs);

    DictionaryWriter cht2002;
    ASSERT_TRUE(cht2002.AddCharacter(u"1000", {u'丌', {5, 0, 3}}));
    ASSERT_TRUE(cht2002.AddCharacter(u"1000", {u'一', {1, 0, 1}}));
    WriteDictionary(mb + "cht_2002", cht2002);

    DictionaryWriter partial;
    ASSERT_TRUE(partial.AddCharacter(u"1000", {u'一', {1, 0, 1}}));
    ASSERT_TRUE(partial.AddPhrase(u"10001", {u"一二三", {3, 7}}));
    const std::string partialFolder =
        dir_->Join("partial/Program Files (x86)/LURM/RozeVuv_cht/MB/cht");
    WriteDictionary(partialFolder, partial);
    std::filesystem::remove(partialFolder + "/" + kPhraseTableFileName);
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static std::string Full() { return dir_->Join("full/Program Files (x86)"); }
  static std::string Partial() { return dir_->Join("partial/Program Files (x86)"); }

  static TempDir* dir_;
};

TempDir* TunavoCliTest::dir_ = nullptr;

enum class Root { kNone, kFull, kPartial };
enum class Match { kExact, kContains };

struct Case {
  const char* name;
  Root option;  // given as --program-files
  Root env;     // given as PROGRAMFILES
  std::vector<std::string> args;
  int status;
  std::string out;
  Match outMatch;
  std::string err;  // a text stderr must contain; empty: stderr must be empty
};

std::string U8(std::u16string_view s) { return Utf16ToUtf8(s); }

const Case kCases[] = {
    // Lookups and their routing.
    {"DefaultsToTraditionalStandard",
     Root::kFull,
     Root::kNone,
     {"list", "1000"},
     0,
     "一\n丌\n",
     Match::kExact,
     ""},
    {"SimplifiedCharset",
     Root::kFull,
     Root::kNone,
     {"--charset", "chs", "list", "1000"},
     0,
     "壹\n",
     Match::kExact,
     ""},
    {"Edition2002",
     Root::kFull,
     Root::kNone,
     {"--edition", "2002", "list", "1000"},
     0,
     "丌\n一\n",
     Match::kExact,
     ""},
    {"ExplicitDefaults",
     Root::kFull,
     Root::kNone,
     {"--charset", "cht", "--edition", "standard", "list", "1000"},
     0,
     "一\n丌\n",
     Match::kExact,
     ""},
    {"ShortCodeListsCharacters",
     Root::kFull,
     Root::kNone,
     {"list", "12"},
     0,
     "七\n",
     Match::kExact,
     ""},
    {"PhrasesFlagTakesFourDigitsToPhrases",
     Root::kFull,
     Root::kNone,
     {"list", "--phrases", "1000"},
     0,
     "一丁\n",
     Match::kExact,
     ""},
    {"FiveDigitsListPhrases",
     Root::kFull,
     Root::kNone,
     {"list", "10001"},
     0,
     "一二三\n",
     Match::kExact,
     ""},
    {"SixDigitsListPhrasesInStoredOrder",
     Root::kFull,
     Root::kNone,
     {"list", "100102"},
     0,
     "一二\n一下\n",
     Match::kExact,
     ""},
    {"CharacterValues",
     Root::kFull,
     Root::kNone,
     {"list", "--values", "1000"},
     0,
     "一\t1\t0\t1\n丌\t5\t0\t3\n",
     Match::kExact,
     ""},
    {"PhraseValuesAfterTheCode",
     Root::kFull,
     Root::kNone,
     {"list", "100102", "--values"},
     0,
     "一二\t2\t2\n一下\t2\t4\n",
     Match::kExact,
     ""},
    {"CodeWithoutCandidates", Root::kFull, Root::kNone, {"list", "4321"}, 0, "", Match::kExact, ""},
    {"ProgramFilesFromEnvironment",
     Root::kNone,
     Root::kFull,
     {"list", "1000"},
     0,
     "一\n丌\n",
     Match::kExact,
     ""},
    {"OptionBeatsEnvironment",
     Root::kFull,
     Root::kPartial,
     {"list", "1000"},
     0,
     "一\n丌\n",
     Match::kExact,
     ""},
    // Folders spelt with other capitals; the simplified dictionary the store
    // starts on is missing there, which must not disturb a cht lookup.
    {"OtherCapitalsAndNoStartDictionary",
     Root::kPartial,
     Root::kNone,
     {"list", "1000"},
     0,
     "一\n",
     Match::kExact,
     ""},
    {"Help", Root::kNone, Root::kNone, {"--help"}, 0, "usage: tunavo-cli", Match::kContains, ""},
    {"ListHelp", Root::kNone, Root::kNone, {"list", "--help"}, 0, "--values", Match::kContains, ""},
    {"HelpNamesVersion",
     Root::kNone,
     Root::kNone,
     {"-h"},
     0,
     "\n  --version ",
     Match::kContains,
     ""},
    {"Version",
     Root::kNone,
     Root::kNone,
     {"--version"},
     0,
     "tunavo-cli " TALIQ_VERSION "\n",
     Match::kExact,
     ""},

    // Usage errors: status 2, nothing on stdout.
    {"NoProgramFilesNamesTheOption",
     Root::kNone,
     Root::kNone,
     {"list", "1000"},
     2,
     "",
     Match::kExact,
     "--program-files"},
    {"CodeWithLetter",
     Root::kFull,
     Root::kNone,
     {"list", "12a4"},
     2,
     "",
     Match::kExact,
     "invalid code '12a4'"},
    {"CodeOfSevenDigits",
     Root::kFull,
     Root::kNone,
     {"list", "1234567"},
     2,
     "",
     Match::kExact,
     "invalid code"},
    {"EmptyCode", Root::kFull, Root::kNone, {"list", ""}, 2, "", Match::kExact, "invalid code"},
    {"CodeWithFullWidthDigit",
     Root::kFull,
     Root::kNone,
     {"list", "１２"},
     2,
     "",
     Match::kExact,
     "invalid code"},
    {"BadCodeCheckedBeforeProgramFiles",
     Root::kNone,
     Root::kNone,
     {"list", "x"},
     2,
     "",
     Match::kExact,
     "invalid code"},
    {"NoCode", Root::kFull, Root::kNone, {"list"}, 2, "", Match::kExact, "no CODE"},
    {"TwoCodes",
     Root::kFull,
     Root::kNone,
     {"list", "1000", "1001"},
     2,
     "",
     Match::kExact,
     "unexpected argument '1001'"},
    {"BadCharset",
     Root::kFull,
     Root::kNone,
     {"--charset", "big5", "list", "1000"},
     2,
     "",
     Match::kExact,
     "--charset must be chs or cht"},
    {"BadEdition",
     Root::kFull,
     Root::kNone,
     {"--edition", "2003", "list", "1000"},
     2,
     "",
     Match::kExact,
     "--edition must be standard or 2002"},
    {"OptionWithoutValue",
     Root::kNone,
     Root::kNone,
     {"--charset"},
     2,
     "",
     Match::kExact,
     "'--charset' needs a value"},
    {"UnknownListOption",
     Root::kFull,
     Root::kNone,
     {"list", "--frobnicate", "1000"},
     2,
     "",
     Match::kExact,
     "unknown option '--frobnicate'"},
    {"GlobalOptionAfterCommand",
     Root::kFull,
     Root::kNone,
     {"list", "--charset", "chs", "1000"},
     2,
     "",
     Match::kExact,
     "unknown option '--charset'"},
    {"FlagWithValue",
     Root::kFull,
     Root::kNone,
     {"list", "--values=yes", "1000"},
     2,
     "",
     Match::kExact,
     "takes no value"},
    {"UnknownCommand",
     Root::kFull,
     Root::kNone,
     {"frob"},
     2,
     "",
     Match::kExact,
     "unknown command 'frob'"},
    {"NoCommand", Root::kFull, Root::kNone, {}, 2, "", Match::kExact, "no command"},
    {"VersionIsAGlobalOption",
     Root::kFull,
     Root::kNone,
     {"list", "--version", "1000"},
     2,
     "",
     Match::kExact,
     "unknown option '--version'"},
    {"VersionTakesNoValue",
     Root::kNone,
     Root::kNone,
     {"--version=1"},
     2,
     "",
     Match::kExact,
     "option '--version' takes no value"},

    // Unreadable dictionaries: status 1 with the store's own message.
    {"MissingIndexOfChosenDictionary",
     Root::kFull,
     Root::kNone,
     {"--charset", "chs", "--edition", "2002", "list", "1000"},
     1,
     "",
     Match::kExact,
     U8(kTableLoadFailedMessage)},
    {"MissingIndexOfStartDictionary",
     Root::kPartial,
     Root::kNone,
     {"--charset", "chs", "list", "1000"},
     1,
     "",
     Match::kExact,
     U8(kIndexLoadFailedMessage)},
    {"MissingTable",
     Root::kPartial,
     Root::kNone,
     {"list", "--phrases", "10001"},
     1,
     "",
     Match::kExact,
     "lurmsmc.mb"},
    {"ProgramFilesWithoutInstallation",
     Root::kNone,
     Root::kNone,
     {"--program-files", "/nonexistent/Program Files", "list", "1000"},
     1,
     "",
     Match::kExact,
     U8(kTableLoadFailedMessage)},

    // find: every code of each text, in the order the texts are given.
    {"FindInTheChosenDictionary",
     Root::kFull,
     Root::kNone,
     {"find", "一"},
     0,
     "cht\tcharacters\t1000\t1\t2\ncht\tcharacters\t9999\t1\t300\n",
     Match::kExact,
     ""},
    {"FindInEveryInstalledDictionary",
     Root::kFull,
     Root::kNone,
     {"find", "--all-dictionaries", "一二", "丌"},
     0,
     "cht\tphrases\t100102\t1\t2\n"
     "cht\tcharacters\t1000\t2\t2\ncht\tcharacters\t9999\t13\t300\n"
     "cht-2002\tcharacters\t1000\t1\t2\n",
     Match::kExact,
     ""},
    {"FindPhraseOfTheCharacterTableCode",
     Root::kFull,
     Root::kNone,
     {"find", "一丁"},
     0,
     "cht\tphrases\t1000\t1\t1\n",
     Match::kExact,
     ""},
    {"FindSomeTextNowhere",
     Root::kFull,
     Root::kNone,
     {"--charset", "chs", "find", "甲", "壹"},
     3,
     "chs\tcharacters\t1000\t1\t1\n",
     Match::kExact,
     "'甲' is a candidate of no code"},
    {"FindChosenDictionaryNotInstalled",
     Root::kFull,
     Root::kNone,
     {"--charset", "chs", "--edition", "2002", "find", "一"},
     1,
     "",
     Match::kExact,
     "lurm2008.idx: missing"},
    {"FindTableMissing",
     Root::kPartial,
     Root::kNone,
     {"find", "一"},
     1,
     "",
     Match::kExact,
     "lurmsmc.mb"},
    {"FindNoText", Root::kFull, Root::kNone, {"find"}, 2, "", Match::kExact, "no TEXT"},
    {"FindEmptyText", Root::kFull, Root::kNone, {"find", ""}, 2, "", Match::kExact, "empty TEXT"},

    // check: the problems, the differing codes, a summary.
    {"CheckSoundSingleCopy",
     Root::kFull,
     Root::kNone,
     {"check"},
     0,
     "checked 1 dictionary, 1 copy: 0 problems, 0 codes differ between the copies\n",
     Match::kExact,
     ""},
    {"CheckEveryInstalledDictionary",
     Root::kFull,
     Root::kNone,
     {"check", "--all-dictionaries"},
     0,
     "checked 3 dictionaries, 3 copies: 0 problems, 0 codes differ between the copies\n",
     Match::kExact,
     ""},
    {"CheckMissingTable",
     Root::kPartial,
     Root::kNone,
     {"check"},
     1,
     "\t0\tthe table is missing\n",
     Match::kContains,
     ""},
    {"CheckChosenDictionaryNotInstalled",
     Root::kFull,
     Root::kNone,
     {"--charset", "chs", "--edition", "2002", "check"},
     1,
     "",
     Match::kExact,
     "not installed"},
    {"CheckTakesNoArgument",
     Root::kFull,
     Root::kNone,
     {"check", "cht"},
     2,
     "",
     Match::kExact,
     "unexpected argument 'cht'"},
};

TEST_F(TunavoCliTest, Cases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args;
    if (c.option != Root::kNone) {
      args = {"--program-files", c.option == Root::kFull ? Full() : Partial()};
    }
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::optional<std::string> env;
    if (c.env != Root::kNone) env = c.env == Root::kFull ? Full() : Partial();

    const ProgramRun r = RunCli(args, env);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.outMatch == Match::kExact) {
      EXPECT_EQ(r.out, c.out);
    } else {
      EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    }
    if (c.err.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
  }
}

TEST_F(TunavoCliTest, OptionWithEqualsSign) {
  const ProgramRun r = RunCli({"--program-files=" + Full(), "--charset=chs", "list", "1000"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "壹\n");
}

TEST_F(TunavoCliTest, ListsAtMost300AndSaysSo) {
  const ProgramRun r = RunCli({"--program-files", Full(), "list", "9999"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    expected += U8(std::u16string(1, static_cast<char16_t>(0x4E00 + i))) + "\n";
  }
  EXPECT_EQ(r.out, expected);
  EXPECT_NE(r.err.find("at most 300"), std::string::npos) << r.err;
}

// An installation below a folder whose name is not UTF-8 is read and
// written there, not below a name made of U+FFFD.
TEST_F(TunavoCliTest, ProgramFilesThatIsNotUtf8IsUsedAsGiven) {
  TempDir scratch;
  const std::string folder = scratch.Join("Programme \xe9\xff (x86)");
  const std::string second = scratch.Join("Programme \xe9\xff");
  std::filesystem::copy(Full(), folder, std::filesystem::copy_options::recursive);
  std::filesystem::copy(Full(), second, std::filesystem::copy_options::recursive);
  ProgramRun r = RunCli({"--program-files", folder, "move", "1000", "丌", "--top"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& root : {folder, second}) {
    r = RunCli({"--program-files", root, "list", "1000"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "丌\n一\n");
  }
}

TEST_F(TunavoCliTest, FailedOutputIsAFailure) {
  if (!test::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const ProgramRun r =
      RunCli({"--program-files", Full(), "list", "1000"}, std::nullopt, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace taliq

namespace taliq {
namespace {

// An installation with two copies of cht, for the commands that read or
// write both.
class TwoCopiesTest : public ::testing::Test {
 protected:
  std::string First() const { return tmp_.Join("Program Files (x86)/lurm/rozevuv_cht/mb/cht/"); }
  std::string Second() const { return tmp_.Join("Program Files/lurm/rozevuv_cht/mb/cht/"); }
  void Install(std::uint16_t firstValue, std::uint16_t secondValue) {
    for (auto [folder, value] : {std::pair{First(), firstValue}, {Second(), secondValue}}) {
      DictionaryWriter w;
      ASSERT_TRUE(w.AddCharacter(u"1000", {u'一', {value, 0, 1}}));
      ASSERT_TRUE(w.AddPhrase(u"10001", {u"一二三", {3, 7}}));
      w.AddPunctuation(u'，');
      WriteDictionary(folder, w);
    }
  }
  test::ProgramRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-files", tmp_.Join("Program Files (x86)"), "--data-dir",
                               tmp_.Join("data")});
    return RunCli(args);
  }
  test::ProgramRun Sync() { return Run({"sync-copies"}); }
  std::vector<std::string> Kept() const {
    std::vector<std::string> files;
    if (!std::filesystem::exists(tmp_.Join("data"))) return files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tmp_.Join("data"))) {
      if (e.is_regular_file()) files.push_back(e.path().string());
    }
    return files;
  }

  TempDir tmp_;
};

// sync-copies: the old second copy kept byte for byte, then replaced;
// refused when the first copy is damaged.
using SyncCopiesTest = TwoCopiesTest;

TEST_F(SyncCopiesTest, KeepsTheOldFilesThenReplacesThem) {
  Install(1, 2);
  const std::vector<std::uint8_t> oldSecond = test::ReadBytes(Second() + kCharacterTableFileName);
  const test::ProgramRun r = Sync();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("replaced " + Second() + kCharacterTableFileName), std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find(kPhraseTableFileName), std::string::npos) << r.out;
  for (const char* file :
       {kIndexFileName, kCharacterTableFileName, kPhraseTableFileName, kPunctuationFileName}) {
    EXPECT_EQ(test::ReadBytes(Second() + file), test::ReadBytes(First() + file)) << file;
  }
  const std::vector<std::string> kept = Kept();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NE(kept[0].find("replaced-copies/cht/"), std::string::npos) << kept[0];
  EXPECT_EQ(test::ReadBytes(kept[0]), oldSecond);
  // Once identical, nothing more is done.
  const test::ProgramRun again = Sync();
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("already identical"), std::string::npos) << again.out;
  EXPECT_EQ(Kept().size(), 1u);
}

// A save an earlier run left half done in either copy is resolved before
// the copy is read or replaced: no journal is left to be applied to the new
// files later.
TEST_F(SyncCopiesTest, InterruptedSavesAreResolvedFirst) {
  Install(1, 2);
  test::PlantJournal(First() + kCharacterTableFileName, test::Leftover::kNewInPlace);
  test::PlantJournal(Second() + kCharacterTableFileName, test::Leftover::kOldInPlace);
  const test::ProgramRun r = Sync();
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& copy : {First(), Second()}) {
    EXPECT_FALSE(std::filesystem::exists(JournalPath(copy + kCharacterTableFileName))) << copy;
    EXPECT_NE(r.err.find(copy + kCharacterTableFileName), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::ReadBytes(Second() + kCharacterTableFileName),
            test::ReadBytes(First() + kCharacterTableFileName));
}

TEST_F(SyncCopiesTest, RefusedWhenTheFirstCopyHasAProblem) {
  Install(1, 2);
  std::vector<std::uint8_t> bytes = test::ReadBytes(First() + kCharacterTableFileName);
  bytes.pop_back();
  test::WriteBytes(First() + kCharacterTableFileName, bytes);
  const std::vector<std::uint8_t> oldSecond = test::ReadBytes(Second() + kCharacterTableFileName);
  const test::ProgramRun r = Sync();
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the first copy has a problem"), std::string::npos) << r.err;
  EXPECT_EQ(test::ReadBytes(Second() + kCharacterTableFileName), oldSecond);
  EXPECT_TRUE(Kept().empty());
}

// What interrupted saves left: check reports it and writes nothing; find and
// dump resolve it in the dictionary they read, and only there.
class InterruptedSaveTest : public TwoCopiesTest {
 protected:
  void SetUp() override {
    Install(1, 1);
    DictionaryWriter chs;
    ASSERT_TRUE(chs.AddCharacter(u"1000", {u'壹', {2, 0, 12}}));
    WriteDictionary(OtherDictionary(), chs);
    for (const std::string& table : Tables()) {
      test::PlantJournal(table, test::Leftover::kOldInPlace);
    }
  }
  // A dictionary none of the commands here reads.
  std::string OtherDictionary() const {
    return tmp_.Join("Program Files (x86)/lurm/rozevuv_cht/mb/chs/");
  }
  // Each copy's character table, and the other dictionary's.
  std::vector<std::string> Tables() const {
    return {First() + kCharacterTableFileName, Second() + kCharacterTableFileName,
            OtherDictionary() + kCharacterTableFileName};
  }
  static bool HasJournal(const std::string& path) {
    return std::filesystem::exists(JournalPath(path));
  }
};

TEST_F(InterruptedSaveTest, CheckReportsThemAndWritesNothing) {
  std::vector<std::vector<std::uint8_t>> before;
  for (const std::string& table : Tables()) before.push_back(test::ReadBytes(table));
  const test::ProgramRun r = Run({"check"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* copy : {"first", "second"}) {
    const std::string& folder = std::string(copy) == "first" ? First() : Second();
    EXPECT_NE(r.out.find(std::string(copy) + "\t" + folder + kCharacterTableFileName +
                         "\t0\ta save of this file was interrupted"),
              std::string::npos)
        << r.out;
  }
  EXPECT_NE(r.out.find(": 2 problems, 0 codes differ"), std::string::npos) << r.out;
  for (std::size_t k = 0; k < Tables().size(); ++k) {
    EXPECT_TRUE(HasJournal(Tables()[k])) << Tables()[k];
    EXPECT_EQ(test::ReadBytes(Tables()[k]), before[k]) << Tables()[k];
  }
}

TEST_F(InterruptedSaveTest, FindAndDumpResolveThemInTheDictionaryTheyRead) {
  const struct {
    std::vector<std::string> args;
    std::string out;
  } kCommands[] = {
      {{"find", "一"}, "cht\tcharacters\t1000\t1\t1\n"},
      {{"find", "--all-dictionaries", "一"}, "cht\tcharacters\t1000\t1\t1\n"},
      {{"dump"}, "1000\t1\t一\t1 0 1\n"},
  };
  for (const auto& c : kCommands) {
    SCOPED_TRACE(c.args.back());
    for (const std::string& table :
         {First() + kCharacterTableFileName, Second() + kCharacterTableFileName}) {
      if (!HasJournal(table)) test::PlantJournal(table, test::Leftover::kNewInPlace);
    }
    const test::ProgramRun r = Run(c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    for (const std::string& copy : {First(), Second()}) {
      EXPECT_FALSE(HasJournal(copy + kCharacterTableFileName)) << copy;
      EXPECT_NE(r.err.find(copy + kCharacterTableFileName), std::string::npos) << r.err;
    }
    // chs is read only by find --all-dictionaries, which resolves it too.
    const bool chsRead = c.args.size() == 3;
    EXPECT_EQ(HasJournal(OtherDictionary() + kCharacterTableFileName), !chsRead);
    if (chsRead)
      test::PlantJournal(OtherDictionary() + kCharacterTableFileName, test::Leftover::kOldInPlace);
  }
}

}  // namespace
}  // namespace taliq
