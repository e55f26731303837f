// The history file: its lines, reading past torn and malformed lines,
// appending batches, and undo computed from the file alone.
#include "orders/history.h"

#include <gtest/gtest.h>

#include <string>

#include "orders/history_undo.h"
#include "tests/orders/dictionary_ids.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

// 2026-12-10T04:05:06+08:00, one second later on every call.
Clock TestClock() {
  auto next = std::make_shared<std::int64_t>(1796846706);
  return [next] { return LocalTime{(*next)++, 480}; };
}

OrderChange Change(DictionaryId d, OrderTable t, std::string code, TextOrder before,
                   TextOrder after) {
  return OrderChange{GroupKey{d, t, std::move(code)}, std::move(before), std::move(after)};
}

const char kSaveLine[] =
    "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁 丐 歹 亍\t亍 丁 丐 歹\tsave\t1\t-\n";

TEST(HistoryLineTest, Format) {
  const struct {
    HistoryEntry entry;
    const char* line;
  } cases[] = {
      {{"2026-12-10T04:05:06+08:00",
        Change(kCht, OrderTable::kCharacters, "1020", {u"丁", u"丐", u"歹", u"亍"},
               {u"亍", u"丁", u"丐", u"歹"}),
        HistoryKind::kSave, 1, 0},
       kSaveLine},
      {{"2026-12-10T04:05:07-03:30",
        Change(kChs2002, OrderTable::kPhrases, "101021", {u"a b", u"c\\"}, {u"c\\", u"a b"}),
        HistoryKind::kUndo, 12, 3},
       "2026-12-10T04:05:07-03:30\tchs-2002\tphrases\t101021\ta\\sb c\\\\\tc\\\\ "
       "a\\sb\tundo\t12\t3\n"},
      {{"2026-12-10T04:05:08+00:00",
        Change(kCht, OrderTable::kPunctuation, "-", {u"，", u"。"}, {u"。", u"，"}),
        HistoryKind::kReapply, 7, 0},
       "2026-12-10T04:05:08+00:00\tcht\tpunctuation\t-\t， 。\t。 ，\treapply\t7\t-\n"},
  };
  for (const auto& c : cases) {
    std::string line, reason;
    ASSERT_TRUE(FormatHistoryLine(c.entry, &line, &reason)) << reason;
    EXPECT_EQ(line, c.line);
    History parsed;
    ParseHistory(line, &parsed);
    ASSERT_EQ(parsed.entries.size(), 1u) << c.line;
    EXPECT_EQ(parsed.entries[0].change, c.entry.change);
    EXPECT_EQ(parsed.entries[0].kind, c.entry.kind);
    EXPECT_EQ(parsed.entries[0].batch, c.entry.batch);
    EXPECT_EQ(parsed.entries[0].undoes, c.entry.undoes);
    EXPECT_EQ(parsed.entries[0].time, c.entry.time);
  }
}

TEST(HistoryLineTest, MalformedLinesAreSkippedAndCounted) {
  const std::string good = kSaveLine;
  const std::string bad[] = {
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tsave\t1\n",        // 8 fields
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tsave\t1\t-\tx\n",  // 10
      "2026-12-10 04:05:06\tcht\tcharacters\t1020\t丁\t丁\tsave\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht-1999\tcharacters\t1020\t丁\t丁\tsave\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\twords\t1020\t丁\t丁\tsave\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t10201\t丁\t丁\tsave\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tpunctuation\t1\t，\t，\tsave\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t\t丁\tsave\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tredo\t1\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tsave\t0\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tsave\t01\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tsave\t2\t1\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tundo\t2\t-\n",
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1020\t丁\t丁\tundo\t2\t2\n",  // undoes itself
      "\n",
  };
  for (const std::string& line : bad) {
    History h;
    ParseHistory(good + line + good, &h);
    EXPECT_EQ(h.entries.size(), 2u) << line;
    EXPECT_EQ(h.malformedLines, std::vector<int>{2}) << line;
    EXPECT_FALSE(h.tornLastLine) << line;
  }
}

TEST(HistoryReadTest, TornLastLineIsIgnored) {
  const std::string good = kSaveLine;
  const struct {
    const char* name;
    std::string bytes;
    std::size_t entries;
    std::vector<int> malformed;
    bool torn;
  } cases[] = {
      {"complete", good + good, 2, {}, false},
      {"empty file", "", 0, {}, false},
      {"cut inside the last line", good + good.substr(0, 40), 1, {}, true},
      // Without its line break a line may have lost the end of its last field.
      {"cut just before the line break", good + good.substr(0, good.size() - 1), 1, {}, true},
      {"unparsable last line", good + "2026-12-10T04:05\n", 1, {}, true},
      {"bad line, then a torn one", good + "junk\n" + good.substr(0, 9), 1, {2}, true},
      {"CRLF line ends", good.substr(0, good.size() - 1) + "\r\n" + good, 2, {}, false},
  };
  for (const auto& c : cases) {
    History h;
    ParseHistory(c.bytes, &h);
    EXPECT_EQ(h.entries.size(), c.entries) << c.name;
    EXPECT_EQ(h.malformedLines, c.malformed) << c.name;
    EXPECT_EQ(h.tornLastLine, c.torn) << c.name;
  }
}

