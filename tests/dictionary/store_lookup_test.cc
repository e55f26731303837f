// Reading candidates: stored order, limits, skipped groups, matchOffset, and
// damaged tables that must end the scan.
#include <sys/types.h>
#include <unistd.h>

#include <limits>

#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

TEST(UnpackDigitsTest, Cases) {
  struct Case {
    std::uint8_t packed[3];
    std::u16string text;
  };
  const Case cases[] = {
      {{0x12, 0x3F, 0x77}, u"123"},     // the byte after the 0xF is ignored
      {{0x12, 0x34, 0x56}, u"123456"},  // six digits, no 0xF
      {{0xF1, 0x23, 0x45}, u""},       {{0x5F, 0xFF, 0xFF}, u"5"}, {{0x98, 0x76, 0x5F}, u"98765"},
      {{0x1A, 0xBF, 0x00}, u"1:;"},  // nibbles 10-14 are not digits
  };
  for (const Case& c : cases) {
    char16_t out[7];
    std::fill(std::begin(out), std::end(out), u'#');
    const int n = UnpackDigits(c.packed, out);
    EXPECT_EQ(n, static_cast<int>(c.text.size()) + 1) << Utf16ToUtf8(c.text);
    EXPECT_EQ(std::u16string(out), c.text);
  }
}

class LookupTest : public StoreTest {
 protected:
  static CharacterEntry Ch(char16_t c, std::uint16_t v0 = 1, std::uint16_t v1 = 2,
                           std::uint16_t v2 = 3) {
    return {c, {v0, v1, v2}};
  }
  std::int32_t BlockOffset(DictionaryStore& store, std::u16string_view code, TableKind t) {
    std::int32_t offset = -1;
    std::uint32_t length = 0;
    EXPECT_EQ(store.FindBlock(code, t, &offset, &length), 0);
    return offset;
  }
  CandidateList list_{};
};

TEST_F(LookupTest, CharactersInStoredOrderWithValuesAfterSkippedGroup) {
  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"1", Ch(u'一')));  // an earlier block moves bucket 158
  ASSERT_TRUE(w.AddCharacter(u"1234", Ch(u'甲')));
  ASSERT_TRUE(w.AddCharacter(u"1234", Ch(u'乙')));
  ASSERT_TRUE(w.AddCharacter(u"123", Ch(u'丙', 10, 11, 12)));
  ASSERT_TRUE(w.AddCharacter(u"123", Ch(u'丁', 20, 0, 0xFFFE)));
  ASSERT_TRUE(w.AddCharacter(u"123", Ch(u'戊', 30, 31, 32)));
  Install(w);
  DictionaryStore store(&platform_);

  EXPECT_EQ(store.LookupCharacters(u"123", list_), 3);
  EXPECT_EQ(store.characterCount(), 3);
  EXPECT_EQ(Texts(list_, 3), (std::vector<std::u16string>{u"丙", u"丁", u"戊"}));
  EXPECT_EQ(list_[1].values[0], 20);
  EXPECT_EQ(list_[1].values[1], 0);
  EXPECT_EQ(list_[1].values[2], 0xFFFE);
  // Skipped: the "1234" group (3 + 2 * 8 + 2 bytes), then "123"'s own code.
  const std::int32_t block = BlockOffset(store, u"123", TableKind::kCharacters);
  EXPECT_GT(block, 64);
  EXPECT_EQ(store.matchOffset(), block + 3 + (8 * 2 + 2) + 3);

  EXPECT_EQ(store.LookupCharacters(u"1234", list_), 2);
  EXPECT_EQ(store.matchOffset(), block + 3);
  EXPECT_EQ(store.LookupCharacters(u"1", list_), 1);
  EXPECT_EQ(store.matchOffset(), 64 + 3);
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(LookupTest, AbsentCodesAndEmptyGroups) {
  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"123", Ch(u'丙')));
  ASSERT_TRUE(w.AddEmptyCharacterGroup(u"1239"));
  ASSERT_TRUE(w.AddPhrase(u"12345", {u"甲乙", {1, 2}}));
  ASSERT_TRUE(w.AddEmptyPhraseGroup(u"12399"));
  Install(w);
  DictionaryStore store(&platform_);

  // A group with no entries gives 0 records and still sets matchOffset.
  EXPECT_EQ(store.LookupCharacters(u"1239", list_), 0);
  const std::int32_t charBlock = BlockOffset(store, u"1239", TableKind::kCharacters);
  EXPECT_EQ(store.matchOffset(), charBlock + 3 + 10 + 3);
  EXPECT_EQ(store.LookupPhrases(u"12399", list_), 0);
  const std::int32_t phraseBlock = BlockOffset(store, u"12399", TableKind::kPhrases);
  EXPECT_EQ(store.matchOffset(), phraseBlock + 3 + (4 + 6 + 2) + 3);

  // Codes with no group, in a filled and in an empty block.
  EXPECT_EQ(store.LookupPhrases(u"12345", list_), 1);
  EXPECT_EQ(store.phraseCount(), 1);
  EXPECT_EQ(store.LookupCharacters(u"1238", list_), 0);
  EXPECT_EQ(store.matchOffset(), 0);  // a failed character lookup clears it
  EXPECT_EQ(store.phraseCount(), 1);  // and leaves the phrase count alone
  EXPECT_EQ(store.LookupPhrases(u"999999", list_), 0);
  EXPECT_EQ(store.LookupCharacters(u"12", list_), 0);
}

