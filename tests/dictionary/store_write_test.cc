// Writing a reordered group back: the exact bytes that change, both copies,
// and every write the store must refuse because it would corrupt a table.
#include <algorithm>

#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The expected file: `before` with `replacement` laid over it at `offset`.
Bytes Overlay(Bytes before, size_t offset, const Bytes& replacement) {
  std::copy(replacement.begin(), replacement.end(), before.begin() + static_cast<long>(offset));
  return before;
}

Bytes CharacterEntries(const CandidateList& list, int count) {
  Bytes out;
  for (int i = 0; i < count; ++i) {
    const CandidateRecord& r = list[static_cast<size_t>(i)];
    PutFixed16(&out, r.text[0]);
    for (std::uint16_t v : r.values) PutFixed16(&out, v);
  }
  return out;
}

Bytes PhraseEntries(const CandidateList& list, int count) {
  Bytes out;
  for (int i = 0; i < count; ++i) {
    const CandidateRecord& r = list[static_cast<size_t>(i)];
    for (char16_t c : r.Text()) PutFixed16(&out, c);
    PutFixed16(&out, 0);
    PutFixed16(&out, r.values[0]);
    PutFixed16(&out, r.values[1]);
  }
  return out;
}

class WriteTest : public StoreTest {
 protected:
  // Bucket 158 holds "1234" and then "123" in both tables, and "1239" after.
  static DictionaryWriter Fixture() {
    DictionaryWriter w;
    w.AddCharacter(u"1", {u'一', {7, 7, 7}});
    w.AddCharacter(u"1234", {u'甲', {1, 1, 1}});
    w.AddCharacter(u"1234", {u'乙', {2, 2, 2}});
    w.AddCharacter(u"123", {u'丙', {10, 11, 12}});
    w.AddCharacter(u"123", {u'丁', {20, 21, 22}});
    w.AddCharacter(u"123", {u'戊', {30, 31, 32}});
    w.AddCharacter(u"1239", {u'己', {40, 41, 42}});
    w.AddPhrase(u"1234", {u"甲乙", {1, 1}});
    w.AddPhrase(u"123", {u"丙丁", {10, 11}});
    w.AddPhrase(u"123", {u"丙丁戊", {20, 0xFFFF}});
    w.AddPhrase(u"123", {u"丙丁戊己", {30, 31}});
    w.AddPhrase(u"12399", {u"己庚", {40, 41}});
    return w;
  }
  void SetUp() override {
    Install(Fixture(), "chs", false);
    Install(Fixture(), "chs", true);
  }
  Bytes Chars(bool second = false) { return ReadBytes(PathOf("lurmsmz.mb", "chs", second)); }
  Bytes Phrases(bool second = false) { return ReadBytes(PathOf("lurmsmc.mb", "chs", second)); }

  static void Reverse(CandidateList& list, int count) {
    std::reverse(list.begin(), list.begin() + count);
  }

  CandidateList list_{};
};

TEST_F(WriteTest, CharacterGroupChangesOnlyItsEntries) {
  DictionaryStore store(&platform_);
  const Bytes before = Chars();
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  const std::int32_t at = store.matchOffset();
  std::swap(list_[0], list_[2]);  // 戊 丁 丙
  EXPECT_TRUE(store.WriteCandidates(list_, 3, false).ok());
  EXPECT_EQ(Chars(), Overlay(before, static_cast<size_t>(at), CharacterEntries(list_, 3)));
  EXPECT_EQ(store.matchOffset(), at);  // the write changes no field

  CandidateList again{};
  ASSERT_EQ(store.LookupCharacters(u"123", again), 3);
  EXPECT_EQ(Texts(again, 3), (std::vector<std::u16string>{u"戊", u"丁", u"丙"}));
  EXPECT_EQ(again[0].values[0], 30);  // the values travel with their character
  EXPECT_EQ(again[2].values[2], 12);

  // The second copy, found by cutting "(x86)" off the folder.
  const Bytes second = Chars(true);
  EXPECT_TRUE(store.WriteCandidates(list_, 3, true).ok());
  EXPECT_EQ(Chars(true), Overlay(second, static_cast<size_t>(at), CharacterEntries(list_, 3)));
}

