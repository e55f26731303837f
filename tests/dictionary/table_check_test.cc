// The check of a dictionary's two copies: each kind of damage reported with
// its file and offset, and the codes whose groups differ.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "dictionary/coding.h"
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

  // Up to `mostCharacters` characters a code; the phrase table (and the
  // character table, when it is given as many as 300) at least `leastSize`
  // bytes long.
  void ReadAlikeAsCloselyAsApart(int codes, int trials, std::size_t leastSize,
                                 std::uint32_t mostCharacters = 300);

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
      {"FiveDigitCodeInItsBlock",
       kCharacterTableFileName,
       77,
       {0x44, 0x22, 0x1F},
       77,
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
      {"PhraseCodeNotDigits", kPhraseTableFileName, 64, {0x1A}, 64, "not 1 to 6 digits"},
      {"PhraseCodeOfAnotherBlock", kPhraseTableFileName, 64, {0x20}, 64, "lies in block 132"},
      {"PhraseCodeLastDigitNot", kPhraseTableFileName, 79, {0x0A}, 77, "not 1 to 6 digits"},
      {"PhraseGroupEndLost", kPhraseTableFileName, 75, {0x41, 0x41}, 75, "text without its end"},
      {"PunctuationNotWholeMarks", kPunctuationFileName, 9, {}, 8, "not whole marks"},
  };
  // In the first copy alone, and the same damage in both copies (which then
  // hold the same bytes).
  for (int copies : {1, 2}) {
    for (const Damage& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", copies damaged: " << copies);
      std::filesystem::remove_all(Folder("chs", true));
      for (int copy = 0; copy < copies; ++copy) {
        Install(Writer(), "chs", copy == 1);
        const std::string path = PathOf(c.file, "chs", copy == 1);
        std::vector<std::uint8_t> bytes = ReadBytes(path);
        if (c.bytes.empty()) {
          bytes.resize(c.at, 0);
        } else {
          std::copy(c.bytes.begin(), c.bytes.end(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
        }
        WriteBytes(path, bytes);
      }
      std::vector<CheckProblem> problems;
      std::vector<std::u16string> differing;
      const CheckCounts counts = Check(&problems, &differing);
      ASSERT_EQ(problems.size(), static_cast<std::size_t>(copies));
      EXPECT_EQ(counts.problems, copies);
      for (int copy = 0; copy < copies; ++copy) {
        const CheckProblem& p = problems[static_cast<std::size_t>(copy)];
        EXPECT_EQ(p.copy, copy);
        EXPECT_EQ(p.file, PathOf(c.file, "chs", copy == 1));
        EXPECT_EQ(p.offset, c.offset);
        EXPECT_NE(p.problem.find(c.problem), std::string::npos) << p.problem;
      }
    }
  }
}

// The last phrase block cut inside its last entry's values, the index and
// the table's size cut alike: nothing after it shows the damage.
TEST_F(TableCheckTest, LastEntryCutWithTheTable) {
  for (bool second : {false, true}) {
    Install(Writer(), "chs", second);
    std::vector<std::uint8_t> index = ReadBytes(PathOf(kIndexFileName, "chs", second));
    std::uint8_t* length = index.data() + kPhraseLengthsOffset + 4 * BucketOf(u"100102");
    EncodeFixed32(length, DecodeFixed32(length) - 4);
    WriteBytes(PathOf(kIndexFileName, "chs", second), index);
    std::vector<std::uint8_t> table = ReadBytes(PathOf(kPhraseTableFileName, "chs", second));
    table.resize(table.size() - 4);
    WriteBytes(PathOf(kPhraseTableFileName, "chs", second), table);
  }
  std::vector<CheckProblem> problems;
  std::vector<std::u16string> differing;
  Check(&problems, &differing);
  ASSERT_EQ(problems.size(), 2u);
  for (const CheckProblem& p : problems) {
    EXPECT_EQ(p.file, PathOf(kPhraseTableFileName, "chs", p.copy == 1));
    EXPECT_NE(p.problem.find("cut by the end of its block"), std::string::npos) << p.problem;
  }
}