TEST(HistoryReadTest, FileReadInPiecesEqualsParse) {
  TempDir tmp;
  TestPlatform platform;
  // Far more than one read's worth, with lines across every piece boundary.
  std::string bytes;
  for (int i = 1; i <= 3000; ++i) {
    const std::string n = std::to_string(i);
    bytes += "2026-12-10T04:05:06+08:00\tcht\tphrases\t" + n + "\t" + n + "a b" + n + "\t" + n +
             "b a" + n + "\tsave\t" + n + "\t-\n";
    if (i == 1500) bytes += "malformed\n";
  }
  bytes += "2026-12-10T04:05";
  WriteText(tmp.Join("history.tsv"), bytes);
  History fromFile, parsed;
  ASSERT_TRUE(ReadHistory(&platform, tmp.path(), &fromFile).ok());
  ParseHistory(bytes, &parsed);
  ASSERT_EQ(fromFile.entries.size(), 3000u);
  EXPECT_EQ(fromFile.malformedLines, std::vector<int>{1501});
  EXPECT_TRUE(fromFile.tornLastLine);
  EXPECT_EQ(fromFile.lastBatch, 3000);
  for (std::size_t i = 0; i < parsed.entries.size(); ++i) {
    ASSERT_EQ(fromFile.entries[i].change, parsed.entries[i].change) << i;
  }
  History none;
  EXPECT_TRUE(ReadHistory(&platform, tmp.Join("missing"), &none).ok());
  EXPECT_TRUE(none.entries.empty());
}

TEST(HistoryAppendTest, BatchesShareANumberAndCountUp) {
  TestPlatform platform;
  std::string dataDir;
  ASSERT_TRUE(platform.UserDataFolder(&dataDir));  // not created yet
  const Clock clock = TestClock();
  const OrderChange first = Change(kCht, OrderTable::kCharacters, "1020",
                                   {u"丁", u"丐", u"歹", u"亍"}, {u"亍", u"丁", u"丐", u"歹"});
  std::int64_t batch = 0;
  ASSERT_TRUE(
      AppendHistory(&platform, dataDir, HistoryKind::kSave, {&first, 1}, clock, 0, &batch).ok());
  EXPECT_EQ(batch, 1);
  const OrderChange imported[] = {
      Change(kCht, OrderTable::kPhrases, "10102", {u"a", u"b"}, {u"b", u"a"}),
      Change(kChs2002, OrderTable::kPunctuation, "-", {u"，", u"。"}, {u"。", u"，"}),
  };
  ASSERT_TRUE(
      AppendHistory(&platform, dataDir, HistoryKind::kImport, imported, clock, 0, &batch).ok());
  EXPECT_EQ(batch, 2);
  EXPECT_EQ(
      ReadText(HistoryPath(dataDir)),
      std::string(kSaveLine) +
          "2026-12-10T04:05:07+08:00\tcht\tphrases\t10102\ta b\tb a\timport\t2\t-\n"
          "2026-12-10T04:05:07+08:00\tchs-2002\tpunctuation\t-\t， 。\t。 ，\timport\t2\t-\n");
}

TEST(HistoryAppendTest, AfterATornLine) {
  TempDir tmp;
  TestPlatform platform;
  const std::string torn = std::string(kSaveLine) + "2026-12-10T04:05:06+08:00\tcht\tchar";
  WriteText(tmp.Join("history.tsv"), torn);
  const OrderChange change = Change(kCht, OrderTable::kCharacters, "1", {u"a", u"b"}, {u"b", u"a"});
  std::int64_t batch = 0;
  ASSERT_TRUE(
      AppendHistory(&platform, tmp.path(), HistoryKind::kSave, {&change, 1}, TestClock(), 0, &batch)
          .ok());
  EXPECT_EQ(batch, 2);
  History h;
  ASSERT_TRUE(ReadHistory(&platform, tmp.path(), &h).ok());
  ASSERT_EQ(h.entries.size(), 2u);
  EXPECT_EQ(h.entries[1].change, change);
  EXPECT_EQ(h.malformedLines, std::vector<int>{2});
  EXPECT_FALSE(h.tornLastLine);
}

