// The frequency tool's dialog, driven the way a user drives it: typing,
// clicking the mode and character-set buttons, selecting and moving lines,
// saving. Checks what the view shows, the messages, and the bytes on disk.
#include "freqtool/tunavo_dialog_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "platform/journal.h"
#include "platform/recovery_message.h"
#include "platform/text.h"
#include "orders/history.h"
#include "orders/snapshot.h"
#include "tests/freqtool/installation.h"
#include "tests/freqtool/recording_view.h"
#include "tests/support/leftover_journal.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

using test::Dictionary;
using test::Installation;
using test::ReadBytes;
using Lines = std::vector<std::u16string>;
using Bytes = std::vector<std::uint8_t>;
using test::kChsDigit;
using test::kChtDigit;

constexpr unsigned kExclamationOk = kMbOk | kMbIconWarning;

class TunavoModelTest : public ::testing::Test {
 protected:
  explicit TunavoModelTest(bool withParenthesis = true) : install_(withParenthesis) {}

  void SetUp() override {
    install_.InstallAll();
    platform_.SetProgramFilesFolder(install_.programFiles());
  }

  // The dialog as the program opens it, with the arguments after the
  // program name.
  void Start(const std::vector<std::u16string>& arguments = {}) {
    model_ = std::make_unique<TunavoDialogModel>(&platform_, &view_);
    view_.model = model_.get();
    model_->OnInitDialog(arguments);
  }

  Bytes File(bool second, int charset, int edition, const char* name) const {
    return ReadBytes(install_.File(second, charset, edition, name));
  }
  std::map<std::string, Bytes> Snapshot() const { return install_.Snapshot(); }

  void ExpectNoMessages() const {
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_TRUE(platform_.messages.empty());
  }
  void ExpectSaveSucceededShown(size_t times) const {
    ASSERT_EQ(view_.messages.size(), times);
    for (const test::ShownMessage& m : view_.messages) {
      EXPECT_EQ(m.text, kSaveSucceededMessage);
      EXPECT_EQ(m.caption, kTunavoTitle);
      EXPECT_EQ(m.flags, kMbIconInformation);
    }
  }

  Installation install_;
  test::TestPlatform platform_;
  test::RecordingView view_;
  std::unique_ptr<TunavoDialogModel> model_;
};

TEST_F(TunavoModelTest, OpensEmptyWithTraditionalCheckedAndSaveDisabled) {
  Start();
  EXPECT_EQ(view_.checked, kChtDigit);
  EXPECT_EQ(view_.field, u"");
  EXPECT_EQ(view_.limit, kMaxCodeUnits);
  EXPECT_TRUE(view_.lines.empty());
  EXPECT_FALSE(view_.saveEnabled);
  EXPECT_EQ(view_.resets, 0);
  EXPECT_EQ(model_->mode(), ListMode::kSingle);
  ExpectNoMessages();
}

TEST_F(TunavoModelTest, TypingDigitByDigitListsEachCodeInStoredOrder) {
  Start();
  EXPECT_FALSE(view_.Type(u'a'));  // the field takes digits only
  const struct {
    char16_t digit;
    Lines lines;
  } steps[] = {
      {u'1', {u"一", u"乙"}},
      {u'2', {u"十", u"千"}},
      {u'3', {u"甲", u"乙", u"丙", u"丁"}},
      {u'4', {u"天", u"地", u"人"}},
      // Five and six digits have no single characters: their phrases.
      {u'5', {u"中文", u"中國", u"中間", u"中心點"}},
      {u'6', {u"六位數"}},
  };
  int resets = 0;
  for (const auto& step : steps) {
    ASSERT_TRUE(view_.Type(step.digit));
    EXPECT_EQ(view_.lines, step.lines) << "after " << static_cast<char>(step.digit);
    EXPECT_EQ(view_.resets, ++resets) << "one refresh per keystroke";
    EXPECT_EQ(view_.selection, -1);
    EXPECT_FALSE(view_.saveEnabled);
    EXPECT_TRUE(view_.Mirrors());
  }
  EXPECT_FALSE(view_.Type(u'7'));  // a seventh digit is refused
  EXPECT_EQ(view_.field, u"123456");
  EXPECT_EQ(view_.lines, (Lines{u"六位數"}));
  ExpectNoMessages();
}

