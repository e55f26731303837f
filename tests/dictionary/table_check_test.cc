// The check of a dictionary's two copies: each kind of damage reported with
// its file and offset, and the codes whose groups differ.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dictionary/table_check.h"
#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

class TableCheckTest : public StoreTest {
 protected:
  // Character groups "1" (block 121, at 64) and "4422"; phrase groups "10"
  // (block 132, at 64) and "100102"; two marks.
  static DictionaryWriter Writer(std::uint16_t value = 1) {
    DictionaryWriter w;
    EXPECT_TRUE(w.AddCharacter(u"1", {u'丁', {value, 0, 0}}));
    EXPECT_TRUE(w.AddCharacter(u"4422", {u'一', {3, 0, 0}}));
    EXPECT_TRUE(w.AddPhrase(u"10", {u"一", {1, 1}}));
    EXPECT_TRUE(w.AddPhrase(u"100102", {u"一二", {2, 2}}));
    w.AddPunctuation(u'，');
    w.AddPunctuation(u'。');
    return w;
  }

  CheckCounts Check(std::vector<CheckProblem>* problems, std::vector<std::u16string>* differing) {
    CheckReport report;
    report.problem = [&](const CheckProblem& p) { problems->push_back(p); };
    report.differs = [&](TableKind, const std::u16string& code) { differing->push_back(code); };
    return CheckDictionary(&platform_, Folder("chs") + "/", Folder("chs", true) + "/", report);
  }
};

// Changes the first copy's file: bytes set at an offset, or the file cut to
// (or grown by one byte past) a size.
struct Damage {
  const char* name;
  const char* file;
  std::size_t at;                   // where `bytes` go, or the new size
  std::vector<std::uint8_t> bytes;  // empty: resize to `at`
  std::int64_t offset;              // reported offset
  std::string problem;              // part of the reported problem
};

TEST_F(TableCheckTest, EachKindOfDamage) {
  const Damage cases[] = {
      {"ShortIndex", kIndexFileName, 100, {}, 100, "the index is short"},
      {"LengthsDoNotAddUp",
       kCharacterTableFileName,
       64 + 13 + 13 + 1,
       {},
       91,
       "block lengths add up to 90"},
      {"CodeNotDigits", kCharacterTableFileName, 64, {0x1A}, 64, "not 1 to 4 digits"},
      {"CodeTooLongForCharacters",
       kCharacterTableFileName,
       64,
       {0x12, 0x34, 0x5F},
       64,
       "not 1 to 4 digits"},
      {"CodeOfAnotherBlock",
       kCharacterTableFileName,
       64,
       {0x2F},
       64,
       "lies in block 121, not in block 242"},
      {"GroupWithoutEnd", kCharacterTableFileName, 75, {0x41, 0x00}, 75, "has no end"},
      {"CharacterEntryNotOneUnit", kCharacterTableFileName, 69, {0xFF, 0xFF}, 67, "not one unit"},
      {"TextWithoutEnd", kPhraseTableFileName, 69, {0x41, 0x00}, 67, "text without its end"},
      {"PunctuationNotWholeMarks", kPunctuationFileName, 9, {}, 8, "not whole marks"},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.name);
    Install(Writer());
    const std::string path = PathOf(c.file);
    std::vector<std::uint8_t> bytes = ReadBytes(path);
    if (c.bytes.empty()) {
      bytes.resize(c.at, 0);
    } else {
      std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
    }
    WriteBytes(path, bytes);
    std::vector<CheckProblem> problems;
    std::vector<std::u16string> differing;
    const CheckCounts counts = Check(&problems, &differing);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(counts.problems, 1);
    EXPECT_EQ(problems[0].copy, 0);
    EXPECT_EQ(problems[0].file, path);
    EXPECT_EQ(problems[0].offset, c.offset);
    EXPECT_NE(problems[0].problem.find(c.problem), std::string::npos) << problems[0].problem;
  }
}

TEST_F(TableCheckTest, MissingFiles) {
  for (const char* file : {kIndexFileName, kPhraseTableFileName, kPunctuationFileName}) {
    SCOPED_TRACE(file);
    Install(Writer());
    std::remove(PathOf(file).c_str());
    std::vector<CheckProblem> problems;
    std::vector<std::u16string> differing;
    Check(&problems, &differing);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].file, PathOf(file));
    EXPECT_NE(problems[0].problem.find("missing"), std::string::npos) << problems[0].problem;
  }
}

TEST_F(TableCheckTest, CopiesThatDifferInOneCode) {
  Install(Writer(1));
  Install(Writer(2), "chs", true);
  std::vector<CheckProblem> problems;
  std::vector<std::u16string> differing;
  const CheckCounts counts = Check(&problems, &differing);
  EXPECT_TRUE(problems.empty());
  EXPECT_TRUE(counts.secondCopy);
  EXPECT_EQ(differing, std::vector<std::u16string>{u"1"});
}

TEST_F(TableCheckTest, SoundCopiesThatAgreeAndAMissingSecondCopy) {
  Install(Writer());
  std::vector<CheckProblem> problems;
  std::vector<std::u16string> differing;
  CheckCounts counts = Check(&problems, &differing);
  EXPECT_FALSE(counts.secondCopy);
  Install(Writer(), "chs", true);
  counts = Check(&problems, &differing);
  EXPECT_TRUE(counts.secondCopy);
  EXPECT_FALSE(counts.notInstalled);
  EXPECT_TRUE(problems.empty());
  EXPECT_TRUE(differing.empty());
  // Nothing of the dictionary at all.
  EXPECT_TRUE(CheckDictionary(&platform_, Folder("cht") + "/", "", CheckReport{}).notInstalled);
}

}  // namespace
}  // namespace taliq::test
