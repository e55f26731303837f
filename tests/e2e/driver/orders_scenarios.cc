// Tunavo.exe's commands on the user's orders in a real window: undo and
// reset through the system menu, an import and an export through the
// standard Open and Save dialogs, the access keys, and the re-apply offer
// after the installation was replaced.
#include <string>
#include <vector>

#include "tests/e2e/driver/dictionary_fixture.h"
#include "tests/e2e/driver/e2e.h"
#include "tests/e2e/driver/tunavo_window.h"

namespace taliq::e2e {
namespace {

constexpr unsigned kUndoCommand = 0x0200;
constexpr unsigned kResetCommand = 0x0300;
constexpr unsigned kExportCommand = 0x0400;
constexpr unsigned kImportCommand = 0x0500;

const FixtureDictionary kOrdersFixture = StandardFixture(1, 0);
const std::vector<std::u16string> kOriginal = kOrdersFixture.CharactersOf(u"123");  // 大 天 夫 太
const std::vector<std::u16string> kMoved = {u"太", u"大", u"天", u"夫"};

std::vector<std::uint8_t> TableWith(const std::vector<std::u16string>& order) {
  return kOrdersFixture.WithCharacterOrder(u"123", order).Writer().CharacterTableBytes();
}

void ExpectBothCopies(const std::vector<std::u16string>& order, const std::string& when) {
  const std::vector<std::uint8_t> expected = TableWith(order);
  Expect(ReadFileBytes(TableFile(kProgramFilesX86, L"lurmsmz.mb")) == expected,
         when + ": the first copy does not hold " + Show(order));
  Expect(ReadFileBytes(TableFile(kProgramFiles, L"lurmsmz.mb")) == expected,
         when + ": the second copy does not hold " + Show(order));
}

// Lists 123, moves 太 to the top and saves.
void SaveMove(TunavoWindow& t) {
  t.Type(u"123");
  SelectLine(t.list, 3);
  ClickQuietly(t.program.pid(), t.dialog, kTunavoTop);
  const std::optional<MessageBoxSeen> box =
      ClickExpectingMessage(t.program.pid(), t.dialog, kTunavoSave);
  Require(box.has_value() && box->text == kTunavoSaved,
          "the save said " + (box.has_value() ? Show(box->text) : std::string("nothing")));
  ExpectBothCopies(kMoved, "after the save");
}

// A system-menu command whose handler answers with one message box: the
// box as read, after it was dismissed.
MessageBoxSeen RunCommand(TunavoWindow& t, unsigned command, const std::string& what) {
  PendingSend send(t.dialog, WM_SYSCOMMAND, command, 0);
  const std::optional<MessageBoxSeen> box = SendAnsweringMessage(t.program.pid(), send);
  Require(box.has_value(), what + " showed no message");
  Expect(box->caption == kTunavoTitle, what + ": the caption reads " + Show(box->caption));
  return *box;
}

bool Holds(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

// Presses a button of a message box (IDYES, IDNO) and waits until it is gone.
bool Answer(HWND box, int button) {
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
  return WaitUntil([&] { return !::IsWindow(box); }, kStepTimeoutMs);
}

// Undo and reset of the listed code through the system menu: each rewrites
// both copies and the list shows the new order.
void UndoAndReset() {
  InstallBothCopies();
  TunavoWindow t;
  SaveMove(t);

  MessageBoxSeen box = RunCommand(t, kUndoCommand, "復原上次儲存");
  Expect(Holds(box.text, u"已復原") && Holds(box.text, u"繁體 單字 123"),
         "the undo said " + Show(box.text));
  t.ExpectLines(kOriginal, "after the undo");
  ExpectBothCopies(kOriginal, "after the undo");
  box = RunCommand(t, kUndoCommand, "a second 復原上次儲存");
  Expect(box.text == u"沒有可復原的儲存。", "the second undo said " + Show(box.text));

  Note("the move saved again, then reset to the original order");
  SaveMove(t);
  box = RunCommand(t, kResetCommand, "恢復此碼原始順序");
  Expect(box.text == u"已恢復 繁體 單字 123 的原始順序。", "the reset said " + Show(box.text));
  t.ExpectLines(kOriginal, "after the reset");
  ExpectBothCopies(kOriginal, "after the reset");
  Expect(!IsEnabled(t.dialog, kTunavoSave), "Save is enabled after the relist");
  t.Close();
}

// The file-name box of the standard Open dialog (explorer style: combo box
// cmb13, older templates: edit edt1).
HWND FileNameBox(HWND fileDialog) {
  for (int id : {0x047c, 0x0480}) {
    if (HWND box = ::GetDlgItem(fileDialog, id)) return box;
  }
  return nullptr;
}

// An orders file chosen in the Open dialog: its summary asks first; Yes
// writes both copies and the list shows the new order. Then the orders go
// out again to a file named in the Save dialog.
void ImportAndExportThroughFileDialogs() {
  InstallBothCopies();
  const std::wstring file = L"C:\\e2e-orders.tsv";
  const std::string text =
      "# taliq-orders 1\n"
      "cht\tcharacters\t123\t夫 太 大 天\n"
      "cht\tcharacters\t999\t大\n";
  Require(WriteFileBytes(file, std::vector<std::uint8_t>(text.begin(), text.end())),
          "could not write the orders file");
  TunavoWindow t;
  t.Type(u"123");
  const DWORD pid = t.program.pid();
  PendingSend send(t.dialog, WM_SYSCOMMAND, kImportCommand, 0);
  const HWND open = WaitForOtherDialog(pid, {t.dialog});
  Require(open != nullptr, "匯入調頻記錄 opened no file dialog");
  const HWND name = FileNameBox(open);
  Require(name != nullptr, "the Open dialog has no file-name box");
  const std::u16string path = u"C:\\e2e-orders.tsv";
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win32::W(path)));
  ::PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(open, IDOK)));

  const HWND ask = WaitForOtherDialog(pid, {t.dialog, open});
  Require(ask != nullptr, "no summary after the file was chosen");
  const MessageBoxSeen summary = ReadMessageBox(ask);
  Expect(summary.caption == kTunavoTitle, "the summary's caption reads " + Show(summary.caption));
  Expect(Holds(summary.text, u"將改變 1 個編碼的順序") && Holds(summary.text, u"第 3 行"),
         "the summary reads " + Show(summary.text));
  Expect(::GetDlgItem(ask, IDYES) != nullptr && ::GetDlgItem(ask, IDNO) != nullptr,
         "the summary does not ask Yes or No");
  ExpectBothCopies(kOriginal, "before the answer");
  Require(Answer(ask, IDYES), "the summary did not close on Yes");

  const HWND result = WaitForOtherDialog(pid, {t.dialog, open, ask});
  Require(result != nullptr, "no result after the import");
  const MessageBoxSeen done = ReadMessageBox(result);
  Expect(Holds(done.text, u"已匯入 1 個編碼的順序") && Holds(done.text, u"第 3 行"),
         "the result reads " + Show(done.text));
  Expect(DismissMessageBox(result), "the result did not close");
  Expect(send.WaitDone(), "the import did not return");
  const std::vector<std::u16string> imported = {u"夫", u"太", u"大", u"天"};
  t.ExpectLines(imported, "after the import");
  ExpectBothCopies(imported, "after the import");

  Note("the orders exported through the Save dialog");
  const std::wstring exported = L"C:\\e2e-exported.tsv";
  ::DeleteFileW(exported.c_str());
  PendingSend exportSend(t.dialog, WM_SYSCOMMAND, kExportCommand, 0);
  const HWND save = WaitForOtherDialog(pid, {t.dialog});
  Require(save != nullptr, "匯出調頻記錄 opened no file dialog");
  const HWND saveName = FileNameBox(save);
  Require(saveName != nullptr, "the Save dialog has no file-name box");
  const std::u16string savePath = u"C:\\e2e-exported.tsv";
  ::SendMessageW(saveName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win32::W(savePath)));
  ::PostMessageW(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(save, IDOK)));
  const HWND saved = WaitForOtherDialog(pid, {t.dialog, save});
  Require(saved != nullptr, "no result after the export");
  const MessageBoxSeen report = ReadMessageBox(saved);
  Expect(Holds(report.text, u"已匯出 1 個編碼") && Holds(report.text, savePath),
         "the export said " + Show(report.text));
  Expect(DismissMessageBox(saved), "the export's result did not close");
  Expect(exportSend.WaitDone(), "the export did not return");
  const std::vector<std::uint8_t> bytes = ReadFileBytes(exported);
  const std::string written(bytes.begin(), bytes.end());
  Expect(written.rfind("# taliq-orders 1\n", 0) == 0 &&
             written.find("cht\tcharacters\t123\t夫 太 大 天\n") != std::string::npos,
         "the exported file holds: " + written);
  t.Close();
  ::DeleteFileW(file.c_str());
  ::DeleteFileW(exported.c_str());
}