TEST_F(TunavoModelTest, DeletingDigitsRelistsAndEmptyFieldClearsWithoutMessage) {
  Start();
  view_.TypeAll(u"123");
  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveUp(), MoveResult::kMoved);
  ASSERT_TRUE(view_.saveEnabled);
  view_.Backspace();
  EXPECT_EQ(view_.lines, (Lines{u"十", u"千"}));
  EXPECT_FALSE(view_.saveEnabled);
  view_.Backspace();
  view_.Backspace();
  EXPECT_TRUE(view_.lines.empty());
  EXPECT_FALSE(view_.saveEnabled);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kNothingToSave);
  ExpectNoMessages();
}

TEST_F(TunavoModelTest, PhraseModeListsPhrasesOfEveryLength) {
  Start();
  model_->OnPhraseClicked();
  EXPECT_EQ(model_->mode(), ListMode::kPhrase);
  view_.Type(u'1');
  EXPECT_EQ(view_.lines, (Lines{u"一個", u"一起", u"一樣"}));
  view_.Type(u'2');
  EXPECT_TRUE(view_.lines.empty());
  view_.Type(u'3');
  EXPECT_EQ(view_.lines, (Lines{u"甲乙", u"丙丁"}));
  model_->OnSingleClicked();
  EXPECT_EQ(view_.lines, (Lines{u"甲", u"乙", u"丙", u"丁"}));
  ExpectNoMessages();
}

TEST_F(TunavoModelTest, MoveAndSaveRewritesTheGroupInBothCopies) {
  Start();
  std::map<std::string, Bytes> before = Snapshot();
  view_.TypeAll(u"123");
  view_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(view_.lines, (Lines{u"丙", u"甲", u"乙", u"丁"}));
  EXPECT_EQ(view_.selection, 0);
  EXPECT_TRUE(view_.saveEnabled);
  EXPECT_TRUE(view_.Mirrors());
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveToBottom(), MoveResult::kMoved);
  EXPECT_EQ(view_.lines, (Lines{u"丙", u"乙", u"丁", u"甲"}));
  EXPECT_EQ(view_.selection, 3);
  EXPECT_TRUE(view_.Mirrors());

  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ExpectSaveSucceededShown(1);
  const Bytes want = test::TraditionalStandard()
                         .Reordered(u"123", false, {u"丙", u"乙", u"丁", u"甲"})
                         .Writer()
                         .CharacterTableBytes();
  EXPECT_EQ(File(false, kChtDigit, 0, kCharacterTableFileName), want);
  EXPECT_EQ(File(true, kChtDigit, 0, kCharacterTableFileName), want);
  // Nothing else changed.
  std::map<std::string, Bytes> after = Snapshot();
  for (bool second : {false, true}) {
    const std::string path = install_.File(second, kChtDigit, 0, kCharacterTableFileName);
    before.erase(path);
    after.erase(path);
  }
  EXPECT_EQ(after, before);

  // The list stays as it was and saving again writes the same order.
  EXPECT_TRUE(view_.saveEnabled);
  EXPECT_EQ(view_.selection, 3);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ExpectSaveSucceededShown(2);
  EXPECT_EQ(File(false, kChtDigit, 0, kCharacterTableFileName), want);
  EXPECT_EQ(File(true, kChtDigit, 0, kCharacterTableFileName), want);

  // Looking the code up again shows the saved order.
  view_.Backspace();
  view_.Type(u'3');
  EXPECT_EQ(view_.lines, (Lines{u"丙", u"乙", u"丁", u"甲"}));
}

TEST_F(TunavoModelTest, EverySaveIsKeptInTheHistoryAfterASnapshotOfTheOriginal) {
  const Bytes original = File(false, kChtDigit, 0, kCharacterTableFileName);
  Start();
  view_.TypeAll(u"123");
  view_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
  model_->OnPunctuationClicked();
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveToBottom(), MoveResult::kMoved);
  ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ExpectSaveSucceededShown(2);

  std::string data;
  ASSERT_TRUE(platform_.UserDataFolder(&data));
  taliq::Snapshot snapshot;
  ASSERT_TRUE(
      CurrentSnapshot(&platform_, data, {Charset::kTraditional, Edition::kStandard}, &snapshot)
          .ok());
  EXPECT_EQ(ReadBytes(snapshot.folder + "/" + kCharacterTableFileName), original);
  History history;
  ASSERT_TRUE(ReadHistory(&platform_, data, &history).ok());
  ASSERT_EQ(history.entries.size(), 2u);
  const OrderChange& chars = history.entries[0].change;
  EXPECT_EQ(chars.group.code, "123");
  EXPECT_EQ(chars.group.table, OrderTable::kCharacters);
  EXPECT_EQ(chars.before, (Lines{u"甲", u"乙", u"丙", u"丁"}));
  EXPECT_EQ(chars.after, (Lines{u"丙", u"甲", u"乙", u"丁"}));
  const OrderChange& marks = history.entries[1].change;
  EXPECT_EQ(marks.group.table, OrderTable::kPunctuation);
  EXPECT_EQ(marks.before, (Lines{u"，", u"。", u"！", u"？"}));
  EXPECT_EQ(marks.after, (Lines{u"，", u"！", u"？", u"。"}));
}

