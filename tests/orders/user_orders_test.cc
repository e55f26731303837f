// The user's orders on a two-copy installation: reset of one group and of a
// dictionary, export and import (round trip, encodings, lines that do not
// apply, dry run), status, and a replaced installation found and its orders
// applied again.
#include "orders/user_orders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "dictionary/dictionary_store.h"
#include "orders/data_folder.h"
#include "orders/group_order.h"
#include "orders/install_fingerprints.h"
#include "orders/snapshot.h"
#include "orders/text_codec.h"
#include "tests/orders/dictionary_ids.h"
#include "tests/orders/keeper_fixture.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

using test::Installation;
using Bytes = std::vector<std::uint8_t>;

using test::kChs;
using test::kCht;

const GroupKey kChars = {kCht, OrderTable::kCharacters, "123"};
const GroupKey kPhrases = {kCht, OrderTable::kPhrases, "12345"};
const GroupKey kMarks = {kCht, OrderTable::kPunctuation, "-"};
const GroupKey kChsChars = {kChs, OrderTable::kCharacters, "123"};

class UserOrdersTest : public test::KeeperFixture {
 protected:
  // Three saves in two dictionaries and every table.
  void SaveSome() {
    Save(kChars, {u"丙", u"甲", u"乙", u"丁"});
    Save(kPhrases, {u"中心點", u"中文", u"中國", u"中間"});
    Save(kMarks, {u"！", u"，", u"。", u"？"});
    Save(kChsChars, {u"字", u"简", u"体"});
  }

  std::string Export(std::span<const DictionaryId> ids = kAllDictionaries) {
    std::string text;
    ExportReport report;
    const Status s = ExportOrders(
        &platform_, store_, dataDir_, ids,
        [&](std::string_view piece) {
          text += piece;
          return Status::Ok();
        },
        &report);
    EXPECT_TRUE(s.ok()) << s.message();
    return text;
  }

  ImportReport Import(std::string_view bytes, bool dryRun = false) {
    ImportReport report;
    const Status s =
        ImportOrdersText(keeper_, bytes, "orders", dryRun, HistoryKind::kImport, &report);
    EXPECT_TRUE(s.ok()) << s.message();
    return report;
  }

  std::size_t HistoryLines() {
    History history;
    EXPECT_TRUE(ReadHistory(&platform_, dataDir_, &history).ok());
    return history.entries.size();
  }
};

TEST_F(UserOrdersTest, ResetPutsOneGroupBackInBothCopiesAndIsKeptInTheHistory) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  struct Case {
    GroupKey group;
    TextOrder moved;
    TextOrder original;
  };
  const Case cases[] = {
      {kChars, {u"丁", u"甲", u"乙", u"丙"}, {u"甲", u"乙", u"丙", u"丁"}},
      {kPhrases, {u"中間", u"中文", u"中國", u"中心點"}, {u"中文", u"中國", u"中間", u"中心點"}},
      {kMarks, {u"？", u"，", u"。", u"！"}, {u"，", u"。", u"！", u"？"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GroupName(c.group));
    Save(c.group, c.moved);
    const std::size_t lines = HistoryLines();
    ResetReport report;
    ASSERT_TRUE(ResetGroup(keeper_, c.group, &report).ok());
    ASSERT_EQ(report.changes.size(), 1u);
    EXPECT_EQ(report.changes[0].before, c.moved);
    EXPECT_EQ(Current(c.group), c.original);
    EXPECT_EQ(HistoryLines(), lines + 1);
    // Already original: nothing written, nothing kept.
    ASSERT_TRUE(ResetGroup(keeper_, c.group, &report).ok());
    EXPECT_TRUE(report.changes.empty());
    EXPECT_EQ(HistoryLines(), lines + 1);
  }
  EXPECT_EQ(install_.Snapshot(), original);
  ASSERT_TRUE(keeper_.Undo().ok());  // the last reset is undone like a save
  EXPECT_EQ(Current(kMarks), cases[2].moved);
}

TEST_F(UserOrdersTest, ResetOfAGroupWithoutCandidatesIsNotFoundAndWritesNothing) {
  Save(kChars, {u"丙", u"甲", u"乙", u"丁"});
  const std::map<std::string, Bytes> before = install_.Snapshot();
  ResetReport report;
  EXPECT_TRUE(ResetGroup(keeper_, {kCht, OrderTable::kCharacters, "999"}, &report)
                  .Is(Status::Code::kNotFound));
  EXPECT_EQ(install_.Snapshot(), before);
}