TEST_F(WriteTest, PhraseGroupKeepsItsEndMarkerInPlace) {
  DictionaryStore store(&platform_);
  const Bytes before = Phrases();
  ASSERT_EQ(store.LookupPhrases(u"123", list_), 3);
  const size_t at = static_cast<size_t>(store.matchOffset());
  Reverse(list_, 3);
  EXPECT_TRUE(store.WriteCandidates(list_, 3, false).ok());
  const Bytes after = Phrases();
  EXPECT_EQ(after, Overlay(before, at, PhraseEntries(list_, 3)));
  EXPECT_EQ(DecodeFixed16(after.data() + at + 36), 0xFFFF);
  ASSERT_EQ(store.LookupPhrases(u"123", list_), 3);
  EXPECT_EQ(list_[0].Text(), u"丙丁戊己");
  EXPECT_EQ(list_[1].values[1], 0xFFFF);
  ASSERT_EQ(store.LookupPhrases(u"12399", list_), 1);  // the next group still reads
}

TEST_F(WriteTest, OnlyTheListedEntriesOfALongGroupAreRewritten) {
  DictionaryWriter w;
  for (int i = 0; i < 301; ++i) {
    w.AddCharacter(u"88",
                   {static_cast<char16_t>(0x4E00 + i), {static_cast<std::uint16_t>(i), 0, 0}});
  }
  Install(w);
  DictionaryStore store(&platform_);
  const Bytes before = Chars();
  ASSERT_EQ(store.LookupCharacters(u"88", list_), 300);
  const size_t at = static_cast<size_t>(store.matchOffset());
  Reverse(list_, 300);
  EXPECT_TRUE(store.WriteCandidates(list_, 300, false).ok());
  const Bytes after = Chars();
  EXPECT_EQ(after, Overlay(before, at, CharacterEntries(list_, 300)));
  EXPECT_EQ(DecodeFixed16(after.data() + at + 2400), 0x4E00 + 300);
}

TEST_F(WriteTest, BothCallsWriteTheSameFileWithoutParenthesis) {
  platform_.SetProgramFilesFolder(tmp_.Join("Program Files"));
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  Reverse(list_, 3);
  ASSERT_TRUE(store.WriteCandidates(list_, 3, false).ok());
  const Bytes once = Chars(true);
  EXPECT_TRUE(store.WriteCandidates(list_, 3, true).ok());
  EXPECT_EQ(Chars(true), once);
}

TEST_F(WriteTest, PhraseListStartingWithOneUnitGoesToThePhraseTable) {
  DictionaryWriter w;
  w.AddCharacter(u"555", {u'丙', {1, 2, 3}});
  w.AddPhrase(u"555", {u"丙", {1, 2}});
  w.AddPhrase(u"555", {u"丁戊", {3, 4}});
  Install(w);
  DictionaryStore store(&platform_);
  const Bytes chars = Chars();
  const Bytes phrases = Phrases();
  ASSERT_EQ(store.LookupPhrases(u"555", list_), 2);
  const size_t at = static_cast<size_t>(store.matchOffset());
  EXPECT_TRUE(store.WriteCandidates(list_, 2, false).ok());  // stored order, one unit first
  EXPECT_EQ(Phrases(), phrases);
  Reverse(list_, 2);
  EXPECT_TRUE(store.WriteCandidates(list_, 2, false).ok());
  EXPECT_EQ(Phrases(), Overlay(phrases, at, PhraseEntries(list_, 2)));
  EXPECT_EQ(Chars(), chars);
}