// What a save keeps when not everything goes through: a save of the first
// copy only is still kept (and can be undone); a save whose record fails
// stands and says so after the success, with the reason.
TEST_F(TunavoModelTest, SavesAreKeptWhenTheSecondCopyFailsAndAFailedRecordIsShown) {
  std::filesystem::remove(install_.File(true, kChtDigit, 0, kCharacterTableFileName));
  Start();
  view_.TypeAll(u"123");
  view_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSecondCopyFailed);
  std::string data;
  ASSERT_TRUE(platform_.UserDataFolder(&data));
  History history;
  ASSERT_TRUE(ReadHistory(&platform_, data, &history).ok());
  ASSERT_EQ(history.entries.size(), 1u);
  EXPECT_EQ(history.entries[0].change.after, (Lines{u"丙", u"甲", u"乙", u"丁"}));

  install_.InstallAll();
  const std::string blocker = install_.dir().Join("blocker");
  test::WriteBytes(blocker, {'x'});
  platform_.SetUserDataFolder(blocker + "/data");
  view_.messages.clear();
  Start();
  view_.TypeAll(u"123");
  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ASSERT_EQ(view_.messages.size(), 2u);
  EXPECT_EQ(view_.messages[0].text, kSaveSucceededMessage);
  const test::ShownMessage& kept = view_.messages[1];
  EXPECT_EQ(kept.text.rfind(kOrdersNotKeptMessage, 0), 0u);
  EXPECT_NE(kept.text.find(u"blocker"), std::u16string::npos);
  EXPECT_EQ(kept.caption, kTunavoTitle);
  EXPECT_EQ(kept.flags & kMbIconMask, kMbIconWarning);
}

TEST_F(TunavoModelTest, PhraseSaveOfFiveDigitCodeRewritesBothCopies) {
  Start();
  view_.TypeAll(u"12345");
  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveUp(), MoveResult::kMoved);
  ASSERT_EQ(model_->OnMoveUp(), MoveResult::kMoved);
  EXPECT_EQ(view_.lines, (Lines{u"中文", u"中心點", u"中國", u"中間"}));
  EXPECT_EQ(view_.selection, 1);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ExpectSaveSucceededShown(1);
  const Bytes want = test::TraditionalStandard()
                         .Reordered(u"12345", true, {u"中文", u"中心點", u"中國", u"中間"})
                         .Writer()
                         .PhraseTableBytes();
  EXPECT_EQ(File(false, kChtDigit, 0, kPhraseTableFileName), want);
  EXPECT_EQ(File(true, kChtDigit, 0, kPhraseTableFileName), want);
}

TEST_F(TunavoModelTest, EqualTextsSaveWithoutLosingEitherEntry) {
  Dictionary d = test::TraditionalStandard();
  d.phrases.push_back({u"9", {test::Ph(u"一個", 1), test::Ph(u"一起", 3), test::Ph(u"一個", 5)}});
  install_.InstallBoth(kChtDigit, 0, d);
  Start();
  model_->OnPhraseClicked();
  view_.Type(u'9');
  ASSERT_EQ(view_.lines, (Lines{u"一個", u"一起", u"一個"}));
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveToBottom(), MoveResult::kMoved);
  ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
  // Lines 一個 一個 一起: the first line takes the first 一個, the second
  // line the second one.
  const Bytes want =
      d.Reordered(u"9", true, {u"一個", u"一個", u"一起"}).Writer().PhraseTableBytes();
  EXPECT_EQ(File(false, kChtDigit, 0, kPhraseTableFileName), want);
  EXPECT_EQ(File(true, kChtDigit, 0, kPhraseTableFileName), want);
}

