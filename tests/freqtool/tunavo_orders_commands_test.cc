// The frequency tool's system-menu commands on the user's orders: undo,
// reset, export, import, the history and the re-apply offer, driven the
// way the dialog drives them. Checks the list, the messages and the bytes
// of both installed copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "platform/text.h"
#include "tests/freqtool/installation.h"
#include "tests/freqtool/recording_view.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

using test::Installation;
using test::ReadBytes;
using Lines = std::vector<std::u16string>;
using Bytes = std::vector<std::uint8_t>;
using test::kChsDigit;
using test::kChtDigit;

const Lines kOriginal123 = {u"甲", u"乙", u"丙", u"丁"};

bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

class OrdersCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.InstallAll();
    platform_.SetProgramFilesFolder(install_.programFiles());
    Start();
  }

  void Start() {
    model_.reset();
    view_ = std::make_unique<test::RecordingView>();
    model_ = std::make_unique<TunavoDialogModel>(&platform_, view_.get());
    view_->model = model_.get();
    model_->OnInitDialog({});
  }

  // Lists `code`, moves line `from` to the top and saves.
  void SaveMove(std::u16string_view code, int from) {
    if (view_->field != code) {
      view_->field.clear();
      view_->TypeAll(code);
    }
    view_->ClickLine(from);
    ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
    ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
    view_->messages.clear();
  }

  Bytes Table(bool second) const {
    return ReadBytes(install_.File(second, kChtDigit, 0, kCharacterTableFileName));
  }
  Bytes TableWith123(const Lines& order) const {
    return test::TraditionalStandard()
        .Reordered(u"123", false, order)
        .Writer()
        .CharacterTableBytes();
  }
  void ExpectBothCopiesHold(const Lines& order) const {
    EXPECT_EQ(Table(false), TableWith123(order));
    EXPECT_EQ(Table(true), TableWith123(order));
  }
  // The one message shown since the last check, with the program's caption.
  test::ShownMessage OneMessage() {
    EXPECT_EQ(view_->messages.size(), 1u);
    test::ShownMessage m = view_->messages.empty() ? test::ShownMessage() : view_->messages[0];
    EXPECT_EQ(m.caption, kTunavoTitle);
    view_->messages.clear();
    return m;
  }

  Installation install_;
  test::TestPlatform platform_;
  test::TempDir files_;
  std::unique_ptr<test::RecordingView> view_;
  std::unique_ptr<TunavoDialogModel> model_;
};

TEST_F(OrdersCommandsTest, MenuHoldsEveryCommandWithAnAccessKeyOfItsOwn) {
  const struct {
    unsigned id;
    std::u16string text;
  } expected[] = {
      {kIdmFind, u"查碼(&F)..."},
      {kIdmUndo, u"復原上次儲存(&U)"},
      {kIdmResetCode, u"恢復此碼原始順序(&O)"},
      {kIdmExport, u"匯出調頻記錄(&E)..."},
      {kIdmImport, u"匯入調頻記錄(&I)..."},
      {kIdmHistory, u"調頻歷史(&H)..."},
  };
  const std::span<const SystemMenuCommand> commands = model_->SystemMenuCommands();
  ASSERT_EQ(commands.size(), std::size(expected));
  // The system's items and About keep theirs.
  std::set<char16_t> keys = {u'R', u'M', u'S', u'N', u'X', u'C', u'A'};
  for (std::size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(commands[i].id, expected[i].id);
    EXPECT_EQ(commands[i].text, expected[i].text);
    const std::size_t amp = commands[i].text.find(u'&');
    ASSERT_NE(amp, std::u16string_view::npos);
    EXPECT_TRUE(keys.insert(commands[i].text[amp + 1]).second) << i;
  }
}

TEST_F(OrdersCommandsTest, UndoWalksBackThroughTheSavesAndRelistsTheCode) {
  SaveMove(u"123", 2);  // 丙 甲 乙 丁
  SaveMove(u"123", 3);  // 丁 丙 甲 乙
  ExpectBothCopiesHold({u"丁", u"丙", u"甲", u"乙"});

  EXPECT_TRUE(model_->OnSysCommand(kIdmUndo));
  EXPECT_EQ(view_->lines, (Lines{u"丙", u"甲", u"乙", u"丁"}));
  EXPECT_TRUE(view_->Mirrors());
  ExpectBothCopiesHold({u"丙", u"甲", u"乙", u"丁"});
  test::ShownMessage m = OneMessage();
  EXPECT_TRUE(Contains(m.text, u"已復原")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, u"繁體 單字 123")) << Utf16ToUtf8(m.text);
  EXPECT_EQ(m.flags, kMbIconInformation);

  model_->OnUndo();
  EXPECT_EQ(view_->lines, kOriginal123);
  ExpectBothCopiesHold(kOriginal123);
  OneMessage();

  model_->OnUndo();
  m = OneMessage();
  EXPECT_EQ(m.text, u"沒有可復原的儲存。");
  ExpectBothCopiesHold(kOriginal123);
}

