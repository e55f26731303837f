// What a write-back guarantees beyond its bytes: the second copy is the
// right folder, every unit value saves, a failed close does not hide a
// complete write, a second instance never writes in between, and a save an
// earlier run did not finish is resolved before the tables are read.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/file_lock.h"
#include "platform/journal.h"
#include "platform/journal_format.h"
#include "platform/platform_wrapper.h"
#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

DictionaryWriter Fixture() {
  DictionaryWriter w;
  w.AddCharacter(u"1", {u'一', {7, 7, 7}});
  w.AddCharacter(u"123", {u'丙', {10, 11, 12}});
  w.AddCharacter(u"123", {u'丁', {20, 21, 22}});
  w.AddCharacter(u"123", {u'戊', {30, 31, 32}});
  w.AddPhrase(u"123", {u"丙丁", {10, 11}});
  return w;
}

// An installation below `programFiles` (relative to a temporary tree) and
// the folder its second copy is expected in.
class CopiesTest : public ::testing::Test {
 protected:
  std::string Table(const std::string& programFiles) const {
    return tmp_.Join(programFiles + "/lurm/rozevuv_cht/mb/chs/lurmsmz.mb");
  }
  void InstallAt(const std::string& programFiles) {
    const std::string folder = tmp_.MakeDirs(programFiles + "/lurm/rozevuv_cht/mb/chs");
    std::string error;
    ASSERT_TRUE(Fixture().WriteFolder(folder, &error)) << error;
  }
  // Looks up 123, reverses it and writes both copies as Save does.
  void SaveReversed(TestPlatform* platform, Status* first, Status* second) {
    DictionaryStore store(platform);
    CandidateList list{};
    ASSERT_EQ(store.LookupCharacters(u"123", list), 3);
    std::reverse(list.begin(), list.begin() + 3);
    *first = store.WriteCandidates(list, 3, false);
    *second = store.WriteCandidates(list, 3, true);
  }
  // The entries of 123 as the table lists them now.
  std::vector<std::u16string> Order(const std::string& table) {
    const Bytes b = ReadBytes(table);
    std::vector<std::u16string> out;
    for (std::size_t pos = 0; pos + 3 + 24 <= b.size(); ++pos) {
      // The group of 123: packed 0x12 0x3F, then three entries.
      if (b[pos] == 0x12 && b[pos + 1] == 0x3F) {
        for (int i = 0; i < 3; ++i) {
          out.push_back(
              std::u16string(1, static_cast<char16_t>(DecodeFixed16(b.data() + pos + 3 + 8 * i))));
        }
        break;
      }
    }
    return out;
  }

  TempDir tmp_;
};