TEST_F(TunavoModelTest, MoveWithoutSelectionAsksForOneAndEdgeMovesAreSilent) {
  Start();
  // Also on an empty list.
  EXPECT_EQ(model_->OnMoveDown(), MoveResult::kNoSelection);
  view_.TypeAll(u"123");
  EXPECT_EQ(model_->OnMoveToTop(), MoveResult::kNoSelection);
  ASSERT_EQ(view_.messages.size(), 2u);
  for (const test::ShownMessage& m : view_.messages) {
    EXPECT_EQ(m.text, kNoSelectionMessage);
    EXPECT_EQ(m.caption, kTunavoTitle);
    EXPECT_EQ(m.flags, kExclamationOk);
  }
  view_.messages.clear();
  view_.ClickLine(0);
  EXPECT_EQ(model_->OnMoveUp(), MoveResult::kNoMove);
  EXPECT_EQ(model_->OnMoveToTop(), MoveResult::kNoMove);
  view_.ClickLine(3);
  EXPECT_EQ(model_->OnMoveDown(), MoveResult::kNoMove);
  EXPECT_EQ(model_->OnMoveToBottom(), MoveResult::kNoMove);
  EXPECT_EQ(view_.lines, (Lines{u"甲", u"乙", u"丙", u"丁"}));
  EXPECT_EQ(view_.selection, 3);
  EXPECT_FALSE(view_.saveEnabled);
  ExpectNoMessages();
}

TEST_F(TunavoModelTest, SameModeButtonKeepsUnsavedMovesButRadioClickDropsThem) {
  Start();
  view_.TypeAll(u"123");
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveDown(), MoveResult::kMoved);
  const Lines moved = {u"甲", u"丙", u"乙", u"丁"};
  model_->OnSingleClicked();
  EXPECT_EQ(view_.lines, moved);
  EXPECT_EQ(view_.selection, 2);
  EXPECT_TRUE(view_.saveEnabled);
  // Even the button that is already checked refills the list.
  view_.ClickCharset(kChtDigit);
  EXPECT_EQ(view_.lines, (Lines{u"甲", u"乙", u"丙", u"丁"}));
  EXPECT_EQ(view_.selection, -1);
  EXPECT_FALSE(view_.saveEnabled);
  // Switching modes refills as well.
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveDown(), MoveResult::kMoved);
  model_->OnPhraseClicked();
  EXPECT_EQ(view_.lines, (Lines{u"甲乙", u"丙丁"}));
  EXPECT_FALSE(view_.saveEnabled);
}

TEST_F(TunavoModelTest, CharsetRadioSwitchesDictionaryAndSaveFollowsIt) {
  Start();
  view_.TypeAll(u"123");
  view_.ClickCharset(kChsDigit);
  EXPECT_EQ(view_.lines, (Lines{u"简", u"体", u"字"}));
  view_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  const Bytes chtBefore = File(false, kChtDigit, 0, kCharacterTableFileName);
  ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
  const Bytes want = test::SimplifiedStandard()
                         .Reordered(u"123", false, {u"字", u"简", u"体"})
                         .Writer()
                         .CharacterTableBytes();
  EXPECT_EQ(File(false, kChsDigit, 0, kCharacterTableFileName), want);
  EXPECT_EQ(File(true, kChsDigit, 0, kCharacterTableFileName), want);
  EXPECT_EQ(File(false, kChtDigit, 0, kCharacterTableFileName), chtBefore);
  view_.ClickCharset(kChtDigit);
  EXPECT_EQ(view_.lines, (Lines{u"甲", u"乙", u"丙", u"丁"}));
}

TEST_F(TunavoModelTest, PunctuationModeListsAndSavesTheFirstCopysTable) {
  Start();
  view_.TypeAll(u"123");
  model_->OnPunctuationClicked();
  EXPECT_EQ(model_->mode(), ListMode::kPunctuation);
  EXPECT_EQ(view_.lines, (Lines{u"，", u"。", u"！", u"？"}));
  // Typing lists the table again; the code plays no part.
  const int resets = view_.resets;
  view_.Type(u'9');
  EXPECT_EQ(view_.resets, resets + 1);
  EXPECT_EQ(view_.lines, (Lines{u"，", u"。", u"！", u"？"}));
  view_.ClickCharset(kChsDigit);
  EXPECT_EQ(view_.lines, (Lines{u"、", u"；"}));
  view_.ClickCharset(kChtDigit);
  EXPECT_EQ(view_.lines, (Lines{u"，", u"。", u"！", u"？"}));

  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  const Bytes secondBefore = File(true, kChtDigit, 0, kPunctuationFileName);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ExpectSaveSucceededShown(1);
  Dictionary d = test::TraditionalStandard();
  d.punctuation = u"？，。！";
  EXPECT_EQ(File(false, kChtDigit, 0, kPunctuationFileName), d.Writer().PunctuationBytes());
  EXPECT_EQ(File(true, kChtDigit, 0, kPunctuationFileName), secondBefore);

  // An empty field lists nothing, and 單字 leaves the mode.
  for (int i = 0; i < 4; ++i) view_.Backspace();
  EXPECT_TRUE(view_.lines.empty());
  view_.TypeAll(u"12");
  model_->OnSingleClicked();
  EXPECT_EQ(model_->mode(), ListMode::kSingle);
  EXPECT_EQ(view_.lines, (Lines{u"十", u"千"}));
}