TEST(HistoryAppendTest, RefusalsWriteNothing) {
  TempDir tmp;
  TestPlatform platform;
  const OrderChange good = Change(kCht, OrderTable::kCharacters, "1", {u"a"}, {u"a"});
  const OrderChange badCode = Change(kCht, OrderTable::kCharacters, "12345", {u"a"}, {u"a"});
  const OrderChange emptyText = Change(kCht, OrderTable::kPhrases, "12345", {u"a", u""}, {u"a"});
  const OrderChange batches[][2] = {{good, badCode}, {good, emptyText}};
  for (const auto& changes : batches) {
    const Status s = AppendHistory(&platform, tmp.path(), HistoryKind::kSave, changes, TestClock());
    EXPECT_TRUE(s.Is(Status::Code::kRefused)) << s.message();
    EXPECT_FALSE(FileExists(tmp.Join("history.tsv")));
  }
  EXPECT_EQ(AppendHistory(&platform, tmp.path(), HistoryKind::kSave, {&badCode, 1}, TestClock())
                .message(),
            "cannot record the change of cht characters 12345 in " + tmp.Join("history.tsv") +
                ": \"12345\" is not a code of the characters table");
  EXPECT_TRUE(AppendHistory(&platform, tmp.path(), HistoryKind::kUndo, {&good, 1}, TestClock())
                  .Is(Status::Code::kRefused));
  // An undo of a batch the file does not have yet.
  EXPECT_TRUE(AppendHistory(&platform, tmp.path(), HistoryKind::kUndo, {&good, 1}, TestClock(), 1)
                  .Is(Status::Code::kRefused));
  EXPECT_FALSE(FileExists(tmp.Join("history.tsv")));
}

// Applies the next undo as the tool would record it; returns what it
// restored.
std::optional<UndoStep> Undo(TestPlatform& platform, const std::string& dataDir,
                             const Clock& clock) {
  History h;
  EXPECT_TRUE(ReadHistory(&platform, dataDir, &h).ok());
  std::optional<UndoStep> step = NextUndo(h);
  if (step) {
    EXPECT_TRUE(
        AppendHistory(&platform, dataDir, HistoryKind::kUndo, step->changes, clock, step->batch)
            .ok());
  }
  return step;
}

TEST(HistoryUndoTest, WalksBackThroughBatchesNotYetUndone) {
  TempDir tmp;
  TestPlatform platform;
  const Clock clock = TestClock();
  const auto save = [&](HistoryKind kind, std::vector<OrderChange> changes) {
    ASSERT_TRUE(AppendHistory(&platform, tmp.path(), kind, changes, clock).ok());
  };
  const OrderChange g1 = Change(kCht, OrderTable::kCharacters, "1", {u"a", u"b"}, {u"b", u"a"});
  const OrderChange g2 = Change(kCht, OrderTable::kPhrases, "22", {u"c", u"d"}, {u"d", u"c"});
  const OrderChange g3 = Change(kChs2002, OrderTable::kCharacters, "3", {u"e", u"f"}, {u"f", u"e"});
  const OrderChange g1again =
      Change(kCht, OrderTable::kCharacters, "1", {u"b", u"a"}, {u"a", u"b"});
  const OrderChange g4 = Change(kCht, OrderTable::kCharacters, "4", {u"g", u"h"}, {u"h", u"g"});
  const auto reversed = [](const OrderChange& c) {
    return OrderChange{c.group, c.after, c.before};
  };

  save(HistoryKind::kSave, {g1});        // batch 1
  save(HistoryKind::kImport, {g2, g3});  // batch 2
  save(HistoryKind::kSave, {g1again});   // batch 3

  std::optional<UndoStep> step = Undo(platform, tmp.path(), clock);  // batch 4
  ASSERT_TRUE(step);
  EXPECT_EQ(step->batch, 3);
  EXPECT_EQ(step->changes, std::vector<OrderChange>{reversed(g1again)});

  step = Undo(platform, tmp.path(), clock);  // batch 5
  ASSERT_TRUE(step);
  EXPECT_EQ(step->batch, 2);
  EXPECT_EQ(step->kind, HistoryKind::kImport);
  EXPECT_EQ(step->time, "2026-12-10T04:05:07+08:00");
  EXPECT_EQ(step->changes, (std::vector<OrderChange>{reversed(g3), reversed(g2)}));

  // A new save is undone first; then the walk goes on below it.
  save(HistoryKind::kSave, {g4});  // batch 6
  step = Undo(platform, tmp.path(), clock);
  ASSERT_TRUE(step);
  EXPECT_EQ(step->batch, 6);
  step = Undo(platform, tmp.path(), clock);
  ASSERT_TRUE(step);
  EXPECT_EQ(step->batch, 1);
  EXPECT_EQ(step->changes, std::vector<OrderChange>{reversed(g1)});
  EXPECT_FALSE(Undo(platform, tmp.path(), clock));
}

TEST(HistoryUndoTest, GroupChangedTwiceInOneBatchGoesBackToItsFirstOrder) {
  History h;
  ParseHistory(
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1\ta b c\tb a c\treapply\t1\t-\n"
      "2026-12-10T04:05:06+08:00\tcht\tcharacters\t1\tb a c\tc b a\treapply\t1\t-\n",
      &h);
  const std::optional<UndoStep> step = NextUndo(h);
  ASSERT_TRUE(step);
  TextOrder order = {u"c", u"b", u"a"};
  for (const OrderChange& c : step->changes) {
    ASSERT_EQ(order, c.before);
    order = c.after;
  }
  EXPECT_EQ(order, (TextOrder{u"a", u"b", u"c"}));
  History empty;
  EXPECT_FALSE(NextUndo(empty));
}

}  // namespace
}  // namespace taliq::test