// The second copy is the Program Files folder cut before its "(", and the
// blank before it if there is one, wherever the "(" stands.
TEST_F(CopiesTest, TheSecondCopyIsThePathCutBeforeItsParenthesisWhereverItStands) {
  const std::string longName(140, 'p');
  const struct {
    const char* name;
    std::string first;
    std::string second;
  } cases[] = {
      {"blank and parenthesis", "Program Files (x86)", "Program Files"},
      {"no blank", "PF(x86)", "PF"},
      {"parenthesis past byte 128", longName + " (x86)", longName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InstallAt(c.first);
    InstallAt(c.second);
    TestPlatform platform;
    platform.SetProgramFilesFolder(tmp_.Join(c.first));
    Status first;
    Status second;
    SaveReversed(&platform, &first, &second);
    EXPECT_TRUE(first.ok()) << first.message();
    EXPECT_TRUE(second.ok()) << second.message();
    const std::vector<std::u16string> reversed = {u"戊", u"丁", u"丙"};
    EXPECT_EQ(Order(Table(c.first)), reversed);
    EXPECT_EQ(Order(Table(c.second)), reversed);
  }
}

// A character entry U+0000 is a unit like any other: its group saves.
TEST_F(CopiesTest, AnEntryOfUnitZeroSavesLikeAnyOther) {
  InstallAt("Program Files (x86)");
  InstallAt("Program Files");
  for (const std::string root : {"Program Files (x86)", "Program Files"}) {
    // 丁, the second entry of 123, becomes U+0000 in both copies.
    Bytes b = ReadBytes(Table(root));
    for (std::size_t pos = 0; pos + 1 < b.size(); ++pos) {
      if (DecodeFixed16(b.data() + pos) == u'丁') {
        EncodeFixed16(b.data() + pos, 0);
        break;
      }
    }
    WriteBytes(Table(root), b);
  }
  TestPlatform platform;
  platform.SetProgramFilesFolder(tmp_.Join("Program Files (x86)"));
  Status first;
  Status second;
  SaveReversed(&platform, &first, &second);
  EXPECT_TRUE(first.ok()) << first.message();
  EXPECT_TRUE(second.ok()) << second.message();
  const std::vector<std::u16string> reversed = {u"戊", std::u16string(1, u'\0'), u"丙"};
  EXPECT_EQ(Order(Table("Program Files (x86)")), reversed);
  EXPECT_EQ(Order(Table("Program Files")), reversed);
}

// A close that fails after the whole group was written: the bytes decide,
// so the save of the first copy counts, and the second copy is written too
// (before, "nothing was saved" was reported and the copies diverged).
TEST_F(CopiesTest, ACloseErrorAfterACompleteWriteCountsAsWrittenAndTheSecondCopyFollows) {
  InstallAt("Program Files (x86)");
  InstallAt("Program Files");
  TestPlatform platform;
  platform.failClose = {"(x86)/lurm/rozevuv_cht/mb/chs/lurmsmz.mb"};
  platform.SetProgramFilesFolder(tmp_.Join("Program Files (x86)"));
  Status first;
  Status second;
  SaveReversed(&platform, &first, &second);
  EXPECT_TRUE(first.ok()) << first.message();
  EXPECT_TRUE(second.ok()) << second.message();
  const std::vector<std::u16string> reversed = {u"戊", u"丁", u"丙"};
  EXPECT_EQ(Order(Table("Program Files (x86)")), reversed);
  EXPECT_EQ(Order(Table("Program Files")), reversed);
  EXPECT_FALSE(FileExists(JournalPath(Table("Program Files (x86)"))));
}

// A phrase group of more than 4096 bytes, whose write stops after 4096 of
// them (the disk fills up): the group is not left half old and half new.
// The failed save says so, and at the latest the next index load puts the
// old bytes back; the second copy is not touched.
TEST_F(CopiesTest, AGroupWriteThatStopsPartWayLeavesTheOldGroup) {
  DictionaryWriter w;
  for (int i = 0; i < 120; ++i) {
    w.AddPhrase(u"12345", {PhraseText(20, static_cast<char16_t>(0x4E00 + 40 * i)),
                           {static_cast<std::uint16_t>(i), 1}});
  }
  for (const std::string root : {"Program Files (x86)", "Program Files"}) {
    const std::string folder = tmp_.MakeDirs(root + "/lurm/rozevuv_cht/mb/chs");
    std::string error;
    ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
  }
  const auto phrases = [&](const std::string& root) {
    return ReadBytes(tmp_.Join(root + "/lurm/rozevuv_cht/mb/chs/lurmsmc.mb"));
  };
  const Bytes before[2] = {phrases("Program Files (x86)"), phrases("Program Files")};
  TestPlatform platform;
  platform.SetProgramFilesFolder(tmp_.Join("Program Files (x86)"));
  platform.cutWrites = {"(x86)/lurm/rozevuv_cht/mb/chs/lurmsmc.mb"};
  {
    DictionaryStore store(&platform);
    CandidateList list{};
    ASSERT_EQ(store.LookupPhrases(u"12345", list), 120);
    std::reverse(list.begin(), list.begin() + 120);
    const Status written = store.WriteCandidates(list, 120, false);
    EXPECT_EQ(written.code(), Status::Code::kIoError) << written.message();
  }
  platform.cutWrites.clear();
  DictionaryStore next(&platform);
  EXPECT_TRUE(next.indexStatus().ok()) << next.indexStatus().message();
  EXPECT_EQ(phrases("Program Files (x86)"), before[0]);
  EXPECT_EQ(phrases("Program Files"), before[1]);
}

// Another instance holding the folder's lock: a write waits for it; one
// that is never let go of ends the write with kBusy, nothing written.
TEST_F(CopiesTest, ASecondInstanceWaitsForTheLockAndNeverWritesInBetween) {
  InstallAt("Program Files (x86)");
  InstallAt("Program Files");
  const std::string folder = tmp_.Join("Program Files (x86)/lurm/rozevuv_cht/mb/chs/");
  const Bytes before = ReadBytes(Table("Program Files (x86)"));
  TestPlatform platform;
  platform.SetProgramFilesFolder(tmp_.Join("Program Files (x86)"));
  DictionaryStore store(&platform);
  CandidateList list{};
  ASSERT_EQ(store.LookupCharacters(u"123", list), 3);
  std::reverse(list.begin(), list.begin() + 3);

  TestPlatform other;
  FileLock held;
  ASSERT_TRUE(held.Acquire(&other, folder + kDictionaryLockFileName, folder, 0).ok());
  store.SetLockWait(0);
  const Status busy = store.WriteCandidates(list, 3, false);
  EXPECT_EQ(busy.code(), Status::Code::kBusy) << busy.message();
  EXPECT_EQ(busy.message(), folder + ": another program is saving it; nothing was written");
  EXPECT_EQ(ReadBytes(Table("Program Files (x86)")), before);

  // Let go while the write waits: it goes on then.
  store.SetLockWait(kLockWaitMilliseconds);
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    held.Release();
  });
  const Status written = store.WriteCandidates(list, 3, false);
  release.join();
  EXPECT_TRUE(written.ok()) << written.message();
  EXPECT_EQ(Order(Table("Program Files (x86)")),
            (std::vector<std::u16string>{u"戊", u"丁", u"丙"}));
}