TEST_F(UserOrdersTest, ResetOfTheDictionaryRestoresEveryTableAsOneBatch) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  SaveSome();
  ResetReport report;
  ASSERT_TRUE(ResetDictionary(keeper_, kCht, &report).ok());
  EXPECT_EQ(report.changes.size(), 3u);
  ASSERT_TRUE(ResetDictionary(keeper_, kChs, &report).ok());
  EXPECT_EQ(report.changes.size(), 1u);
  EXPECT_EQ(install_.Snapshot(), original);
  ASSERT_TRUE(ResetDictionary(keeper_, kCht, &report).ok());
  EXPECT_TRUE(report.changes.empty());
}

TEST_F(UserOrdersTest, ExportThenImportGivesBackTheSameTables) {
  SaveSome();
  const std::map<std::string, Bytes> saved = install_.Snapshot();
  const std::string exported = Export();
  EXPECT_EQ(exported.rfind("# taliq-orders 1\n", 0), 0u) << exported;
  EXPECT_NE(exported.find("cht\tcharacters\t123\t丙 甲 乙 丁\n"), std::string::npos) << exported;
  EXPECT_NE(exported.find("cht\tpunctuation\t-\t！ ， 。 ？\n"), std::string::npos) << exported;
  EXPECT_NE(exported.find("chs\tcharacters\t123\t字 简 体\n"), std::string::npos) << exported;
  const DictionaryId onlyChs[] = {kChs};
  EXPECT_EQ(Export(onlyChs).find("cht\t"), std::string::npos);

  // The automatic export holds the same.
  EXPECT_EQ(test::ReadBytes(JoinPath(dataDir_, kAutomaticExportFileName)),
            Bytes(exported.begin(), exported.end()));

  for (DictionaryId id : {kCht, kChs}) {
    ResetReport reset;
    ASSERT_TRUE(ResetDictionary(keeper_, id, &reset).ok());
  }
  EXPECT_NE(install_.Snapshot(), saved);
  const ImportReport report = Import(exported);
  EXPECT_EQ(report.changed.size(), 4u);
  EXPECT_TRUE(report.notApplied.empty());
  EXPECT_EQ(install_.Snapshot(), saved);
  EXPECT_EQ(Import(exported).unchanged, 4);
}

TEST_F(UserOrdersTest, AnUninstalledDictionaryKeepsItsOrdersInTheAutomaticExport) {
  SaveSome();
  const std::string exported = Export();
  // The traditional dictionary is uninstalled, both copies.
  for (bool second : {false, true}) {
    std::filesystem::remove_all(store_.ResolveDictionaryFolder(kCht, second));
  }
  // A save in another dictionary is kept, and the uninstalled one's orders
  // stay in the automatic export for when it is installed again.
  Save(kChsChars, {u"体", u"字", u"简"});
  const Bytes bytes = test::ReadBytes(JoinPath(dataDir_, kAutomaticExportFileName));
  const std::string automatic(bytes.begin(), bytes.end());
  for (const char* line :
       {"cht\tcharacters\t123\t丙 甲 乙 丁\n", "cht\tphrases\t12345\t",
        "cht\tpunctuation\t-\t！ ， 。 ？\n", "chs\tcharacters\t123\t体 字 简\n"}) {
    EXPECT_NE(automatic.find(line), std::string::npos) << line << " in\n" << automatic;
  }
  EXPECT_EQ(automatic.find("chs\tcharacters\t123\t字 简 体\n"), std::string::npos) << automatic;
}

TEST_F(UserOrdersTest, ImportReadsEveryAcceptedEncoding) {
  const std::u16string text = u"# taliq-orders 1\n# a comment\ncht\tcharacters\t123\t丁 丙 乙 甲\n";
  std::string utf8;
  ASSERT_TRUE(EncodeUtf8(text, &utf8));
  std::string crlf;
  for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : text) {
    const std::u16string_view line = c == u'\n' ? u"\r\n" : std::u16string_view(&c, 1);
    for (char16_t u : line) {
      utf16 += static_cast<char>(u & 0xFF);
      utf16 += static_cast<char>(u >> 8);
    }
  }
  const std::pair<const char*, std::string> cases[] = {
      {"UTF-8", utf8},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + utf8},
      {"UTF-8, CRLF", crlf},
      {"UTF-16LE with a byte order mark, CRLF", utf16},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ResetReport reset;
    ASSERT_TRUE(ResetGroup(keeper_, kChars, &reset).ok());
    const ImportReport report = Import(bytes);
    ASSERT_EQ(report.changed.size(), 1u);
    EXPECT_EQ(report.changed[0].lineNumber, 3);
    EXPECT_EQ(Current(kChars), (TextOrder{u"丁", u"丙", u"乙", u"甲"}));
  }
}