TEST_F(OrdersCommandsTest, UndoRefusedAfterTheGroupChangedSaysWhy) {
  SaveMove(u"123", 2);
  // Another dictionary installed since: the group no longer holds the order
  // the save left.
  test::Dictionary other = test::TraditionalStandard();
  other.characters[3].second.push_back(test::Ch(u'戊', 140));
  install_.InstallBoth(kChtDigit, 0, other);
  const Bytes before = Table(false);
  model_->OnUndo();
  const test::ShownMessage m = OneMessage();
  EXPECT_TRUE(Contains(m.text, u"無法復原上次儲存")) << Utf16ToUtf8(m.text);
  EXPECT_EQ(m.flags, kMbOk | kMbIconWarning);
  EXPECT_EQ(Table(false), before);
}

TEST_F(OrdersCommandsTest, ResetPutsTheListedCodeBackInItsOriginalOrder) {
  model_->OnResetCode();
  EXPECT_TRUE(Contains(OneMessage().text, u"請先列出"));

  SaveMove(u"123", 3);
  model_->OnResetCode();
  EXPECT_EQ(view_->lines, kOriginal123);
  ExpectBothCopiesHold(kOriginal123);
  EXPECT_EQ(OneMessage().text, u"已恢復 繁體 單字 123 的原始順序。");

  model_->OnResetCode();
  EXPECT_EQ(OneMessage().text, u"繁體 單字 123 已是原始順序。");

  // The punctuation table: the first copy only.
  const Bytes secondMarks = ReadBytes(install_.File(true, kChtDigit, 0, kPunctuationFileName));
  model_->OnPunctuationClicked();
  view_->ClickLine(3);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
  view_->messages.clear();
  model_->OnResetCode();
  EXPECT_EQ(view_->lines, (Lines{u"，", u"。", u"！", u"？"}));
  EXPECT_EQ(OneMessage().text, u"已恢復 繁體 標點 的原始順序。");
  EXPECT_EQ(ReadBytes(install_.File(false, kChtDigit, 0, kPunctuationFileName)),
            test::TraditionalStandard().Writer().PunctuationBytes());
  EXPECT_EQ(ReadBytes(install_.File(true, kChtDigit, 0, kPunctuationFileName)), secondMarks);
}

TEST_F(OrdersCommandsTest, ExportWritesTheChangedOrdersToTheChosenFile) {
  const std::string path = files_.Join("mine.tsv");
  model_->OnExport();  // cancelled in the Save dialog
  EXPECT_TRUE(view_->messages.empty());
  EXPECT_FALSE(test::FileExists(path));

  SaveMove(u"123", 2);
  view_->fileToSave = Utf8ToUtf16(path);
  model_->OnExport();
  EXPECT_EQ(view_->suggestedName, u"taliq-orders.tsv");
  const test::ShownMessage m = OneMessage();
  EXPECT_TRUE(Contains(m.text, u"已匯出 1 個編碼")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, view_->fileToSave));
  const Bytes bytes = ReadBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.rfind("# taliq-orders 1\n", 0), 0u) << text;
  EXPECT_NE(text.find("cht\tcharacters\t123\t丙 甲 乙 丁\n"), std::string::npos) << text;
}

TEST_F(OrdersCommandsTest, ExportFailureNamesTheFile) {
  SaveMove(u"123", 2);
  const std::string path = files_.Join("no-such-folder/mine.tsv");
  view_->fileToSave = Utf8ToUtf16(path);
  model_->OnExport();
  const test::ShownMessage m = OneMessage();
  EXPECT_TRUE(Contains(m.text, u"無法匯出調頻記錄")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, u"mine.tsv")) << Utf16ToUtf8(m.text);
}