TEST_F(TunavoModelTest, PunctuationWriteFailureShowsOnlyTheStoresMessage) {
  platform_.failOpenForWrite = {"mb/cht/Pround.dat", "mb/cht/~Pround.dat.*.tmp"};
  Start();
  model_->OnPunctuationClicked();
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveUp(), MoveResult::kMoved);
  const Bytes before = File(false, kChtDigit, 0, kPunctuationFileName);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kPunctuationFailed);
  EXPECT_TRUE(view_.messages.empty());
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, kPunctuationFileMessage);
  EXPECT_EQ(File(false, kChtDigit, 0, kPunctuationFileName), before);
}

// Another instance saving the same dictionary holds its folder's lock: the
// save waits for it, and when it is not let go says so and writes nothing.
TEST_F(TunavoModelTest, ASaveHeldOffByAnotherInstanceSaysSoAndWritesNothing) {
  Start();
  const std::map<std::string, Bytes> before = Snapshot();
  const std::string folder = install_.Folder(false, kChtDigit, 0);
  test::TestPlatform other;
  FileLock held;
  ASSERT_TRUE(held.Acquire(&other, folder + kDictionaryLockFileName, folder, 0).ok());
  model_->store().SetLockWait(0);
  view_.TypeAll(u"123");
  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kFirstCopyFailed);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, kSaveBusyMessage);
  EXPECT_EQ(view_.messages[0].caption, kTunavoTitle);
  EXPECT_EQ(view_.messages[0].flags, kMbOk | kMbIconWarning);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(view_.saveEnabled);
}

TEST_F(TunavoModelTest, UnwritableFirstCopyWritesNothingAndSaysNothing) {
  platform_.failOpenForWrite = {"(x86)/lurm/rozevuv_cht/mb/cht/lurmsmz.mb"};
  Start();
  const std::map<std::string, Bytes> before = Snapshot();
  view_.TypeAll(u"123");
  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kFirstCopyFailed);
  ExpectNoMessages();
  EXPECT_EQ(Snapshot(), before);
  // The second copy was not even tried.
  const std::string second = install_.File(true, kChtDigit, 0, kCharacterTableFileName);
  for (const std::string& path : platform_.opened) EXPECT_NE(path, second);
  EXPECT_TRUE(view_.saveEnabled);
}

TEST_F(TunavoModelTest, UnwritableSecondCopyKeepsTheFirstRewrittenWithoutSuccess) {
  platform_.failOpenForWrite = {"Program Files/lurm/rozevuv_cht/mb/cht/lurmsmz.mb"};
  Start();
  const Bytes secondBefore = File(true, kChtDigit, 0, kCharacterTableFileName);
  view_.TypeAll(u"123");
  view_.ClickLine(3);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSecondCopyFailed);
  ExpectNoMessages();
  EXPECT_EQ(File(false, kChtDigit, 0, kCharacterTableFileName),
            test::TraditionalStandard()
                .Reordered(u"123", false, {u"丁", u"甲", u"乙", u"丙"})
                .Writer()
                .CharacterTableBytes());
  EXPECT_EQ(File(true, kChtDigit, 0, kCharacterTableFileName), secondBefore);
}