// A block whose index length is two bytes short, the next one's two bytes
// long: the first block's last group runs over its end into the next block,
// where the walk finds its end marker and the next groups whole. The group
// has no end in its block, in both copies alike.
TEST_F(TableCheckTest, GroupRunningIntoTheNextBlock) {
  struct Case {
    TableKind table;
    const char16_t* code;  // the group that runs over
    const char16_t* next;  // the first group of the next block
  };
  for (const Case& c :
       {Case{TableKind::kCharacters, u"1", u"1001"}, Case{TableKind::kPhrases, u"10", u"100102"}}) {
    SCOPED_TRACE(static_cast<int>(c.table));
    DictionaryWriter w;
    ASSERT_TRUE(w.AddCharacter(u"1", {u'丁', {1, 0, 0}}));
    ASSERT_TRUE(w.AddPhrase(u"10", {u"一", {1, 1}}));
    // The next blocks, long enough for the walks' windows of 128 bytes.
    for (int i = 0; i < 40; ++i) {
      const auto unit = static_cast<char16_t>(0x4E00 + i);
      ASSERT_TRUE(w.AddCharacter(u"1001", {unit, {2, 0, 0}}));
      ASSERT_TRUE(w.AddPhrase(u"100102", {std::u16string(2, unit), {2, 2}}));
    }
    w.AddPunctuation(u'，');
    for (bool second : {false, true}) {
      Install(w, "chs", second);
      std::vector<std::uint8_t> index = ReadBytes(PathOf(kIndexFileName, "chs", second));
      const auto move = [&](int bucket, int by) {
        if (c.table == TableKind::kCharacters) {
          std::uint8_t* at = index.data() + kCharacterLengthsOffset + 2 * bucket;
          EncodeFixed16(at, static_cast<std::uint16_t>(DecodeFixed16(at) + by));
        } else {
          std::uint8_t* at = index.data() + kPhraseLengthsOffset + 4 * bucket;
          EncodeFixed32(at, static_cast<std::uint32_t>(static_cast<int>(DecodeFixed32(at)) + by));
        }
      };
      move(BucketOf(c.code), -2);
      move(BucketOf(c.next), 2);
      WriteBytes(PathOf(kIndexFileName, "chs", second), index);
    }
    std::vector<CheckProblem> problems;
    std::vector<std::u16string> differing;
    Check(&problems, &differing);
    const std::string file = TableFileName(c.table);
    for (int copy : {0, 1}) {
      bool reported = false;
      for (const CheckProblem& p : problems) {
        reported = reported || (p.copy == copy && p.file == PathOf(file, "chs", copy == 1) &&
                                p.problem.find("has no end in its block") != std::string::npos);
      }
      EXPECT_TRUE(reported) << "copy " << copy;
    }
  }
}