TEST_F(UserOrdersTest, LinesThatCannotApplyAreReportedByLineAndTheOthersApply) {
  const std::string file =
      "# taliq-orders 1\n"                     // 1
      "cht\tcharacters\t123\t丙 甲 乙 丁\n"    // 2 applies
      "# comment\n"                            // 3
      "cht\tcharacters\t99999\t甲\n"           // 4 not a character code
      "xyz\tphrases\t12345\t中文\n"            // 5 no such dictionary
      "cht\tphrases\t777\t中文\n"              // 6 no such code
      "\n"                                     // 7
      "cht\tphrases\t12345\t中間 不在 中文\n"  // 8 merged: 不在 dropped
      "cht\tcharacters\t123\t甲\n";            // 9 the group a second time
  const ImportReport report = Import(file);
  std::vector<int> notApplied;
  for (const MalformedOrdersLine& m : report.notApplied) notApplied.push_back(m.lineNumber);
  EXPECT_EQ(notApplied, (std::vector<int>{4, 5, 6, 9}));
  ASSERT_EQ(report.changed.size(), 2u);
  EXPECT_EQ(Current(kChars), (TextOrder{u"丙", u"甲", u"乙", u"丁"}));
  EXPECT_EQ(Current(kPhrases), (TextOrder{u"中間", u"中文", u"中國", u"中心點"}));
  EXPECT_EQ(report.changed[1].dropped, TextOrder{u"不在"});
  // One batch: one undo takes both back.
  ASSERT_TRUE(keeper_.Undo().ok());
  EXPECT_EQ(Current(kChars), (TextOrder{u"甲", u"乙", u"丙", u"丁"}));
  EXPECT_EQ(Current(kPhrases), (TextOrder{u"中文", u"中國", u"中間", u"中心點"}));
}

TEST_F(UserOrdersTest, DryRunAndAFileWithoutTheHeaderWriteNothing) {
  const std::map<std::string, Bytes> original = install_.Snapshot();
  const ImportReport dry = Import("# taliq-orders 1\ncht\tcharacters\t123\t丁 丙 乙 甲\n", true);
  EXPECT_TRUE(dry.dryRun);
  EXPECT_EQ(dry.changed.size(), 1u);
  ImportReport report;
  EXPECT_TRUE(ImportOrdersText(keeper_, "cht\tcharacters\t123\t丁 丙 乙 甲\n", "orders", false,
                               HistoryKind::kImport, &report)
                  .Is(Status::Code::kRefused));
  EXPECT_EQ(install_.Snapshot(), original);
  EXPECT_EQ(HistoryLines(), 0u);
}

TEST_F(UserOrdersTest, StatusCountsTheDifferingGroupsPerTable) {
  SaveSome();
  Save(kChars, {u"甲", u"乙", u"丙", u"丁"});  // back to the original by hand
  OrdersStatus status;
  ASSERT_TRUE(GetOrdersStatus(&platform_, store_, dataDir_, kAllDictionaries, &status).ok());
  ASSERT_EQ(status.dictionaries.size(), 4u);
  const DictionaryStatus& cht = status.dictionaries[0];
  EXPECT_TRUE(cht.hasSnapshot);
  EXPECT_EQ(cht.snapshotNumber, 1);
  EXPECT_EQ(cht.tables[0].differing, 0);
  EXPECT_EQ(cht.tables[1].differing, 1);
  EXPECT_EQ(cht.tables[2].differing, 1);
  EXPECT_EQ(cht.install.result, InstallComparison::Result::kUnchanged);
  EXPECT_FALSE(status.dictionaries[1].hasSnapshot);  // cht-2002 never written
  EXPECT_EQ(status.dictionaries[2].tables[0].differing, 1);
  EXPECT_FALSE(status.reapplyPending);

  // Without fingerprints that go with the state record, status compares the
  // SHA-256 digests instead, with the same answer.
  const std::string fingerprints = InstallFingerprintsPath(dataDir_, kCht);
  const Bytes recorded = test::ReadBytes(fingerprints);
  Bytes stale = recorded;
  stale[stale.size() - 3] = '0' + (stale[stale.size() - 3] == '0');  // another time
  for (const Bytes& record : {Bytes{}, stale}) {
    if (record.empty()) {
      std::filesystem::remove(fingerprints);
    } else {
      test::WriteBytes(fingerprints, record);
    }
    ASSERT_TRUE(GetOrdersStatus(&platform_, store_, dataDir_, kAllDictionaries, &status).ok());
    EXPECT_EQ(status.dictionaries[0].install.result, InstallComparison::Result::kUnchanged);
  }
}

