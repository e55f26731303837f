#include "freqtool/adjustment_list.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace taliq {
namespace {

using Lines = std::vector<std::u16string>;

struct Entry {
  std::u16string text;
  std::uint16_t v0, v1, v2;
};

// A list filled as a lookup would: records in stored order, then FillList.
void Fill(AdjustmentList& list, const std::vector<Entry>& entries) {
  for (size_t i = 0; i < entries.size(); ++i) {
    CandidateRecord& r = list.records()[i];
    r.SetText(entries[i].text);
    r.values[0] = entries[i].v0;
    r.values[1] = entries[i].v1;
    r.values[2] = entries[i].v2;
  }
  list.set_count(static_cast<int>(entries.size()));
  list.ClearList();
  list.FillList();
}

void FillTexts(AdjustmentList& list, const Lines& texts) {
  std::vector<Entry> entries;
  for (size_t i = 0; i < texts.size(); ++i) {
    entries.push_back({texts[i], static_cast<std::uint16_t>(i), 0, 0});
  }
  Fill(list, entries);
}

enum class Op { kTop, kUp, kDown, kBottom };

MoveResult Apply(AdjustmentList& list, Op op) {
  switch (op) {
    case Op::kTop:
      return list.MoveToTop();
    case Op::kUp:
      return list.MoveUp();
    case Op::kDown:
      return list.MoveDown();
    case Op::kBottom:
      return list.MoveToBottom();
  }
  return MoveResult::kNoSelection;
}

struct MoveCase {
  const char* name;
  Lines start;
  int selected;
  Op op;
  MoveResult result;
  Lines after;
  int selectedAfter;
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class MoveTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveTest, MovesTheSelectedLineOnly) {
  const MoveCase& c = GetParam();
  AdjustmentList list;
  FillTexts(list, c.start);
  list.Select(c.selected);
  EXPECT_EQ(Apply(list, c.op), c.result);
  EXPECT_EQ(list.lines(), c.after);
  EXPECT_EQ(list.selection(), c.selectedAfter);
  // Only a line that moved makes the list worth saving.
  EXPECT_EQ(list.saveEnabled(), c.result == MoveResult::kMoved);
  if (c.selectedAfter != kNoSelection && c.selected != kNoSelection) {
    EXPECT_EQ(list.lines()[static_cast<size_t>(c.selectedAfter)],
              c.start[static_cast<size_t>(c.selected)]);
  }
  // Records keep the stored order until saving.
  for (size_t i = 0; i < c.start.size(); ++i) EXPECT_EQ(list.records()[i].Text(), c.start[i]);
}

const Lines kAbcde = {u"A", u"B", u"C", u"D", u"E"};

INSTANTIATE_TEST_SUITE_P(
    Table, MoveTest,
    ::testing::Values(
        MoveCase{"TopFromMiddle",
                 kAbcde,
                 2,
                 Op::kTop,
                 MoveResult::kMoved,
                 {u"C", u"A", u"B", u"D", u"E"},
                 0},
        MoveCase{"BottomFromMiddle",
                 kAbcde,
                 2,
                 Op::kBottom,
                 MoveResult::kMoved,
                 {u"A", u"B", u"D", u"E", u"C"},
                 4},
        MoveCase{"UpFromMiddle",
                 kAbcde,
                 2,
                 Op::kUp,
                 MoveResult::kMoved,
                 {u"A", u"C", u"B", u"D", u"E"},
                 1},
        MoveCase{"DownFromMiddle",
                 kAbcde,
                 2,
                 Op::kDown,
                 MoveResult::kMoved,
                 {u"A", u"B", u"D", u"C", u"E"},
                 3},
        MoveCase{"TopOfFirst", kAbcde, 0, Op::kTop, MoveResult::kNoMove, kAbcde, 0},
        MoveCase{"UpOfFirst", kAbcde, 0, Op::kUp, MoveResult::kNoMove, kAbcde, 0},
        MoveCase{"DownOfLast", kAbcde, 4, Op::kDown, MoveResult::kNoMove, kAbcde, 4},
        MoveCase{"BottomOfLast", kAbcde, 4, Op::kBottom, MoveResult::kNoMove, kAbcde, 4},
        MoveCase{"DownOfFirst",
                 kAbcde,
                 0,
                 Op::kDown,
                 MoveResult::kMoved,
                 {u"B", u"A", u"C", u"D", u"E"},
                 1},
        MoveCase{
            "UpOfLast", kAbcde, 4, Op::kUp, MoveResult::kMoved, {u"A", u"B", u"C", u"E", u"D"}, 3},
        MoveCase{"OneLineTop", {u"A"}, 0, Op::kTop, MoveResult::kNoMove, {u"A"}, 0},
        MoveCase{"OneLineUp", {u"A"}, 0, Op::kUp, MoveResult::kNoMove, {u"A"}, 0},
        MoveCase{"OneLineDown", {u"A"}, 0, Op::kDown, MoveResult::kNoMove, {u"A"}, 0},
        MoveCase{"OneLineBottom", {u"A"}, 0, Op::kBottom, MoveResult::kNoMove, {u"A"}, 0},
        MoveCase{"NoSelectionTop", kAbcde, kNoSelection, Op::kTop, MoveResult::kNoSelection, kAbcde,
                 kNoSelection},
        MoveCase{"NoSelectionBottom", kAbcde, kNoSelection, Op::kBottom, MoveResult::kNoSelection,
                 kAbcde, kNoSelection},
        MoveCase{
            "EmptyListUp", {}, kNoSelection, Op::kUp, MoveResult::kNoSelection, {}, kNoSelection},
        // A selection the list does not hold counts as none.
        MoveCase{"SelectionPastEnd", kAbcde, 5, Op::kDown, MoveResult::kNoSelection, kAbcde,
                 kNoSelection},
        MoveCase{"EmptyListSelectionZero",
                 {},
                 0,
                 Op::kDown,
                 MoveResult::kNoSelection,
                 {},
                 kNoSelection}),
    [](const ::testing::TestParamInfo<MoveCase>& p) { return p.param.name; });

TEST(AdjustmentListTest, RepeatedPressesKeepMovingTheSameLineUntilTheEdge) {
  AdjustmentList list;
  FillTexts(list, kAbcde);
  list.Select(3);
  EXPECT_EQ(list.MoveUp(), MoveResult::kMoved);
  EXPECT_EQ(list.MoveUp(), MoveResult::kMoved);
  EXPECT_EQ(list.MoveUp(), MoveResult::kMoved);
  EXPECT_EQ(list.lines(), (Lines{u"D", u"A", u"B", u"C", u"E"}));
  EXPECT_EQ(list.selection(), 0);
  EXPECT_EQ(list.MoveUp(), MoveResult::kNoMove);
  EXPECT_EQ(list.lines(), (Lines{u"D", u"A", u"B", u"C", u"E"}));
}

TEST(AdjustmentListTest, SaveFlagFollowsTheFillMoveCycle) {
  AdjustmentList list;
  EXPECT_FALSE(list.saveEnabled());
  FillTexts(list, kAbcde);
  EXPECT_FALSE(list.saveEnabled());
  EXPECT_EQ(list.selection(), kNoSelection);
  list.Select(1);
  ASSERT_EQ(list.MoveDown(), MoveResult::kMoved);
  EXPECT_TRUE(list.saveEnabled());
  // A move that goes nowhere, or has nothing to move, leaves it as it is.
  list.Select(4);
  EXPECT_EQ(list.MoveToBottom(), MoveResult::kNoMove);
  EXPECT_TRUE(list.saveEnabled());
  list.Select(kNoSelection);
  EXPECT_EQ(list.MoveUp(), MoveResult::kNoSelection);
  EXPECT_TRUE(list.saveEnabled());
  // Saving leaves lines, selection and the flag alone.
  list.Select(2);
  list.ApplyListOrder();
  EXPECT_TRUE(list.saveEnabled());
  EXPECT_EQ(list.selection(), 2);
  EXPECT_EQ(list.lines(), (Lines{u"A", u"C", u"B", u"D", u"E"}));
  // A refill drops the unsaved state.
  list.ClearList();
  EXPECT_FALSE(list.saveEnabled());
  EXPECT_TRUE(list.lines().empty());
  EXPECT_EQ(list.selection(), kNoSelection);
}

TEST(AdjustmentListTest, FillListShowsTextsOrMarksByMode) {
  AdjustmentList list;
  list.records()[0].SetText(u"中文");
  list.records()[1].SetText(u"字");
  list.set_count(2);
  list.FillList();
  EXPECT_EQ(list.lines(), (Lines{u"中文", u"字"}));

  list.set_mode(ListMode::kPunctuation);
  list.records()[0].SetMark(u'。');
  list.records()[1].SetMark(0);
  list.FillList();
  EXPECT_EQ(list.lines(), (Lines{u"。", u""}));

  for (int count : {0, -1}) {
    list.set_count(count);
    list.FillList();
    EXPECT_TRUE(list.lines().empty()) << count;
  }
}

TEST(AdjustmentListTest, ApplyListOrderCarriesValuesWithTheirText) {
  AdjustmentList list;
  Fill(list, {{u"X", 5, 6, 7}, {u"Y", 1, 2, 3}, {u"Z", 9, 9, 9}});
  list.Select(2);
  ASSERT_EQ(list.MoveToTop(), MoveResult::kMoved);  // Z X Y
  list.ApplyListOrder();
  const std::vector<Entry> want = {{u"Z", 9, 9, 9}, {u"X", 5, 6, 7}, {u"Y", 1, 2, 3}};
  for (size_t k = 0; k < want.size(); ++k) {
    const CandidateRecord& r = list.records()[k];
    EXPECT_EQ(r.Text(), want[k].text) << k;
    EXPECT_EQ(r.values[0], want[k].v0) << k;
    EXPECT_EQ(r.values[1], want[k].v1) << k;
    EXPECT_EQ(r.values[2], want[k].v2) << k;
    EXPECT_EQ(r.sortKey, k) << k;
  }
}

TEST(AdjustmentListTest, ApplyListOrderOnUnmovedLinesKeepsStoredOrder) {
  AdjustmentList list;
  FillTexts(list, kAbcde);
  // Stale keys from an earlier save must not leak into this one.
  for (int i = 0; i < 5; ++i) list.records()[static_cast<size_t>(i)].sortKey = 100 - i;
  list.ApplyListOrder();
  for (size_t i = 0; i < kAbcde.size(); ++i) {
    EXPECT_EQ(list.records()[i].Text(), kAbcde[i]);
    EXPECT_EQ(list.records()[i].values[0], i);
  }
}

// Records with equal texts each take the position of one line with that
// text, in turn; no record keeps an old key and no order is scrambled.
TEST(AdjustmentListTest, EqualTextsGoToLinesInTurn) {
  AdjustmentList list;
  Fill(list, {{u"A", 1, 0, 0}, {u"B", 2, 0, 0}, {u"A", 3, 0, 0}, {u"C", 4, 0, 0}});
  // Stale keys as a previous save would leave them.
  list.records()[2].sortKey = 0;
  list.records()[3].sortKey = 0;
  list.Select(3);
  ASSERT_EQ(list.MoveToTop(), MoveResult::kMoved);  // C A B A
  list.ApplyListOrder();
  const std::vector<std::pair<std::u16string, int>> want = {
      {u"C", 4}, {u"A", 1}, {u"B", 2}, {u"A", 3}};
  for (size_t k = 0; k < want.size(); ++k) {
    EXPECT_EQ(list.records()[k].Text(), want[k].first) << k;
    EXPECT_EQ(list.records()[k].values[0], want[k].second) << k;
  }
}

TEST(AdjustmentListTest, FullListReversedSortsAllThreeHundredRecords) {
  AdjustmentList list;
  std::vector<Entry> entries;
  for (int i = 0; i < kCandidateListCapacity; ++i) {
    entries.push_back({u"w" + std::u16string(1, static_cast<char16_t>(0x4E00 + i)),
                       static_cast<std::uint16_t>(i), 0, 0});
  }
  Fill(list, entries);
  // Bring every line to the top in turn: the order ends up reversed.
  for (int i = 1; i < kCandidateListCapacity; ++i) {
    list.Select(i);
    ASSERT_EQ(list.MoveToTop(), MoveResult::kMoved);
  }
  list.ApplyListOrder();
  for (int k = 0; k < kCandidateListCapacity; ++k) {
    ASSERT_EQ(list.records()[static_cast<size_t>(k)].values[0], kCandidateListCapacity - 1 - k);
  }
}

TEST(AdjustmentListTest, ApplyPunctuationOrderWritesMarksInLineOrder) {
  AdjustmentList list;
  list.set_mode(ListMode::kPunctuation);
  const char16_t marks[] = {u'，', u'。', u'！'};
  for (size_t i = 0; i < 3; ++i) list.records()[i].SetMark(marks[i]);
  // Leftovers of an earlier candidate list in the units after the mark.
  list.records()[1].values[2] = 0x1234;
  list.set_count(3);
  list.FillList();
  list.Select(2);
  ASSERT_EQ(list.MoveToTop(), MoveResult::kMoved);  // ！ ， 。
  EXPECT_EQ(list.ApplyPunctuationOrder(), 3);
  const char16_t want[] = {u'！', u'，', u'。'};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(list.records()[i].values[0], want[i]) << i;
    EXPECT_EQ(list.records()[i].values[1], 0) << i;
    EXPECT_EQ(list.records()[i].MarkText(), std::u16string(1, want[i])) << i;
  }
}

}  // namespace
}  // namespace taliq