TEST_F(LookupTest, CodeLengthsAndNonDigits) {
  DictionaryWriter w;
  ASSERT_TRUE(w.AddPhrase(u"12345", {u"甲乙", {1, 2}}));
  ASSERT_TRUE(w.AddCharacter(u"1234", Ch(u'甲')));
  Install(w);
  DictionaryStore store(&platform_);
  platform_.opened.clear();

  // Too long for the character table: refused before any table is opened.
  EXPECT_EQ(store.LookupCharacters(u"12345", list_), 0);
  for (const std::u16string code : {u"", u"1234567", u"12a", u"1 2", u"１２３"}) {
    EXPECT_EQ(store.LookupCharacters(code, list_), 0);
    EXPECT_EQ(store.LookupPhrases(code, list_), 0);
  }
  EXPECT_TRUE(platform_.opened.empty());
  EXPECT_EQ(store.status().code(), Status::Code::kRefused);
  EXPECT_EQ(store.LookupPhrases(u"12345", list_), 1);
  EXPECT_TRUE(store.status().ok());
}

TEST_F(LookupTest, ListStopsAt300) {
  DictionaryWriter w;
  for (int i = 0; i < 301; ++i) {
    ASSERT_TRUE(w.AddCharacter(u"5", Ch(static_cast<char16_t>(0x4E00 + i))));
    ASSERT_TRUE(w.AddPhrase(u"555555", {PhraseText(2, static_cast<char16_t>(0x4E00 + i)),
                                        {static_cast<std::uint16_t>(i), 0}}));
  }
  Install(w);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"5", list_), 300);
  EXPECT_EQ(list_[299].text[0], 0x4E00 + 299);
  EXPECT_EQ(store.LookupPhrases(u"555555", list_), 300);
  EXPECT_EQ(list_[299].values[0], 299);
}

TEST_F(LookupTest, PhrasesOfFiftyUnitsAreLeftOut) {
  DictionaryWriter w;
  ASSERT_TRUE(w.AddPhrase(u"123", {PhraseText(49, u'a'), {1, 1}}));
  ASSERT_TRUE(w.AddPhrase(u"123", {PhraseText(50, u'b'), {2, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"123", {u"", {3, 3}}));  // an empty text is an entry too
  ASSERT_TRUE(w.AddPhrase(u"123", {PhraseText(200, u'c'), {4, 4}}));
  ASSERT_TRUE(w.AddPhrase(u"123", {u"丁", {5, 5}}));
  Install(w);
  DictionaryStore store(&platform_);
  list_[3].SetText(u"untouched");
  list_[3].values[0] = 77;
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 3);
  EXPECT_EQ(Texts(list_, 3), (std::vector<std::u16string>{PhraseText(49, u'a'), u"", u"丁"}));
  EXPECT_EQ(list_[1].values[0], 3);
  EXPECT_EQ(list_[2].values[1], 5);
  EXPECT_EQ(list_[3].Text(), u"untouched");
  EXPECT_EQ(list_[3].values[0], 77);
}

TEST_F(LookupTest, PhraseCodesOfFiveAndSixDigitsShareTheThreeDigitBlock) {
  DictionaryWriter w;
  for (const std::u16string code : {u"123", u"1234", u"12345", u"123456", u"123457"}) {
    ASSERT_TRUE(w.AddPhrase(code, {u"詞" + code, {static_cast<std::uint16_t>(code.size()), 0}}));
  }
  // Values of any size, 0xFFFF included, do not disturb the skipping.
  ASSERT_TRUE(w.AddPhrase(u"123", {u"甲", {0xFFFF, 0}}));
  Install(w);
  DictionaryStore store(&platform_);
  for (const std::u16string code : {u"1234", u"12345", u"123456", u"123457"}) {
    ASSERT_EQ(store.LookupPhrases(code, list_), 1);
    EXPECT_EQ(list_[0].Text(), u"詞" + code);
  }
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 2);
  EXPECT_EQ(list_[1].values[0], 0xFFFF);
}