TEST_F(WriteTest, TrailingEntriesLeftOutOfTheListStayInPlace) {
  // The group's last entry is too long for the list; the listed ones lie
  // before it, so rewriting them cannot touch it.
  DictionaryWriter w;
  w.AddPhrase(u"777", {u"甲乙", {1, 1}});
  w.AddPhrase(u"777", {u"丙丁戊", {2, 2}});
  w.AddPhrase(u"777", {PhraseText(60), {3, 3}});
  Install(w);
  DictionaryStore store(&platform_);
  const Bytes before = Phrases();
  ASSERT_EQ(store.LookupPhrases(u"777", list_), 2);
  const size_t at = static_cast<size_t>(store.matchOffset());
  Reverse(list_, 2);
  EXPECT_TRUE(store.WriteCandidates(list_, 2, false).ok());
  EXPECT_EQ(Phrases(), Overlay(before, at, PhraseEntries(list_, 2)));
}

TEST_F(WriteTest, FailedWriteIsReportedAndChangesNothing) {
  DictionaryStore store(&platform_);
  const Bytes before = Chars();
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  Reverse(list_, 3);
  platform_.failWrites = {"lurmsmz.mb"};
  ExpectStatus(store.WriteCandidates(list_, 3, false), Status::Code::kIoError,
               PathOf("lurmsmz.mb") + ": write failed");
  EXPECT_EQ(Chars(), before);
}

TEST_F(WriteTest, MissingCopyGivesZero) {
  std::remove(PathOf("lurmsmz.mb", "chs", true).c_str());
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  Reverse(list_, 3);
  EXPECT_TRUE(store.WriteCandidates(list_, 3, false).ok());
  ExpectStatus(store.WriteCandidates(list_, 3, true), Status::Code::kNotFound,
               PathOf("lurmsmz.mb", "chs", true));
  EXPECT_FALSE(FileExists(PathOf("lurmsmz.mb", "chs", true)));
  EXPECT_TRUE(platform_.messages.empty());
}

// Each case sets up a write that would corrupt a table; the store must give
// 0 and leave both copies of both tables as they were.
class RefusedWriteTest : public WriteTest {
 protected:
  void SetUp() override {
    WriteTest::SetUp();
    Snapshot();
  }
  // Takes the files as they are now as the ones that must not change.
  void Snapshot() {
    for (bool second : {false, true}) {
      chars_[second] = Chars(second);
      phrases_[second] = Phrases(second);
    }
  }
  void ExpectUnchanged() {
    for (bool second : {false, true}) {
      EXPECT_EQ(Chars(second), chars_[second]) << "copy " << second;
      EXPECT_EQ(Phrases(second), phrases_[second]) << "copy " << second;
    }
  }
  Bytes chars_[2];
  Bytes phrases_[2];
};