TEST_F(UserOrdersTest, AReplacedInstallationIsFoundAndItsOrdersAppliedAgain) {
  SaveSome();
  const std::map<std::string, Bytes> saved = install_.Snapshot();
  // A reinstall of the same version: the original files are back.
  install_.InstallBoth(1, 0, test::TraditionalStandard());
  install_.InstallBoth(0, 0, test::SimplifiedStandard());
  OrdersStatus status;
  ASSERT_TRUE(GetOrdersStatus(&platform_, store_, dataDir_, kAllDictionaries, &status).ok());
  EXPECT_EQ(status.dictionaries[0].install.result, InstallComparison::Result::kReplaced);

  ReplacedCheck check;
  ASSERT_TRUE(CheckReplaced(keeper_, &check).ok());
  EXPECT_EQ(check.replaced, (std::vector<DictionaryId>{kCht, kChs}));
  EXPECT_TRUE(check.reapplyPending);
  Snapshot snapshot;
  ASSERT_TRUE(CurrentSnapshot(&platform_, dataDir_, kCht, &snapshot).ok());
  EXPECT_EQ(snapshot.number, 2);
  ASSERT_TRUE(CheckReplaced(keeper_, &check).ok());
  EXPECT_TRUE(check.replaced.empty());  // found once

  ImportReport report;
  ASSERT_TRUE(Reapply(keeper_, true, &report).ok());
  EXPECT_EQ(report.changed.size(), 4u);
  EXPECT_NE(install_.Snapshot(), saved);
  ASSERT_TRUE(Reapply(keeper_, false, &report).ok());
  EXPECT_TRUE(report.notApplied.empty());
  EXPECT_EQ(install_.Snapshot(), saved);
  EXPECT_FALSE(test::FileExists(JoinPath(dataDir_, kPendingReapplyFileName)));
  History history;
  ASSERT_TRUE(ReadHistory(&platform_, dataDir_, &history).ok());
  EXPECT_EQ(history.entries.back().kind, HistoryKind::kReapply);
}

TEST_F(UserOrdersTest, ASaveAfterAReinstallKeepsTheOrdersForReapply) {
  SaveSome();
  const std::map<std::string, Bytes> saved = install_.Snapshot();
  install_.InstallAll();
  // A save before anyone looked for the replacement.
  Save(kPhrases, {u"中心點", u"中文", u"中國", u"中間"});
  EXPECT_TRUE(test::FileExists(JoinPath(dataDir_, kPendingReapplyFileName)));
  Snapshot snapshot;
  ASSERT_TRUE(CurrentSnapshot(&platform_, dataDir_, kCht, &snapshot).ok());
  EXPECT_EQ(snapshot.number, 2);
  ReplacedCheck check;
  ASSERT_TRUE(CheckReplaced(keeper_, &check).ok());
  EXPECT_EQ(check.replaced, std::vector<DictionaryId>{kChs});  // cht was found by the save
  ImportReport report;
  ASSERT_TRUE(Reapply(keeper_, false, &report).ok());
  EXPECT_EQ(install_.Snapshot(), saved);
}

TEST_F(UserOrdersTest, ReapplyOnAnotherVersionMergesTheKeptOrder) {
  Save(kChars, {u"丙", u"甲", u"乙", u"丁"});
  // The new version has another entry in the group and a new code in its
  // block, listed before it: the tables no longer line up group by group.
  test::Dictionary other = test::TraditionalStandard();
  for (auto& [code, entries] : other.characters) {
    if (code == u"123") entries.push_back(test::Ch(u'戊', 90));
  }
  other.characters.insert(other.characters.begin(), {u"1230", {test::Ch(u'己', 95)}});
  install_.InstallBoth(1, 0, other);
  // Against the old snapshot: the group differs (it gained an entry), the
  // new code has nothing to differ from.
  OrdersStatus before;
  const DictionaryId cht[] = {kCht};
  ASSERT_TRUE(GetOrdersStatus(&platform_, store_, dataDir_, cht, &before).ok());
  EXPECT_EQ(before.dictionaries[0].tables[0].differing, 1);
  EXPECT_EQ(before.dictionaries[0].install.result, InstallComparison::Result::kReplaced);
  ReplacedCheck check;
  ASSERT_TRUE(CheckReplaced(keeper_, &check).ok());
  ImportReport report;
  const Status s = Reapply(keeper_, false, &report);
  ASSERT_TRUE(s.ok()) << s.message();
  EXPECT_EQ(Current(kChars), (TextOrder{u"丙", u"甲", u"乙", u"丁", u"戊"}));
  // Against the new snapshot the group differs, the new code does not.
  OrdersStatus status;
  ASSERT_TRUE(GetOrdersStatus(&platform_, store_, dataDir_, cht, &status).ok());
  EXPECT_EQ(status.dictionaries[0].tables[0].differing, 1);
}

TEST_F(UserOrdersTest, AnUnchangedSaveKeepsNothing) {
  Save(kChars, {u"甲", u"乙", u"丙", u"丁"});
  EXPECT_EQ(HistoryLines(), 0u);
}

}  // namespace
}  // namespace taliq