TEST_F(LookupTest, MissingIndexGivesMinusOneAndRetriesSilently) {
  DictionaryStore store(&platform_);  // nothing installed
  EXPECT_EQ(store.indexStatus().code(), Status::Code::kNotFound);
  EXPECT_EQ(store.LookupCharacters(u"1", list_), -1);
  EXPECT_EQ(store.status().code(), Status::Code::kNotFound);
  EXPECT_EQ(store.LookupPhrases(u"1", list_), -1);
  EXPECT_TRUE(platform_.messages.empty());  // the store shows nothing

  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"1", Ch(u'一')));
  Install(w);
  EXPECT_EQ(store.LookupCharacters(u"1", list_), 1);  // the lookup loaded it
  EXPECT_TRUE(store.HasIndex());
  EXPECT_TRUE(store.indexStatus().ok());
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(LookupTest, MissingTableGivesZero) {
  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"1", Ch(u'一')));
  ASSERT_TRUE(w.AddPhrase(u"1", {u"一二", {0, 0}}));
  Install(w);
  std::remove(PathOf("lurmsmz.mb").c_str());
  platform_.failOpen = {"lurmsmc.mb"};
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"1", list_), 0);
  ExpectStatus(store.status(), Status::Code::kNotFound, PathOf("lurmsmz.mb"));
  EXPECT_EQ(store.LookupPhrases(u"1", list_), 0);
  ExpectStatus(store.status(), Status::Code::kCannotOpen, PathOf("lurmsmc.mb"));
  EXPECT_TRUE(platform_.messages.empty());
}

// Damaged tables: every scan ends, with the records completed so far.
class DamagedTableTest : public LookupTest {
 protected:
  // Bucket 158 ("123...") holds "1234" (2 entries) then "123" (3 entries) in
  // both tables.
  void SetUp() override {
    ASSERT_TRUE(w_.AddCharacter(u"1234", Ch(u'甲')));
    ASSERT_TRUE(w_.AddCharacter(u"1234", Ch(u'乙')));
    ASSERT_TRUE(w_.AddPhrase(u"1234", {u"甲乙", {1, 2}}));
    ASSERT_TRUE(w_.AddPhrase(u"1234", {u"乙丙", {1, 2}}));
    for (char16_t c : std::u16string(u"丙丁戊")) {
      ASSERT_TRUE(w_.AddCharacter(u"123", Ch(c)));
      ASSERT_TRUE(w_.AddPhrase(u"123", {std::u16string(u"詞") + c, {5, 6}}));
    }
    Install(w_);
  }
  void Rewrite(const char* file, const std::vector<std::uint8_t>& bytes) {
    WriteBytes(PathOf(file), bytes);
  }
  std::vector<std::uint8_t> Index() { return ReadBytes(PathOf("lurm2008.idx")); }
  DictionaryWriter w_;
};

TEST_F(DamagedTableTest, TableEndingInsideTheMatchedGroup) {
  // Header 64, "1234" group 3 + 16 + 2, "123" code 3, then 1.5 entries.
  std::vector<std::uint8_t> chars = w_.CharacterTableBytes();
  chars.resize(64 + 21 + 3 + 12);
  Rewrite("lurmsmz.mb", chars);
  std::vector<std::uint8_t> phrases = w_.PhraseTableBytes();
  phrases.resize(64 + (3 + 2 * 10 + 2) + 3 + 10 + 5);
  Rewrite("lurmsmc.mb", phrases);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"123", list_), 1);
  // Damaged where the bytes run out: at the file's end.
  ExpectStatus(store.status(), Status::Code::kCorruption,
               PathOf("lurmsmz.mb") + ": damaged at offset " + std::to_string(chars.size()) +
                   ": the file ends inside the block of code 123");
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 1);
  ExpectStatus(store.status(), Status::Code::kCorruption,
               "damaged at offset " + std::to_string(phrases.size()));
  EXPECT_EQ(store.LookupCharacters(u"1234", list_), 2);
  EXPECT_TRUE(store.status().ok());
}

TEST_F(DamagedTableTest, TableEndingInsideASkippedGroup) {
  std::vector<std::uint8_t> chars = w_.CharacterTableBytes();
  chars.resize(64 + 3 + 11);  // no 0xFFFF before the end of the file
  Rewrite("lurmsmz.mb", chars);
  std::vector<std::uint8_t> phrases = w_.PhraseTableBytes();
  phrases.resize(64 + 3 + 3);  // a text with no terminator
  Rewrite("lurmsmc.mb", phrases);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"123", list_), 0);
  EXPECT_EQ(store.matchOffset(), 0);
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 0);
}

