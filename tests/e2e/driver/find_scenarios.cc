// Tunavo.exe's 查碼 dialog in a real window, and the warning of a save whose
// second installed copy differs from the first.
#include <string>
#include <vector>

#include "tests/e2e/driver/dictionary_fixture.h"
#include "tests/e2e/driver/e2e.h"
#include "tests/e2e/driver/tunavo_window.h"

namespace taliq::e2e {
namespace {

constexpr char16_t kFindCaption[] = u"查碼";
constexpr unsigned kFindCommand = 0x0100;

enum FindControl {
  kFindText = 1100,
  kFindSearch = 1101,
  kFindStatus = 1102,
  kFindHits = 1103,
  kFindGo = 1104,
};

const FixtureDictionary kFindFixture = StandardFixture(1, 0);

// Opens 查碼 through the system menu and waits for it.
HWND OpenFind(const TunavoWindow& t) {
  ::PostMessageW(t.dialog, WM_SYSCOMMAND, kFindCommand, 0);
  const HWND find = WaitForDialog(t.program.pid(), kFindCaption, kStepTimeoutMs);
  Require(find != nullptr, "the 查碼 dialog did not appear");
  return find;
}

// 查碼 with Enter in the field lists the code of 太 with its position; 前往
// closes it and the main dialog lists that code with 太's line selected.
// A phrase found the same way switches the main dialog to 詞組.
void FindAndGo() {
  InstallBothCopies();
  TunavoWindow t;
  {
    const HWND find = OpenFind(t);
    Expect(!::IsWindowEnabled(t.dialog), "the 查碼 dialog is not modal");
    Expect(!IsEnabled(find, kFindGo), "前往 is enabled before a search");
    const HWND field = ::GetDlgItem(find, kFindText);
    const HWND hits = ::GetDlgItem(find, kFindHits);
    SetFieldText(field, u"太");
    PressKey(field, VK_RETURN);
    Expect(WaitUntil([&] { return !ListLines(hits).empty(); }, kStepTimeoutMs),
           "Enter in the field listed no hit");
    const std::vector<std::u16string> expected = {u"123\t單字\t第4位/共4個"};
    Expect(ListLines(hits) == expected, "the hits read " + Show(ListLines(hits)));
    Expect(ItemText(find, kFindStatus) == u"「太」找到 1 處",
           "the status reads " + Show(ItemText(find, kFindStatus)));
    Expect(ListSelection(hits) == 0, "the first hit is not selected");
    Expect(IsEnabled(find, kFindGo), "前往 is not enabled after a hit");
    Expect(::IsWindow(find) != 0, "Enter in the field closed the dialog");
    ClickQuietly(t.program.pid(), find, kFindGo);
    Expect(WaitUntil([&] { return !::IsWindow(find); }, kStepTimeoutMs),
           "前往 did not close the 查碼 dialog");
  }
  Expect(WaitUntil([&] { return Text(t.code) == u"123"; }, kStepTimeoutMs),
         "after 前往 the field shows " + Show(Text(t.code)));
  Expect(WaitUntil([&] { return ListSelection(t.list) == 3; }, kStepTimeoutMs),
         "太's line is not selected: selection " + std::to_string(ListSelection(t.list)));
  t.ExpectLines(kFindFixture.CharactersOf(u"123"), "after 前往 to 123");
  Expect(IsChecked(t.dialog, kTunavoTraditional), "繁體 is not checked");

  Note("a phrase: 太平 is the third phrase of 12345");
  {
    const HWND find = OpenFind(t);
    const HWND field = ::GetDlgItem(find, kFindText);
    const HWND hits = ::GetDlgItem(find, kFindHits);
    SetFieldText(field, u"太平");
    ClickQuietly(t.program.pid(), find, kFindSearch);
    const std::vector<std::u16string> expected = {u"12345\t詞組\t第3位/共3個"};
    Expect(ListLines(hits) == expected, "the hits read " + Show(ListLines(hits)));
    ClickQuietly(t.program.pid(), find, kFindGo);
    Expect(WaitUntil([&] { return !::IsWindow(find); }, kStepTimeoutMs),
           "前往 did not close the 查碼 dialog");
  }
  Expect(WaitUntil([&] { return Text(t.code) == u"12345"; }, kStepTimeoutMs),
         "after 前往 the field shows " + Show(Text(t.code)));
  t.ExpectLines(kFindFixture.PhrasesOf(u"12345"), "after 前往 to 12345");
  Expect(ListSelection(t.list) == 2, "太平's line is not selected");

  Note("a selected hit moves like a clicked line");
  ClickQuietly(t.program.pid(), t.dialog, kTunavoTop);
  t.ExpectLines({u"太平", u"天下", u"大家"}, "after 最前");

  Note("a text found nowhere; Esc closes without going");
  {
    const HWND find = OpenFind(t);
    SetFieldText(::GetDlgItem(find, kFindText), u"龍");
    ClickQuietly(t.program.pid(), find, kFindSearch);
    Expect(ListLines(::GetDlgItem(find, kFindHits)).empty(), "hits for a missing text");
    Expect(ItemText(find, kFindStatus) == u"「龍」不在本碼本中",
           "the status reads " + Show(ItemText(find, kFindStatus)));
    Expect(!IsEnabled(find, kFindGo), "前往 is enabled without a hit");
    PressKey(::GetDlgItem(find, kFindText), VK_ESCAPE);
    Expect(WaitUntil([&] { return !::IsWindow(find); }, kStepTimeoutMs),
           "Esc did not close the 查碼 dialog");
  }
  Expect(WaitUntil([&] { return ::IsWindowEnabled(t.dialog) != 0; }, kStepTimeoutMs),
         "the main dialog is still disabled");
  t.ExpectLines({u"太平", u"天下", u"大家"}, "after closing 查碼");
  Expect(IsEnabled(t.dialog, kTunavoSave), "the unsaved move was dropped");
  t.Close();
}

// The second copy holds another dictionary: a save writes the first copy,
// leaves the second alone and says so, naming the command that mends it.
void SecondCopyDiffers() {
  InstallBothCopies();
  FixtureDictionary other = kFindFixture;
  other.characters.insert(other.characters.begin(), {u"1239", {u"九"}});
  std::string error;
  Require(other.Writer().WriteFolder(Narrow(DictionaryFolder(kProgramFiles, 1, 0)), &error),
          "could not write the other second copy: " + error);
  const std::wstring second = TableFile(kProgramFiles, L"lurmsmz.mb");
  const std::vector<std::uint8_t> secondBefore = ReadFileBytes(second);
  const std::vector<std::u16string> newOrder = {u"天", u"大", u"夫", u"太"};

  TunavoWindow t;
  t.Type(u"123");
  SelectLine(t.list, 1);
  ClickQuietly(t.program.pid(), t.dialog, kTunavoTop);
  t.ExpectLines(newOrder, "after 最前");
  const std::optional<MessageBoxSeen> box =
      ClickExpectingMessage(t.program.pid(), t.dialog, kTunavoSave);
  Require(box.has_value(), "a save with differing copies showed nothing");
  Expect(box->caption == kTunavoTitle, "the warning's caption reads " + Show(box->caption));
  Expect(box->text.find(u"不一致") != std::u16string::npos,
         "the warning does not name the problem: " + Show(box->text));
  Expect(box->text.find(u"tunavo-cli --charset cht --edition standard sync-copies") !=
             std::u16string::npos,
         "the warning does not name the mending command: " + Show(box->text));
  Expect(box->text != kTunavoSaved, "the save claimed success");
  Expect(DialogWindows(t.program.pid()).size() == 1, "a second message followed the warning");
  Expect(ReadFileBytes(TableFile(kProgramFilesX86, L"lurmsmz.mb")) ==
             kFindFixture.WithCharacterOrder(u"123", newOrder).Writer().CharacterTableBytes(),
         "the first copy was not written");
  Expect(ReadFileBytes(second) == secondBefore, "the differing second copy was written");
  t.Close();
}

const RegisterScenario kFindScenarios[] = {
    {"tunavo-find-and-go", &FindAndGo},
    {"tunavo-second-copy-differs", &SecondCopyDiffers},
};

}  // namespace
}  // namespace taliq::e2e