// The main dialog of a started Tunavo (the one with the code field), also
// while a message box with the same caption is up.
HWND WaitForMainDialog(DWORD pid) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : DialogWindows(pid)) {
          if (::GetDlgItem(w, kTunavoCode) != nullptr) found = w;
        }
        return found != nullptr;
      },
      kStartTimeoutMs);
  return found;
}

// A save, then the installation replaced from outside: the next start
// offers the kept orders (Yes/No); No leaves the files, the start after
// offers again and Yes writes the saved order back into both copies.
void ReapplyOffer() {
  InstallBothCopies();
  {
    TunavoWindow t;
    SaveMove(t);
    t.Close();
  }
  Note("the installation replaced");
  InstallBothCopies();
  ExpectBothCopies(kOriginal, "after the reinstall");
  for (int answer : {IDNO, IDYES}) {
    Program program(TunavoExe(), L"");
    const HWND dialog = WaitForMainDialog(program.pid());
    Require(dialog != nullptr, "the main dialog did not appear");
    const HWND offer = WaitForOtherDialog(program.pid(), {dialog}, kStartTimeoutMs);
    Require(offer != nullptr, "no re-apply offer at start");
    const MessageBoxSeen seen = ReadMessageBox(offer);
    Expect(seen.caption == kTunavoTitle, "the offer's caption reads " + Show(seen.caption));
    Expect(Holds(seen.text, u"重新安裝") && Holds(seen.text, u"將改變 1 個編碼的順序"),
           "the offer reads " + Show(seen.text));
    Require(Answer(offer, answer), "the offer did not close");
    if (answer == IDNO) {
      Expect(DialogWindows(program.pid()).size() == 1, "No was followed by a message");
      ExpectBothCopies(kOriginal, "after No");
    } else {
      const HWND result = WaitForOtherDialog(program.pid(), {dialog, offer});
      Require(result != nullptr, "no result after Yes");
      const MessageBoxSeen done = ReadMessageBox(result);
      Expect(Holds(done.text, u"已重新套用 1 個編碼的順序"), "the result reads " + Show(done.text));
      Expect(DismissMessageBox(result), "the result did not close");
      ExpectBothCopies(kMoved, "after Yes");
    }
    PressKey(::GetDlgItem(dialog, kTunavoCode), VK_ESCAPE);
    Expect(program.WaitExit(kStepTimeoutMs), "Esc did not end the program");
  }
}

