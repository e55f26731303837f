// The 查碼 dialog: searching the dictionary the main dialog shows, the hit
// lines, 前往, and the main dialog showing the chosen hit.
#include "freqtool/find_dialog_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "tests/freqtool/installation.h"
#include "tests/freqtool/recording_find_view.h"
#include "tests/freqtool/recording_view.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

using test::Ch;
using test::Dictionary;
using test::Installation;
using test::kChsDigit;
using test::kChtDigit;
using test::Ph;
using Lines = std::vector<std::u16string>;

// The traditional standard dictionary with 乙 also in the phrase table, so
// that one text has hits in several codes of both tables.
Dictionary WithPhraseYi() {
  Dictionary d = test::TraditionalStandard();
  d.phrases.insert(d.phrases.begin() + 1, {u"12", {Ph(u"十一", 900), Ph(u"乙", 910)}});
  return d;
}

class FindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.InstallAll();
    install_.InstallBoth(kChtDigit, 0, WithPhraseYi());
    platform_.SetProgramFilesFolder(install_.programFiles());
  }

  // A find dialog on the traditional standard dictionary, opened.
  FindDialogModel& Open(int charset = kChtDigit) {
    const DictionaryId id{CharsetFromDigit(charset), Edition::kStandard};
    find_ = std::make_unique<FindDialogModel>(&platform_, id, install_.Folder(false, charset, 0));
    find_->OnInitDialog(&view_);
    return *find_;
  }
  void Search(std::u16string_view text) {
    view_.field = std::u16string(text);
    find_->OnSearch();
  }

  Installation install_;
  test::TestPlatform platform_;
  test::RecordingFindView view_;
  std::unique_ptr<FindDialogModel> find_;
};

TEST_F(FindTest, OpensWithAnEmptyListAndGoDisabled) {
  Open();
  EXPECT_EQ(view_.limit, kMaxFindUnits);
  EXPECT_TRUE(view_.hits.empty());
  EXPECT_FALSE(view_.goEnabled);
}

TEST_F(FindTest, SearchListsEveryCodeOfBothTablesWithPosition) {
  const struct {
    std::u16string query;
    Lines hits;
    std::u16string status;
  } cases[] = {
      // Characters first, then phrases, each table in file order.
      {u"乙",
       {u"1\t單字\t第2位/共2個", u"123\t單字\t第2位/共4個", u"12\t詞組\t第2位/共2個"},
       u"「乙」找到 3 處"},
      {u"  中國 ", {u"12345\t詞組\t第2位/共4個"}, u"「中國」找到 1 處"},
      {u"日", {u"124\t單字\t第1位/共1個"}, u"「日」找到 1 處"},
      {u"六位數", {u"123456\t詞組\t第1位/共1個"}, u"「六位數」找到 1 處"},
      // Only the traditional standard dictionary is searched.
      {u"简", {}, u"「简」不在本碼本中"},
      {u"中", {}, u"「中」不在本碼本中"},
      {u" ", {}, kFindEmptyQuery},
      {u"", {}, kFindEmptyQuery},
  };
  Open();
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(i++);
    Search(c.query);
    EXPECT_EQ(view_.hits, c.hits);
    EXPECT_EQ(view_.status, c.status);
    EXPECT_EQ(view_.selection, c.hits.empty() ? -1 : 0);
    EXPECT_EQ(view_.goEnabled, !c.hits.empty());
    EXPECT_EQ(find_->hits().size(), c.hits.size());
  }
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_FALSE(view_.closed);
}

TEST_F(FindTest, SearchesTheDictionaryItWasOpenedOn) {
  Open(kChsDigit);
  Search(u"简");
  EXPECT_EQ(view_.hits, Lines{u"123\t單字\t第1位/共3個"});
  Search(u"乙");
  EXPECT_TRUE(view_.hits.empty());
}

TEST_F(FindTest, GoClosesWithTheSelectedHitAndNeedsASelection) {
  Open();
  find_->OnGo();
  EXPECT_FALSE(view_.closed);
  EXPECT_FALSE(find_->chosen().has_value());

  Search(u"乙");
  view_.selection = -1;
  find_->OnHitSelected();
  EXPECT_FALSE(view_.goEnabled);
  find_->OnGo();
  EXPECT_FALSE(view_.closed);

  view_.selection = 1;
  find_->OnHitSelected();
  EXPECT_TRUE(view_.goEnabled);
  find_->OnGo();
  EXPECT_TRUE(view_.closed);
  ASSERT_TRUE(find_->chosen().has_value());
  EXPECT_EQ(find_->chosen()->code, u"123");
  EXPECT_EQ(find_->chosen()->table, TableKind::kCharacters);
  EXPECT_EQ(find_->chosen()->position, 2);
  EXPECT_EQ(find_->query(), u"乙");
}