TEST_F(OrdersCommandsTest, ImportShowsItsSummaryAndWritesOnlyOnYes) {
  const std::string path = files_.Join("orders.tsv");
  test::WriteBytes(path, [] {
    const std::string text =
        "# taliq-orders 1\n"
        "# from another machine\n"
        "cht\tcharacters\t123\t丁 丙 乙 甲\n"
        "cht\tcharacters\t999\t甲\n"
        "not a line\n";
    return Bytes(text.begin(), text.end());
  }());
  view_->TypeAll(u"123");
  view_->fileToOpen = Utf8ToUtf16(path);

  view_->answers = {kIdNo};
  model_->OnImport();
  test::ShownMessage m = OneMessage();
  EXPECT_EQ(m.flags, kMbYesNo | kMbIconQuestion);
  EXPECT_TRUE(Contains(m.text, u"將改變 1 個編碼的順序")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, u"第 4 行")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, u"第 5 行")) << Utf16ToUtf8(m.text);
  ExpectBothCopiesHold(kOriginal123);
  EXPECT_EQ(view_->lines, kOriginal123);

  view_->answers = {kIdYes};
  model_->OnImport();
  ASSERT_EQ(view_->messages.size(), 2u);
  EXPECT_EQ(view_->messages[0].flags, kMbYesNo | kMbIconQuestion);
  const test::ShownMessage& done = view_->messages[1];
  EXPECT_TRUE(Contains(done.text, u"已匯入 1 個編碼的順序")) << Utf16ToUtf8(done.text);
  EXPECT_TRUE(Contains(done.text, u"2 行無法套用")) << Utf16ToUtf8(done.text);
  EXPECT_EQ(view_->lines, (Lines{u"丁", u"丙", u"乙", u"甲"}));
  ExpectBothCopiesHold({u"丁", u"丙", u"乙", u"甲"});
}

TEST_F(OrdersCommandsTest, ImportOfAMissingFileNamesIt) {
  view_->fileToOpen = Utf8ToUtf16(files_.Join("gone.tsv"));
  model_->OnImport();
  const test::ShownMessage m = OneMessage();
  EXPECT_TRUE(Contains(m.text, u"無法匯入調頻記錄")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, u"gone.tsv")) << Utf16ToUtf8(m.text);
  EXPECT_EQ(m.flags, kMbOk | kMbIconWarning);
}

TEST_F(OrdersCommandsTest, HistoryListsEveryChangeNewestFirst) {
  SaveMove(u"123", 2);
  model_->OnUndo();
  view_->messages.clear();
  model_->OnHistory();
  ASSERT_EQ(view_->historyDialogs.size(), 1u);
  const Lines& lines = view_->historyDialogs[0];
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(Contains(lines[0], u"\t復原\t繁體 單字 123\t丙 甲 乙 丁 → 甲 乙 丙 丁"))
      << Utf16ToUtf8(lines[0]);
  EXPECT_TRUE(Contains(lines[1], u"\t儲存\t繁體 單字 123\t甲 乙 丙 丁 → 丙 甲 乙 丁"))
      << Utf16ToUtf8(lines[1]);
  EXPECT_TRUE(view_->messages.empty());
}

TEST_F(OrdersCommandsTest, ReplacedInstallationIsOfferedTheKeptOrdersAtStart) {
  SaveMove(u"123", 2);
  // A reinstall puts the original files back.
  install_.InstallAll();
  ExpectBothCopiesHold(kOriginal123);

  Start();
  view_->answers = {kIdNo};
  model_->OnStartUp();
  test::ShownMessage m = OneMessage();
  EXPECT_EQ(m.flags, kMbYesNo | kMbIconQuestion);
  EXPECT_TRUE(Contains(m.text, u"重新安裝")) << Utf16ToUtf8(m.text);
  EXPECT_TRUE(Contains(m.text, u"將改變 1 個編碼的順序")) << Utf16ToUtf8(m.text);
  ExpectBothCopiesHold(kOriginal123);

  // Still waiting at the next start; Yes applies it.
  Start();
  view_->TypeAll(u"123");
  view_->answers = {kIdYes};
  model_->OnStartUp();
  ASSERT_EQ(view_->messages.size(), 2u);
  EXPECT_TRUE(Contains(view_->messages[1].text, u"已重新套用 1 個編碼的順序"))
      << Utf16ToUtf8(view_->messages[1].text);
  ExpectBothCopiesHold({u"丙", u"甲", u"乙", u"丁"});
  EXPECT_EQ(view_->lines, (Lines{u"丙", u"甲", u"乙", u"丁"}));

  // Nothing more to offer.
  Start();
  model_->OnStartUp();
  EXPECT_TRUE(view_->messages.empty());
}

TEST_F(OrdersCommandsTest, NothingIsOfferedWhenNothingWasEverSaved) {
  model_->OnStartUp();
  EXPECT_TRUE(view_->messages.empty());
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(OrdersCommandsTest, StartUpWithoutAnInstallationStaysSilent) {
  SaveMove(u"123", 2);
  std::filesystem::remove_all(install_.dir().Join("Program Files (x86)"));
  std::filesystem::remove_all(install_.dir().Join("Program Files"));
  Start();
  platform_.messages.clear();
  model_->OnStartUp();
  EXPECT_TRUE(view_->messages.empty());
  EXPECT_TRUE(platform_.messages.empty());
}

}  // namespace
}  // namespace taliq