// The process's open popup menu (class #32768), or null.
HWND OpenMenu(DWORD pid) {
  HWND menu = nullptr;
  while ((menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(menu, &owner);
    if (owner == pid && ::IsWindowVisible(menu)) return menu;
  }
  return nullptr;
}

// Alt+Space opens the system menu; the letter, typed once it is open, runs
// the command.
void SystemMenuKey(DWORD pid, HWND dialog, char16_t letter) {
  const UINT scan = ::MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC);
  // Bit 29: the Alt key is down.
  ::PostMessageW(dialog, WM_SYSKEYDOWN, VK_SPACE, 1 | (scan << 16) | (1u << 29));
  ::PostMessageW(dialog, WM_SYSKEYUP, VK_SPACE, 1 | (scan << 16) | (1u << 29) | 0xC0000000u);
  // The character Alt+Space makes comes after whatever is queued already:
  // the letter must wait for the menu.
  Require(WaitUntil([&] { return OpenMenu(pid) != nullptr; }, kStepTimeoutMs),
          "Alt+Space opened no system menu");
  ::PostMessageW(dialog, WM_CHAR, letter, 1);
}

// The access keys: Alt+Space, H shows the history (newest first) and
// Alt+Space, F the 查碼 dialog.
void SystemMenuKeys() {
  InstallBothCopies();
  TunavoWindow t;
  SaveMove(t);
  SystemMenuKey(t.program.pid(), t.dialog, u'h');
  const HWND history = WaitForDialog(t.program.pid(), u"調頻歷史", kStepTimeoutMs);
  Require(history != nullptr, "Alt+Space, H showed no history");
  const std::vector<std::u16string> lines = ListLines(::GetDlgItem(history, 1200));
  Expect(lines.size() == 1 && Holds(lines[0], u"\t儲存\t繁體 單字 123\t大 天 夫 太 → 太 大 天 夫"),
         "the history lists " + Show(lines));
  PressKey(::GetDlgItem(history, IDCANCEL), VK_ESCAPE);
  Expect(WaitUntil([&] { return !::IsWindow(history); }, kStepTimeoutMs),
         "Esc did not close the history");

  SystemMenuKey(t.program.pid(), t.dialog, u'f');
  const HWND find = WaitForDialog(t.program.pid(), u"查碼", kStepTimeoutMs);
  Require(find != nullptr, "Alt+Space, F showed no 查碼 dialog");
  PressKey(::GetDlgItem(find, IDCANCEL), VK_ESCAPE);
  Expect(WaitUntil([&] { return !::IsWindow(find); }, kStepTimeoutMs),
         "Esc did not close the 查碼 dialog");
  t.Close();
}

const RegisterScenario kOrdersScenarios[] = {
    {"tunavo-system-menu-keys", &SystemMenuKeys},
    {"tunavo-undo-and-reset", &UndoAndReset},
    {"tunavo-import-and-export-through-file-dialogs", &ImportAndExportThroughFileDialogs},
    {"tunavo-reapply-offer", &ReapplyOffer},
};

}  // namespace
}  // namespace taliq::e2e