TEST_F(FindTest, UnreadableTableIsReportedWithItsFileAndEarlierHitsStay) {
  const std::string phrases = install_.File(false, kChtDigit, 0, kPhraseTableFileName);
  std::filesystem::remove(phrases);
  Open();
  Search(u"乙");
  EXPECT_EQ(view_.hits, (Lines{u"1\t單字\t第2位/共2個", u"123\t單字\t第2位/共4個"}));
  ASSERT_EQ(view_.messages.size(), 1u);
  const std::u16string& text = view_.messages[0].text;
  EXPECT_NE(text.find(u"lurmsmc.mb"), std::u16string::npos);
  EXPECT_EQ(view_.messages[0].caption, kTunavoTitle);
  EXPECT_EQ(view_.messages[0].flags, kMbOk | kMbIconWarning);
}

// The main dialog's side: the system-menu command, and what 前往 shows.
class FindFromMainDialogTest : public FindTest {
 protected:
  void SetUp() override {
    FindTest::SetUp();
    model_ = std::make_unique<TunavoDialogModel>(&platform_, &main_);
    main_.model = model_.get();
    model_->OnInitDialog({});
  }
  // Opens 查碼 through the system menu, searches `text` and goes to hit
  // `hit` (or closes without going when it is -1).
  void FindAndGo(std::u16string_view text, int hit) {
    main_.inFindDialog = [&](FindDialogModel* find) {
      find->OnInitDialog(&view_);
      view_.field = std::u16string(text);
      find->OnSearch();
      if (hit < 0) return;
      view_.selection = hit;
      find->OnHitSelected();
      find->OnGo();
    };
    EXPECT_TRUE(model_->OnSysCommand(kIdmFind));
  }

  test::RecordingView main_;
  std::unique_ptr<TunavoDialogModel> model_;
};

TEST_F(FindFromMainDialogTest, FindIsASystemMenuCommandBetweenTheSystemsItemsAndAbout) {
  const std::span<const SystemMenuCommand> commands = model_->SystemMenuCommands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[0].id, kIdmFind);
  EXPECT_EQ(commands[0].text, u"查碼(&F)...");
  for (const SystemMenuCommand& c : commands) {
    EXPECT_EQ(c.id % 16, 0u) << c.id;
    EXPECT_LT(c.id, 0xF000u) << c.id;
    EXPECT_NE(c.id, kIdmAboutBox);
  }
  // WM_SYSCOMMAND's low four bits are the system's.
  main_.inFindDialog = nullptr;
  EXPECT_TRUE(model_->OnSysCommand(kIdmFind | 0x3));
  EXPECT_EQ(main_.findDialogs, 1);
  EXPECT_EQ(main_.aboutBoxes, 0);
}

TEST_F(FindFromMainDialogTest, GoShowsTheCodeInTheHitsModeWithTheLineSelected) {
  const struct {
    std::u16string text;
    int hit;
    ListMode mode;
    std::u16string code;
    Lines lines;
    int selected;
  } cases[] = {
      {u"乙", 1, ListMode::kSingle, u"123", {u"甲", u"乙", u"丙", u"丁"}, 1},
      {u"乙", 2, ListMode::kPhrase, u"12", {u"十一", u"乙"}, 1},
      {u"乙", 0, ListMode::kSingle, u"1", {u"一", u"乙"}, 1},
      {u"中心點", 0, ListMode::kPhrase, u"12345", {u"中文", u"中國", u"中間", u"中心點"}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hit);
    FindAndGo(c.text, c.hit);
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(model_->mode(), c.mode);
    EXPECT_EQ(main_.field, c.code);
    EXPECT_EQ(main_.lines, c.lines);
    EXPECT_EQ(main_.selection, c.selected);
    EXPECT_TRUE(main_.Mirrors());
    EXPECT_FALSE(main_.saveEnabled);
    view_ = test::RecordingFindView();
  }
  // The selected line moves and saves like a line the user clicked.
  FindAndGo(u"丙", 0);
  EXPECT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(main_.lines, (Lines{u"丙", u"甲", u"乙", u"丁"}));
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
}

TEST_F(FindFromMainDialogTest, ClosingWithoutGoLeavesTheListAndItsMoves) {
  main_.TypeAll(u"123");
  main_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveUp(), MoveResult::kMoved);
  const Lines moved = main_.lines;
  FindAndGo(u"乙", -1);
  EXPECT_EQ(view_.hits.size(), 3u);
  EXPECT_EQ(main_.lines, moved);
  EXPECT_EQ(main_.selection, 1);
  EXPECT_TRUE(main_.saveEnabled);
}

TEST_F(FindFromMainDialogTest, SearchesTheCheckedCharacterSet) {
  main_.ClickCharset(kChsDigit);
  FindAndGo(u"体", 0);
  EXPECT_EQ(main_.checked, kChsDigit);
  EXPECT_EQ(main_.field, u"123");
  EXPECT_EQ(main_.lines, (Lines{u"简", u"体", u"字"}));
  EXPECT_EQ(main_.selection, 1);
}

}  // namespace
}  // namespace taliq