// A journal left beside a table by an interrupted save is resolved when the
// index loads, before anything is read, and the store says so once.
TEST_F(CopiesTest, TheIndexLoadResolvesAnInterruptedSaveFirstAndSaysSoOnce) {
  InstallAt("Program Files (x86)");
  const std::string table = Table("Program Files (x86)");
  const Bytes good = ReadBytes(table);
  // A write of the group that was torn: half of its new bytes in place.
  TestPlatform platform;
  platform.SetProgramFilesFolder(tmp_.Join("Program Files (x86)"));
  std::int64_t at = 0;
  {
    DictionaryStore store(&platform);
    CandidateList list{};
    ASSERT_EQ(store.LookupCharacters(u"123", list), 3);
    at = store.matchOffset();
  }
  const std::string oldBytes(good.begin() + at, good.begin() + at + 24);
  std::string newBytes = oldBytes.substr(16, 8) + oldBytes.substr(8, 8) + oldBytes.substr(0, 8);
  Bytes torn = good;
  std::copy(newBytes.begin(), newBytes.begin() + 12, torn.begin() + at);
  const std::string journal =
      EncodeJournal({at, static_cast<std::int64_t>(good.size()),
                     static_cast<std::int64_t>(good.size()), oldBytes, newBytes});
  // As written, and as a Windows copy may spell it.
  const std::string folder = table.substr(0, table.rfind('/') + 1);
  std::string upper = JournalPath(table.substr(folder.size()));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const std::string& journalPath : {JournalPath(table), folder + upper}) {
    SCOPED_TRACE(journalPath);
    WriteBytes(table, torn);
    WriteBytes(journalPath, Bytes(journal.begin(), journal.end()));

    DictionaryStore store(&platform);
    EXPECT_TRUE(store.indexStatus().ok()) << store.indexStatus().message();
    EXPECT_EQ(ReadBytes(table), good);
    EXPECT_FALSE(FileExists(journalPath));
    const std::string note = store.TakeRecoveryNote();
    EXPECT_EQ(note.rfind(table + ": a save that was interrupted has been undone", 0), 0u) << note;
    EXPECT_EQ(store.TakeRecoveryNote(), "");
    CandidateList list{};
    EXPECT_EQ(store.LookupCharacters(u"123", list), 3);
    EXPECT_EQ(list[0].Text(), u"丙");
  }
}

}  // namespace
}  // namespace taliq::test