TEST_F(DamagedTableTest, MarkersOverwrittenUpToTheEndOfTheFile) {
  // No 0xFFFF and no 0x0000 anywhere after the headers: the scans meet
  // neither an end marker nor a text terminator.
  std::vector<std::uint8_t> chars = w_.CharacterTableBytes();
  std::vector<std::uint8_t> phrases = w_.PhraseTableBytes();
  std::fill(chars.begin() + 64, chars.end(), 0x41);
  std::fill(phrases.begin() + 64, phrases.end(), 0x41);
  Rewrite("lurmsmz.mb", chars);
  Rewrite("lurmsmc.mb", phrases);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"123", list_), 0);
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 0);
}

TEST_F(DamagedTableTest, GroupRunningPastItsBlock) {
  // The index cuts block 158 short: inside the "123" group's second entry.
  std::vector<std::uint8_t> index = Index();
  const std::uint16_t charLen = static_cast<std::uint16_t>(21 + 3 + 8 + 4);
  EncodeFixed16(index.data() + kCharacterLengthsOffset + 2 * 158, charLen);
  const std::uint32_t phraseLen = 25 + 3 + 10 + 4;
  EncodeFixed32(index.data() + kPhraseLengthsOffset + 4 * 158, phraseLen);
  Rewrite("lurm2008.idx", index);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"123", list_), 1);
  ExpectStatus(store.status(), Status::Code::kCorruption,
               "damaged at offset " + std::to_string(64 + charLen) +
                   ": the block of code 123 ends inside a code group");
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 1);
  ExpectStatus(store.status(), Status::Code::kCorruption, PathOf("lurmsmc.mb"));
}

TEST_F(DamagedTableTest, BlockLengthsBeyondTheFile) {
  // Lengths far larger than the files: the scans stop at the file's end.
  std::vector<std::uint8_t> index = Index();
  EncodeFixed16(index.data() + kCharacterLengthsOffset + 2 * 158, 0xFFFF);
  EncodeFixed32(index.data() + kPhraseLengthsOffset + 4 * 158, 0xFFFFFFFFu);
  Rewrite("lurm2008.idx", index);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupCharacters(u"123", list_), 3);
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 3);
  EXPECT_EQ(store.LookupPhrases(u"1239", list_), 0);
}

TEST_F(DamagedTableTest, BlockLengthsSummingPastTwoGigabytes) {
  std::vector<std::uint8_t> index = Index();
  for (int b = 0; b < 158; ++b) {
    EncodeFixed32(index.data() + kPhraseLengthsOffset + 4 * b, 0x02000000u);
  }
  Rewrite("lurm2008.idx", index);
  DictionaryStore store(&platform_);
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  EXPECT_EQ(store.FindBlock(u"123", TableKind::kPhrases, &offset, &length), -1);
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 0);
  ExpectStatus(store.status(), Status::Code::kCorruption, PathOf("lurm2008.idx"));
  EXPECT_EQ(store.FindBlock(u"123", TableKind::kCharacters, &offset, &length), 0);
}

TEST_F(DamagedTableTest, BlockAtTheLastOffsetATableMayUse) {
  // Block 158 starts 5 bytes before 2^31 - 1 in a sparse file: the group's
  // code fits, its first entry would run past the last usable offset.
  const std::int64_t kLast = std::numeric_limits<std::int32_t>::max();
  const std::int64_t blockOffset = kLast - 5;
  std::vector<std::uint8_t> index(kMinIndexSize, 0);
  EncodeFixed32(index.data() + kPhraseLengthsOffset, static_cast<std::uint32_t>(blockOffset - 64));
  EncodeFixed32(index.data() + kPhraseLengthsOffset + 4 * 158, 64);
  Rewrite("lurm2008.idx", index);
  std::vector<std::uint8_t> group = {0x12, 0x3F, 0xFF};
  for (int i = 0; i < 4; ++i) {
    for (std::uint8_t b : {0x00, 0x4E, 0x00, 0x00, 0x05, 0x00, 0x06, 0x00}) group.push_back(b);
  }
  group.push_back(0xFF);
  group.push_back(0xFF);
  const std::string path = PathOf("lurmsmc.mb");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (fseeko(f, static_cast<off_t>(blockOffset), SEEK_SET) != 0 ||
      std::fwrite(group.data(), 1, group.size(), f) != group.size()) {
    std::fclose(f);
    GTEST_SKIP() << "no sparse file of 2 GB here";
  }
  ASSERT_EQ(std::fclose(f), 0);
  DictionaryStore store(&platform_);
  EXPECT_EQ(store.LookupPhrases(u"123", list_), 0);
  EXPECT_EQ(store.matchOffset(), blockOffset + 3);
}

}  // namespace
}  // namespace taliq::test