// Copies that hold the same bytes go through a quick pass, which must see
// every damage the detailed reading sees. Tables of several reads, with
// long phrase groups, get random bytes changed alike in both copies; the
// detailed reading's verdict comes from the same damage with one header
// byte (which no reading interprets) told apart between the copies.
void TableCheckTest::ReadAlikeAsCloselyAsApart(int codes, int trials, std::size_t leastSize,
                                               std::uint32_t mostCharacters) {
  std::uint32_t seed = 5;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  DictionaryWriter w;
  for (int c = 0; c < codes; ++c) {
    const std::u16string code = std::u16string(1, static_cast<char16_t>(u'1' + c % 9)) +
                                static_cast<char16_t>(u'0' + c / 9 % 10) +
                                static_cast<char16_t>(u'0' + c / 90 % 10) +
                                static_cast<char16_t>(u'0' + c / 900 % 10) + u"2";
    for (std::uint32_t k = 0, n = next() % 120; k < n; ++k) {
      std::u16string text(1 + next() % (k % 17 == 0 ? 90 : 6), u'\0');
      for (char16_t& unit : text) unit = static_cast<char16_t>(0x4E00 + next() % 200);
      ASSERT_TRUE(w.AddPhrase(
          code,
          {text, {static_cast<std::uint16_t>(next() % 3), static_cast<std::uint16_t>(next())}}));
    }
    for (std::uint32_t k = 0, n = next() % mostCharacters; k < n; ++k) {
      ASSERT_TRUE(w.AddCharacter(code.substr(0, 4), {static_cast<char16_t>(0x4E00 + next() % 200),
                                                     {static_cast<std::uint16_t>(next()), 0, 1}}));
    }
  }
  w.AddPunctuation(u'，');
  Install(w);
  Install(w, "chs", true);
  for (const char* file : {kCharacterTableFileName, kPhraseTableFileName}) {
    const std::vector<std::uint8_t> sound = ReadBytes(PathOf(file));
    if (file == kPhraseTableFileName || mostCharacters >= 300) {
      ASSERT_GT(sound.size(), leastSize);
    }
    {
      // Sound copies that differ in the last entry's last value: read, and
      // told apart.
      SCOPED_TRACE(file);
      std::vector<std::uint8_t> other = sound;
      other[other.size() - 4] ^= 1;
      WriteBytes(PathOf(file, "chs", true), other);
      std::vector<CheckProblem> problems;
      std::vector<std::u16string> differing;
      Check(&problems, &differing);
      EXPECT_TRUE(problems.empty());
      EXPECT_EQ(differing.size(), 1u);
      WriteBytes(PathOf(file, "chs", true), sound);
    }
    for (int trial = 0; trial < trials; ++trial) {
      SCOPED_TRACE(testing::Message() << file << ", trial " << trial);
      std::vector<std::uint8_t> bytes = sound;
      // A unit 0xFFFF or 0x0000 (where a group or a text may end) at any
      // offset, the next bytes FF FF (most often a group's end) made 41 41,
      // or a random byte; one or two of them, now and then none.
      for (std::uint32_t k = 0, n = trial % 8 == 0 ? 0 : 1 + next() % 2; k < n; ++k) {
        std::size_t at = 64 + (next() << 15 | next()) % (bytes.size() - 65);
        const std::uint32_t kind = next() % 6;
        if (kind < 2) {
          while (at + 2 < bytes.size() && (bytes[at] != 0xFF || bytes[at + 1] != 0xFF)) ++at;
          bytes[at] = 0x41;
          bytes[at + 1] = 0x41;
          continue;
        }
        const std::uint8_t value = kind == 2 ? 0xFF : kind == 3 ? 0 : next() & 0xFF;
        bytes[at] = value;
        if (kind < 4) bytes[at + 1] = value;
      }
      const auto verdict = [&](bool alike) {
        WriteBytes(PathOf(file), bytes);
        std::vector<std::uint8_t> second = bytes;
        if (!alike) second[0] ^= 1;
        WriteBytes(PathOf(file, "chs", true), second);
        std::vector<CheckProblem> problems;
        std::vector<std::u16string> differing;
        Check(&problems, &differing);
        std::vector<std::string> lines;
        for (const CheckProblem& p : problems) {
          lines.push_back(std::to_string(p.copy) + " " + std::to_string(p.offset) + " " +
                          p.problem);
        }
        return std::make_pair(lines, differing);
      };
      EXPECT_EQ(verdict(true), verdict(false));
    }
    WriteBytes(PathOf(file), sound);
    WriteBytes(PathOf(file, "chs", true), sound);
  }
}

TEST_F(TableCheckTest, AlikeCopiesAreReadAsCloselyAsCopiesThatDiffer) {
  ReadAlikeAsCloselyAsApart(300, 40, 2 * 128 * 1024);
}

// A character table of one read beside a phrase table of several: each
// thread may take the whole character table while the other reads pieces of
// the phrase table.
TEST_F(TableCheckTest, SmallAndLargeTableAlikeAreReadAsCloselyAsApart) {
  ReadAlikeAsCloselyAsApart(300, 20, 2 * 128 * 1024, 12);
}

// Tables of some megabytes, with blocks of several reads, which the quick
// pass reads in many pieces on two threads where the library has threads.
TEST_F(TableCheckTest, LargeAlikeCopiesAreReadAsCloselyAsCopiesThatDiffer) {
  ReadAlikeAsCloselyAsApart(4500, 10, 4 * 1024 * 1024);
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