TEST_F(RefusedWriteTest, GroupWithALongEntryBetweenListedOnes) {
  DictionaryWriter w;
  w.AddPhrase(u"777", {u"甲乙", {1, 1}});
  w.AddPhrase(u"777", {PhraseText(50), {3, 3}});
  w.AddPhrase(u"777", {u"丙丁戊", {2, 2}});
  Install(w);
  Snapshot();
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupPhrases(u"777", list_), 2);
  Reverse(list_, 2);
  ExpectStatus(store.WriteCandidates(list_, 2, false), Status::Code::kRefused,
               PathOf("lurmsmc.mb") + ": the group of code 777");
  EXPECT_NE(store.status().message().find("too long to list"), std::string::npos);
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, TableChangedSinceTheLookup) {
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  ASSERT_EQ(store.LookupPhrases(u"123", list_), 3);
  Reverse(list_, 3);
  // Another entry for "1234" moves the "123" group 10 bytes on.
  DictionaryWriter w = Fixture();
  w.AddPhrase(u"1234", {u"丙乙", {1, 1}});
  Install(w);
  Snapshot();
  ExpectStatus(store.WriteCandidates(list_, 3, false), Status::Code::kChanged,
               PathOf("lurmsmc.mb") + ": changed since the lookup");
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, SecondCopyDiffersFromTheFirst) {
  DictionaryWriter w = Fixture();
  w.AddCharacter(u"1234", {u'乙', {2, 2, 3}});  // the group of "123" lies 8 bytes on
  Install(w, "chs", true);
  Snapshot();
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  Reverse(list_, 3);
  EXPECT_TRUE(store.WriteCandidates(list_, 3, false).ok());
  chars_[false] = Chars(false);
  ExpectStatus(store.WriteCandidates(list_, 3, true), Status::Code::kRefused,
               PathOf("lurmsmz.mb", "chs", true) + ": differs from the first copy");
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, SecondCopyWithOtherValues) {
  DictionaryWriter w;  // same layout, one value differs
  w.AddCharacter(u"1", {u'一', {7, 7, 7}});
  w.AddCharacter(u"1234", {u'甲', {1, 1, 1}});
  w.AddCharacter(u"1234", {u'乙', {2, 2, 2}});
  w.AddCharacter(u"123", {u'丙', {10, 11, 12}});
  w.AddCharacter(u"123", {u'丁', {20, 21, 99}});
  w.AddCharacter(u"123", {u'戊', {30, 31, 32}});
  Install(w, "chs", true);
  Snapshot();
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  Reverse(list_, 3);
  EXPECT_TRUE(store.WriteCandidates(list_, 3, false).ok());
  chars_[false] = Chars(false);
  EXPECT_FALSE(store.WriteCandidates(list_, 3, true).ok());
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, ListOfTheOtherTable) {
  DictionaryStore store(&platform_);
  CandidateList phrases{};
  ASSERT_EQ(store.LookupPhrases(u"123", phrases), 3);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  EXPECT_FALSE(store.WriteCandidates(phrases, 3, false).ok());  // into the character table
  ASSERT_EQ(store.LookupPhrases(u"123", phrases), 3);
  EXPECT_FALSE(store.WriteCandidates(list_, 3, false).ok());  // and the reverse
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, ListThatIsNotTheGroup) {
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  CandidateList changed = list_;
  changed[1].values[2] = 5;  // a value that is not in the file
  EXPECT_FALSE(store.WriteCandidates(changed, 3, false).ok());
  changed = list_;
  changed[1] = list_[0];  // one entry twice, another missing
  EXPECT_FALSE(store.WriteCandidates(changed, 3, false).ok());
  changed = list_;
  changed[0].SetText(u"丙丁");  // a phrase in a character list
  EXPECT_FALSE(store.WriteCandidates(changed, 3, false).ok());
  // Counts outside 1 to 300, or more entries than the group holds.
  EXPECT_FALSE(store.WriteCandidates(list_, 0, false).ok());
  EXPECT_FALSE(store.WriteCandidates(list_, -1, false).ok());
  EXPECT_FALSE(store.WriteCandidates(list_, 301, false).ok());
  list_[3] = list_[0];
  EXPECT_FALSE(store.WriteCandidates(list_, 4, false).ok());
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, NoGroupMatched) {
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  CandidateList other{};
  EXPECT_EQ(store.LookupCharacters(u"1238", other), 0);
  ASSERT_EQ(store.matchOffset(), 0);
  EXPECT_EQ(store.WriteCandidates(list_, 3, false).code(), Status::Code::kRefused);
  DictionaryStore fresh(&platform_);  // no lookup at all
  EXPECT_FALSE(fresh.WriteCandidates(list_, 3, false).ok());
  ExpectUnchanged();
}

TEST_F(RefusedWriteTest, DictionaryChangedSinceTheLookup) {
  Install(Fixture(), "cht");  // the same bytes in the traditional folder
  DictionaryStore store(&platform_);
  ASSERT_EQ(store.LookupCharacters(u"123", list_), 3);
  Reverse(list_, 3);
  store.SelectCharset(kCht);
  const Bytes cht = ReadBytes(PathOf("lurmsmz.mb", "cht"));
  ExpectStatus(store.WriteCandidates(list_, 3, false), Status::Code::kRefused,
               "looked up in the chs dictionary");
  EXPECT_EQ(ReadBytes(PathOf("lurmsmz.mb", "cht")), cht);
  store.SelectCharset({Charset::kSimplified, EditionFromDigit(2)});  // the standard again
  EXPECT_TRUE(store.WriteCandidates(list_, 3, false).ok());
}

}  // namespace
}  // namespace taliq::test