TEST_F(TunavoModelTest, SecondCopyThatDiffersIsLeftAloneWithAWarning) {
  // The second copy holds another dictionary: the group found in the first
  // copy is not where the second copy keeps it.
  Dictionary other = test::TraditionalStandard();
  other.characters.insert(other.characters.begin(), {u"1239", {test::Ch(u'九', 900)}});
  install_.Install(true, kChtDigit, 0, other);
  Start();
  const Bytes secondBefore = File(true, kChtDigit, 0, kCharacterTableFileName);
  view_.TypeAll(u"123");
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSecondCopyFailed);
  // A warning with the program's caption names the problem and the mend.
  ASSERT_EQ(view_.messages.size(), 1u);
  const test::ShownMessage& m = view_.messages[0];
  EXPECT_EQ(m.caption, kTunavoTitle);
  EXPECT_EQ(m.flags & kMbIconMask, kMbIconWarning);
  EXPECT_NE(m.text.find(u"不一致"), std::u16string::npos);
  EXPECT_NE(m.text.find(u"tunavo-cli --charset cht --edition standard sync-copies"),
            std::u16string::npos);
  EXPECT_EQ(File(true, kChtDigit, 0, kCharacterTableFileName), secondBefore);
}

TEST_F(TunavoModelTest, MissingIndexIsReportedByTheStoreAndListsStayEmpty) {
  std::filesystem::remove(install_.File(false, kChsDigit, 0, kIndexFileName));
  std::filesystem::remove(install_.File(false, kChtDigit, 0, kIndexFileName));
  Start();
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, kIndexLoadFailedMessage);
  view_.TypeAll(u"123");
  EXPECT_TRUE(view_.lines.empty());
  // The switch to the traditional dictionary reported its own failure once.
  ASSERT_EQ(platform_.messages.size(), 2u);
  EXPECT_EQ(platform_.messages[1].text, kTableLoadFailedMessage);
  // No owner window (the platform's box), default caption, OK.
  for (const test::RecordedMessage& m : platform_.messages) {
    EXPECT_EQ(m.caption, u"");
    EXPECT_EQ(m.flags, kMbOk);
  }
  EXPECT_TRUE(view_.messages.empty());
  // The simplified 2002 edition is still there.
  Start({u"01", u"x123"});
  EXPECT_EQ(view_.lines, (Lines{u"旧", u"版", u"本"}));
}

struct CommandLineCase {
  const char* name;
  std::vector<std::u16string> arguments;
  int checked;
  std::u16string field;
  Lines lines;
  Edition edition;
  int refreshes;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public TunavoModelTest,
                        public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, SetsCharsetCodeAndEditionBeforeTheFirstList) {
  const CommandLineCase& c = GetParam();
  Start(c.arguments);
  EXPECT_EQ(view_.checked, c.checked);
  EXPECT_EQ(view_.field, c.field);
  EXPECT_EQ(view_.lines, c.lines);
  EXPECT_EQ(model_->edition(), c.edition);
  EXPECT_FALSE(view_.saveEnabled);
  // Writing the field notifies a change; the list is still filled once.
  EXPECT_EQ(view_.resets, c.refreshes);
  ExpectNoMessages();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"SimplifiedEdition2002", {u"01", u"x123"}, kChsDigit, u"123",
                        {u"旧", u"版", u"本"}, Edition::k2002, 1},
        CommandLineCase{"TraditionalPhrases", {u"1", u"x12345"}, kChtDigit, u"12345",
                        {u"中文", u"中國", u"中間", u"中心點"}, Edition::kStandard, 1},
        CommandLineCase{"Traditional2002", {u"11", u"y123"}, kChtDigit, u"123", {u"舊", u"版"},
                        Edition::k2002, 1},
        CommandLineCase{"EditionOnly", {u"21"}, kChtDigit, u"", {}, Edition::k2002, 0},
        CommandLineCase{"CharsetWithoutCode", {u"0"}, kChsDigit, u"", {}, Edition::kStandard, 1},
        CommandLineCase{"CodeOfOneCharacterIsEmpty", {u"0", u"1"}, kChsDigit, u"", {},
                        Edition::kStandard, 1},
        // The digit as given: only 1 means 2002.
        CommandLineCase{"OtherEditionDigitIsStandard", {u"0x", u"9123"}, kChsDigit, u"123",
                        {u"简", u"体", u"字"}, EditionFromDigit('x' - '0'), 1},
        CommandLineCase{"NonDigitCodeListsNothing", {u"1", u"x1a"}, kChtDigit, u"1a", {},
                        Edition::kStandard, 1},
        CommandLineCase{"NoArguments", {}, kChtDigit, u"", {}, Edition::kStandard, 0}),
    [](const ::testing::TestParamInfo<CommandLineCase>& p) { return p.param.name; });
// clang-format on

