// OrderKeeper on a two-copy installation: the snapshot before the first
// write, the history of saves, undo walking back through several saves and
// refusing when the installed entries changed since.
#include "orders/order_keeper.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dictionary/dictionary_store.h"
#include "orders/data_folder.h"
#include "orders/group_order.h"
#include "orders/history.h"
#include "orders/snapshot.h"
#include "tests/orders/dictionary_ids.h"
#include "tests/orders/keeper_fixture.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

using test::Installation;
using Bytes = std::vector<std::uint8_t>;

using test::kCht;

using OrderKeeperTest = test::KeeperFixture;

TEST_F(OrderKeeperTest, FirstSaveSnapshotsTheOriginalAndEverySaveIsInTheHistory) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  const GroupKey chars = {kCht, OrderTable::kCharacters, "123"};
  const GroupKey marks = {kCht, OrderTable::kPunctuation, "-"};
  Save(chars, {u"丙", u"甲", u"乙", u"丁"});
  Save(marks, {u"。", u"，", u"！", u"？"});

  Snapshot snapshot;
  ASSERT_TRUE(CurrentSnapshot(&platform_, dataDir_, kCht, &snapshot).ok());
  EXPECT_EQ(snapshot.number, 1);  // the second save took none
  EXPECT_TRUE(VerifySnapshot(&platform_, snapshot).ok());
  for (std::string_view name : kDictionaryFileNames) {
    EXPECT_EQ(test::ReadBytes(JoinPath(snapshot.folder, name)),
              original.at(install_.File(false, 1, 0, std::string(name).c_str())))
        << name;
  }

  History history;
  ASSERT_TRUE(ReadHistory(&platform_, dataDir_, &history).ok());
  ASSERT_EQ(history.entries.size(), 2u);
  EXPECT_EQ(history.entries[0].change,
            (OrderChange{chars, {u"甲", u"乙", u"丙", u"丁"}, {u"丙", u"甲", u"乙", u"丁"}}));
  EXPECT_EQ(history.entries[1].change.group, marks);
  EXPECT_EQ(history.entries[1].kind, HistoryKind::kSave);
  EXPECT_EQ(history.lastBatch, 2);
}

TEST_F(OrderKeeperTest, UndoWalksBackThroughSeveralSavesToTheOriginalBytes) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  const GroupKey chars = {kCht, OrderTable::kCharacters, "123"};
  const GroupKey phrases = {kCht, OrderTable::kPhrases, "12345"};
  Save(chars, {u"丙", u"甲", u"乙", u"丁"});
  Save(phrases, {u"中心點", u"中文", u"中國", u"中間"});
  Save(chars, {u"丁", u"丙", u"甲", u"乙"});

  const std::vector<TextOrder> charsAfterEachUndo = {
      {u"丙", u"甲", u"乙", u"丁"}, {u"丙", u"甲", u"乙", u"丁"}, {u"甲", u"乙", u"丙", u"丁"}};
  for (const TextOrder& want : charsAfterEachUndo) {
    ASSERT_TRUE(keeper_.Undo().ok());
    EXPECT_EQ(Current(chars), want);
  }
  EXPECT_EQ(install_.Snapshot(), original);  // both copies, every table
  const Status none = keeper_.Undo();
  EXPECT_TRUE(none.Is(Status::Code::kRefused));
  EXPECT_EQ(none.message(), kNothingToUndo);

  History history;
  ASSERT_TRUE(ReadHistory(&platform_, dataDir_, &history).ok());
  ASSERT_EQ(history.entries.size(), 6u);
  EXPECT_EQ(history.entries[3].kind, HistoryKind::kUndo);
  EXPECT_EQ(history.entries[3].undoes, 3);
  EXPECT_EQ(history.entries[5].undoes, 1);
}

TEST_F(OrderKeeperTest, UndoIsRefusedWhenTheEntriesChangedSince) {
  const GroupKey chars = {kCht, OrderTable::kCharacters, "123"};
  Save(chars, {u"丙", u"甲", u"乙", u"丁"});
  // A reinstall of another version: the group gained an entry.
  test::Dictionary other = test::TraditionalStandard();
  for (auto& [code, entries] : other.characters) {
    if (code == u"123") entries.push_back(test::Ch(u'戊', 140));
  }
  install_.InstallBoth(1, 0, other);
  const std::map<std::string, Bytes> reinstalled = install_.Snapshot();

  const Status s = keeper_.Undo();
  EXPECT_TRUE(s.Is(Status::Code::kRefused));
  EXPECT_NE(s.message().find("cht characters 123"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("changed since"), std::string::npos) << s.message();
  EXPECT_EQ(install_.Snapshot(), reinstalled);
}

TEST_F(OrderKeeperTest, WithoutADataFolderSavesGoOnAndNothingIsKept) {
  platform_.failUserData = true;
  const GroupKey chars = {kCht, OrderTable::kCharacters, "123"};
  Save(chars, {u"丙", u"甲", u"乙", u"丁"});
  EXPECT_EQ(Current(chars), (TextOrder{u"丙", u"甲", u"乙", u"丁"}));
  EXPECT_FALSE(test::FileExists(dataDir_));
}

}  // namespace
}  // namespace taliq