TEST_F(TunavoModelTest, EditionFromTheCommandLineGovernsStartUpListAndSave) {
  Start({u"01", u"x123"});
  view_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveToTop(), MoveResult::kMoved);
  ASSERT_EQ(model_->OnSave(), SaveStatus::kSaved);
  const Bytes want = test::Simplified2002()
                         .Reordered(u"123", false, {u"本", u"旧", u"版"})
                         .Writer()
                         .CharacterTableBytes();
  EXPECT_EQ(File(false, kChsDigit, 1, kCharacterTableFileName), want);
  EXPECT_EQ(File(true, kChsDigit, 1, kCharacterTableFileName), want);
  // Later lookups stay in that edition.
  view_.ClickCharset(kChtDigit);
  EXPECT_EQ(view_.lines, (Lines{u"舊", u"版"}));
}

TEST_F(TunavoModelTest, OverlongCodeFromTheCommandLineGetsTheFrameworkMessage) {
  Start({u"1", u"x1234567"});
  EXPECT_EQ(view_.field, u"1234567");
  EXPECT_TRUE(view_.lines.empty());
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, kCodeTooLongMessage);
  EXPECT_EQ(view_.messages[0].caption, kTunavoTitle);
  EXPECT_EQ(view_.messages[0].flags, kExclamationOk);
  // Taking a digit away brings the code within the limit.
  view_.Backspace();
  EXPECT_EQ(view_.lines, (Lines{u"六位數"}));
  EXPECT_EQ(view_.messages.size(), 1u);
  EXPECT_FALSE(view_.Type(u'7'));
}

class NoParenthesisTest : public TunavoModelTest {
 protected:
  NoParenthesisTest() : TunavoModelTest(false) {}
};

TEST_F(NoParenthesisTest, BothWritesGoToTheOneCopyAndSuccessIsShownOnce) {
  Start();
  view_.TypeAll(u"1234");
  view_.ClickLine(2);
  ASSERT_EQ(model_->OnMoveUp(), MoveResult::kMoved);
  EXPECT_EQ(model_->OnSave(), SaveStatus::kSaved);
  ExpectSaveSucceededShown(1);
  EXPECT_EQ(File(false, kChtDigit, 0, kCharacterTableFileName),
            test::TraditionalStandard()
                .Reordered(u"1234", false, {u"天", u"人", u"地"})
                .Writer()
                .CharacterTableBytes());
  EXPECT_EQ(model_->SaveTargetPath(false), model_->SaveTargetPath(true));
}

TEST_F(TunavoModelTest, SaveTargetPathNamesTheTableOfTheListedCopy) {
  Start();
  EXPECT_EQ(model_->SaveTargetPath(false), "");
  view_.TypeAll(u"123");
  EXPECT_EQ(model_->SaveTargetPath(false),
            install_.File(false, kChtDigit, 0, kCharacterTableFileName));
  EXPECT_EQ(model_->SaveTargetPath(true),
            install_.File(true, kChtDigit, 0, kCharacterTableFileName));
  model_->OnPhraseClicked();
  EXPECT_EQ(model_->SaveTargetPath(true), install_.File(true, kChtDigit, 0, kPhraseTableFileName));
  model_->OnPunctuationClicked();
  EXPECT_EQ(model_->SaveTargetPath(true), install_.File(false, kChtDigit, 0, kPunctuationFileName));
}

TEST_F(TunavoModelTest, AboutItemOpensTheAboutBoxAndOtherCommandsGoToTheFramework) {
  Start();
  view_.TypeAll(u"123");
  view_.ClickLine(1);
  ASSERT_EQ(model_->OnMoveDown(), MoveResult::kMoved);
  const struct {
    unsigned id;
    bool about;
  } cases[] = {{0x0010, true},
               {0x0013, true},
               {0x001F, true},
               {0x0020, false},
               {0xF060, false} /* SC_CLOSE */,
               {0xF020, false} /* SC_MINIMIZE */,
               {0, false}};
  int shown = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(model_->OnSysCommand(c.id), c.about) << c.id;
    if (c.about) ++shown;
    EXPECT_EQ(view_.aboutBoxes, shown) << c.id;
  }
  // The list and its unsaved move are still there.
  EXPECT_EQ(view_.lines, (Lines{u"甲", u"丙", u"乙", u"丁"}));
  EXPECT_TRUE(view_.saveEnabled);
}

TEST(TunavoStoreMessagesTest, EachStoreResultGetsTheBoxItAlwaysHad) {
  const struct {
    Status status;
    const char16_t* indexLoad;    // after a failed load at start-up
    const char16_t* punctuation;  // after a failed punctuation write
  } cases[] = {
      {Status::Ok(), nullptr, nullptr},
      {Status::NotFound("p"), kIndexLoadFailedMessage, kPunctuationFileMessage},
      {Status::CannotOpen("p", "Permission denied"), kIndexLoadFailedMessage,
       kPunctuationFileMessage},
      {Status::Corruption("p", "too short"), kIndexLoadFailedMessage, nullptr},
      {Status::IoError("p", "write failed"), kIndexLoadFailedMessage, nullptr},
      {Status::NoMemory("p"), kOutOfMemoryMessage, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status.message());
    EXPECT_EQ(IndexLoadMessage(c.status, kIndexLoadFailedMessage), c.indexLoad);
    EXPECT_EQ(PunctuationWriteMessage(c.status), c.punctuation);
  }
  // After a switch of dictionary the load's text is the table's.
  EXPECT_EQ(IndexLoadMessage(Status::NotFound("p"), kTableLoadFailedMessage),
            kTableLoadFailedMessage);
}

TEST(TunavoFrameworkTest, MinimizedIconIsCentredRoundingUp) {
  const struct {
    int width, height, iconW, iconH, x, y;
  } cases[] = {
      {100, 80, 32, 32, 34, 24}, {101, 81, 32, 32, 35, 25}, {32, 32, 32, 32, 0, 0},
      {33, 31, 32, 32, 1, 0},    {0, 0, 32, 32, -15, -15},  // truncation toward zero, as the C
                                                            // division
  };
  for (const auto& c : cases) {
    const IconPosition p = MinimizedIconPosition(c.width, c.height, c.iconW, c.iconH);
    EXPECT_EQ(p.x, c.x) << c.width;
    EXPECT_EQ(p.y, c.y) << c.height;
  }
}

TEST(TunavoFrameworkTest, MessageBoxWithoutIconGetsTheFrameworksIcon) {
  const struct {
    unsigned in, out;
  } cases[] = {
      {kMbOk, kMbOk | kMbIconWarning},
      {kMbOkCancel, kMbOkCancel | kMbIconWarning},
      {kMbYesNo, kMbYesNo | kMbIconQuestion},
      {kMbYesNoCancel, kMbYesNoCancel | kMbIconQuestion},
      {kMbRetryCancel, kMbRetryCancel},
      {kMbAbortRetryIgnore, kMbAbortRetryIgnore},
      {kMbIconInformation, kMbIconInformation},
      {kMbOk | kMbIconInformation, kMbOk | kMbIconInformation},
  };
  for (const auto& c : cases) EXPECT_EQ(FrameworkMessageBoxFlags(c.in), c.out) << c.in;
}

// A save an earlier run did not finish is told once, in one box, when the
// index load that resolved it belongs to the opening (the simplified index
// the store loads first) or to a later lookup (the traditional one, at the
// first keystroke); later lookups and saves tell nothing more.
TEST_F(TunavoModelTest, AnInterruptedSaveIsToldOnceInOneBox) {
  const struct {
    const char* name;
    int charset;
    bool second;
    std::vector<std::u16string> arguments;
    size_t boxesAtOpening;
  } cases[] = {
      {"at the opening", kChsDigit, false, {u"00", u"x1"}, 1},
      {"at the first lookup", kChtDigit, true, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    view_.messages.clear();
    const std::string table = install_.File(c.second, c.charset, 0, kPhraseTableFileName);
    const Bytes before = ReadBytes(table);
    test::PlantJournal(table, test::Leftover::kNewInPlace);
    Start(c.arguments);
    EXPECT_EQ(view_.messages.size(), c.boxesAtOpening);
    view_.TypeAll(u"123");
    ASSERT_EQ(view_.messages.size(), 1u);
    const std::string text = Utf16ToUtf8(view_.messages[0].text);
    EXPECT_EQ(text.rfind(Utf16ToUtf8(kRecoveredSavesHeading), 0), 0u) << text;
    EXPECT_NE(text.find(table + ": a save that was interrupted has been completed"),
              std::string::npos)
        << text;
    EXPECT_EQ(view_.messages[0].caption, kTunavoTitle);
    EXPECT_EQ(view_.messages[0].flags, kMbOk | kMbIconWarning);
    EXPECT_FALSE(test::FileExists(JournalPath(table)));
    EXPECT_EQ(ReadBytes(table), before);
    EXPECT_TRUE(platform_.messages.empty());
  }
}

}  // namespace
}  // namespace taliq
