// Tunavo.exe in a real window: typing a code, the list that follows it, the
// moves, saving into both installed copies, the messages, the command line,
// the keys that end the dialog and the About box.
#include "tests/e2e/driver/dictionary_fixture.h"
#include "tests/e2e/driver/e2e.h"
#include "tests/e2e/driver/tunavo_window.h"

namespace taliq::e2e {
namespace {

constexpr char16_t kTunavoAboutCaption[] = u"關于 Taliq輸入法TSF調頻程序";
constexpr char16_t kNoSelection[] = u"請先選擇需要調頻字詞";
constexpr char16_t kIndexMissing[] = u"加載字詞碼本索引文件失敗,請重新安裝本軟件";
constexpr char16_t kTableMissing[] = u"加載碼本文件失敗,請重新安裝本軟件";

enum Control {
  kList = 1000,
  kCode = 1001,
  kSimplified = 1002,
  kTraditional = 1003,
  kTop = 1004,
  kUp = 1005,
  kDown = 1006,
  kBottom = 1007,
  kSingle = 1008,
  kPhrase = 1009,
  kSave = 1010,
  kPunctuation = 1011,
};

const FixtureDictionary kTunavoFixture = StandardFixture(1, 0);

std::wstring CharacterTable(const std::wstring& programFiles, int charset = 1, int edition = 0) {
  return DictionaryFolder(programFiles, charset, edition) + L"lurmsmz.mb";
}

// A fresh installation: both copies (the second below the native Program
// Files folder) or a single one when `programFiles` has no "(".
void Install(const std::wstring& programFiles) {
  RemoveInstallations();
  Require(SetProgramFilesDir(programFiles), "could not set ProgramFilesDir");
  Require(InstallFixtures(programFiles), "could not install the dictionaries");
  if (programFiles != kProgramFiles) {
    Require(InstallFixtures(kProgramFiles), "could not install the second copy");
  }
}

using Tunavo = TunavoWindow;

void ExpectLines(const Tunavo& t, const std::vector<std::u16string>& expected,
                 const std::string& when) {
  const std::vector<std::u16string> lines = t.Lines();
  Expect(lines == expected,
         when + ": the list shows " + Show(lines) + ", expected " + Show(expected));
}

void ExpectBytes(const std::wstring& path, const std::vector<std::uint8_t>& expected,
                 const std::string& what) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  Expect(bytes == expected, what + " (" + Utf8(path) + ") does not hold the expected " +
                                std::to_string(expected.size()) + " bytes");
}

// A complete adjustment: the start state, typing digit by digit, the mode
// and character-set switches, a move, saving into both copies, and a fresh
// start that lists the new order.
void CompleteAdjustment() {
  Install(kProgramFilesX86);
  const std::vector<std::u16string> newOrder = {u"太", u"大", u"天", u"夫"};
  const std::vector<std::uint8_t> expected =
      kTunavoFixture.WithCharacterOrder(u"123", newOrder).Writer().CharacterTableBytes();
  Require(ReadFileBytes(CharacterTable(kProgramFilesX86)) != expected,
          "the fixture already holds the new order");
  {
    Tunavo t;
    Expect(DialogWindows(t.program.pid()).size() == 1, "a window other than the dialog is open");
    Expect(Text(t.code).empty(), "the field is not empty at start");
    Expect(IsChecked(t.dialog, kTraditional) && !IsChecked(t.dialog, kSimplified),
           "繁體 is not the checked character set at start");
    Expect(!IsEnabled(t.dialog, kSave), "Save is enabled at start");
    Expect(!IsVisible(t.dialog, kPunctuation), "標點 is visible");
    Expect(::SendMessageW(t.list, LB_GETITEMHEIGHT, 0, 0) == 20,
           "list line height " + std::to_string(::SendMessageW(t.list, LB_GETITEMHEIGHT, 0, 0)) +
               ", expected 20");
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(t.program.threadId(), &info);
    Expect(info.hwndFocus == t.code, "the input field does not have the focus at start");

    Note("typing 1, 12, 123, 1234, 12345");
    for (const std::u16string code : {u"1", u"12", u"123", u"1234"}) {
      t.Type(code);
      ExpectLines(t, kTunavoFixture.CharactersOf(code), "code " + Utf8(code));
    }
    t.Type(u"12345");
    ExpectLines(t, kTunavoFixture.PhrasesOf(u"12345"), "code 12345 (phrases)");
    t.Type(u"1234");
    t.Type(u"");
    ExpectLines(t, {}, "empty code");

    Note("詞組 and 單字 with code 1");
    t.Type(u"1");
    ClickQuietly(t.program.pid(), t.dialog, kPhrase);
    ExpectLines(t, kTunavoFixture.PhrasesOf(u"1"), "詞組 with code 1");
    ClickQuietly(t.program.pid(), t.dialog, kSingle);
    ExpectLines(t, kTunavoFixture.CharactersOf(u"1"), "單字 with code 1");

    Note("簡體 and 繁體");
    t.Type(u"123");
    ClickQuietly(t.program.pid(), t.dialog, kSimplified);
    Expect(IsChecked(t.dialog, kSimplified), "簡體 is not checked after its click");
    ExpectLines(t, StandardFixture(0, 0).CharactersOf(u"123"), "簡體, code 123");
    ClickQuietly(t.program.pid(), t.dialog, kTraditional);
    ExpectLines(t, kTunavoFixture.CharactersOf(u"123"), "繁體, code 123");

    Note("moving 太 to the top and saving");
    SelectLine(t.list, 3);
    ClickQuietly(t.program.pid(), t.dialog, kTop);
    ExpectLines(t, newOrder, "after 最前");
    Expect(ListSelection(t.list) == 0, "the moved line is not selected");
    Expect(IsEnabled(t.dialog, kSave), "Save is not enabled after a move");

    const std::optional<MessageBoxSeen> box =
        ClickExpectingMessage(t.program.pid(), t.dialog, kSave);
    Require(box.has_value(), "saving showed no message");
    Expect(box->text == kTunavoSaved, "the save message reads " + Show(box->text));
    Expect(box->caption == kTunavoTitle, "the save message's caption reads " + Show(box->caption));
    Expect(DialogWindows(t.program.pid()).size() == 1, "a second message followed the save");
    ExpectLines(t, newOrder, "after saving");
    Expect(IsEnabled(t.dialog, kSave), "Save is disabled after saving");

    ExpectBytes(CharacterTable(kProgramFilesX86), expected, "the first copy");
    ExpectBytes(CharacterTable(kProgramFiles), expected, "the second copy");
    t.Close();
  }
  Note("a fresh start lists the new order");
  Tunavo again;
  again.Type(u"123");
  ExpectLines(again, newOrder, "code 123 after a restart");
  again.Close();
}

// The second copy is the first one when the Program Files path has no "(":
// one message, the table written once.
void SingleCopy() {
  Install(kProgramFiles);
  const std::vector<std::u16string> newOrder = {u"大", u"天", u"太", u"夫"};
  Tunavo t;
  t.Type(u"123");
  SelectLine(t.list, 3);
  ClickQuietly(t.program.pid(), t.dialog, kUp);
  ExpectLines(t, newOrder, "after 上調");
  const std::optional<MessageBoxSeen> box = ClickExpectingMessage(t.program.pid(), t.dialog, kSave);
  Require(box.has_value(), "saving showed no message");
  Expect(box->text == kTunavoSaved, "the save message reads " + Show(box->text));
  Expect(DialogWindows(t.program.pid()).size() == 1, "a second message followed the save");
  ExpectBytes(CharacterTable(kProgramFiles),
              kTunavoFixture.WithCharacterOrder(u"123", newOrder).Writer().CharacterTableBytes(),
              "the only copy");
  t.Close();
}

// A move without a selection asks for one; a move at the edge does nothing.
void MoveWithoutSelection() {
  Install(kProgramFilesX86);
  Tunavo t;
  t.Type(u"123");
  for (int button : {kTop, kUp, kDown, kBottom}) {
    const std::optional<MessageBoxSeen> box =
        ClickExpectingMessage(t.program.pid(), t.dialog, button);
    Require(box.has_value(), "a move without selection showed no message");
    Expect(box->text == kNoSelection, "the message reads " + Show(box->text));
    Expect(box->caption == kTunavoTitle, "the message's caption reads " + Show(box->caption));
  }
  Expect(!IsEnabled(t.dialog, kSave), "Save is enabled without a move");
  SelectLine(t.list, 0);
  ClickQuietly(t.program.pid(), t.dialog, kUp);
  ClickQuietly(t.program.pid(), t.dialog, kTop);
  ExpectLines(t, kTunavoFixture.CharactersOf(u"123"), "after moving the first line up");
  Expect(!IsEnabled(t.dialog, kSave), "Save is enabled after a move that moved nothing");
  t.Close();
}

// Keeps a file from being opened for writing while it exists: the
// read-only attribute, and, where that does not stop the writer (Wine run
// as root ignores it), a handle that shares the file for reading only.
class WriteBlocker {
 public:
  explicit WriteBlocker(const std::wstring& path) : path_(path) {
    Require(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) != 0,
            "could not make " + Utf8(path) + " read-only");
    HANDLE probe = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      ::CloseHandle(probe);
      Note("the read-only attribute does not stop writers here; holding the file");
      lock_ = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      Require(lock_ != INVALID_HANDLE_VALUE, "could not hold " + Utf8(path));
    }
  }
  ~WriteBlocker() {
    if (lock_ != INVALID_HANDLE_VALUE) ::CloseHandle(lock_);
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  }

 private:
  std::wstring path_;
  HANDLE lock_ = INVALID_HANDLE_VALUE;
};

// A first copy that cannot be written: nothing is written, not even the
// second copy, and nothing is said.
void ReadOnlyFirstCopy() {
  Install(kProgramFilesX86);
  const std::wstring first = CharacterTable(kProgramFilesX86);
  const std::wstring second = CharacterTable(kProgramFiles);
  const std::vector<std::uint8_t> before = ReadFileBytes(first);
  WriteBlocker blocker(first);
  Tunavo t;
  t.Type(u"123");
  SelectLine(t.list, 1);
  ClickQuietly(t.program.pid(), t.dialog, kBottom);
  ExpectLines(t, {u"大", u"夫", u"太", u"天"}, "after 最後");
  Expect(ClickQuietly(t.program.pid(), t.dialog, kSave), "saving said something");
  ExpectBytes(first, before, "the read-only first copy");
  ExpectBytes(second, before, "the second copy");
  t.Close();
}

// No index installed: the store's message comes before the dialog. The
// first lookup switches to the traditional dictionary and says that its
// index is missing too; later lookups stay silent and list nothing.
void MissingIndex() {
  RemoveInstallations();
  Require(SetProgramFilesDir(kProgramFilesX86), "could not set ProgramFilesDir");
  Program program(TunavoExe(), L"");
  const HWND box = WaitForOtherDialog(program.pid(), {}, kStartTimeoutMs);
  Require(box != nullptr, "no message about the missing index");
  const MessageBoxSeen seen = ReadMessageBox(box);
  Expect(seen.text == kIndexMissing, "the message reads " + Show(seen.text));
  Expect(seen.caption != kTunavoTitle, "the store's message has the dialog's caption");
  Expect(DialogWindows(program.pid()).size() == 1, "the dialog is shown before the message");
  Expect(DismissMessageBox(box), "the message did not close");
  const HWND dialog = WaitForDialog(program.pid(), kTunavoTitle);
  Require(dialog != nullptr, "the dialog did not appear after the message");
  const HWND code = ::GetDlgItem(dialog, kCode);
  const std::optional<MessageBoxSeen> switched =
      SetFieldTextExpectingMessage(program.pid(), code, u"123");
  Expect(switched.has_value() && switched->text == kTableMissing,
         "the first lookup's message reads " +
             (switched.has_value() ? Show(switched->text) : std::string("nothing")));
  Expect(ListLines(::GetDlgItem(dialog, kList)).empty(), "a list without an index");
  const std::optional<MessageBoxSeen> again =
      SetFieldTextExpectingMessage(program.pid(), code, u"12");
  Expect(!again.has_value(), "a second lookup without an index showed a message");
  Expect(ListLines(::GetDlgItem(dialog, kList)).empty(), "a list without an index");
  PressKey(code, VK_ESCAPE);
  Expect(program.WaitExit(kStepTimeoutMs), "Esc did not end the program");
}

// The command line: "01 x123" is the simplified 2002 edition with code
// 123; "1 x12345" the traditional standard phrases of 12345; "21" sets
// only the 2002 edition.
void CommandLine() {
  Install(kProgramFilesX86);
  {
    Tunavo t(L"01 x123");
    Expect(IsChecked(t.dialog, kSimplified) && !IsChecked(t.dialog, kTraditional),
           "簡體 is not checked");
    Expect(Text(t.code) == u"123", "the field shows " + Show(Text(t.code)));
    ExpectLines(t, StandardFixture(0, 1).CharactersOf(u"123"), "01 x123");
    t.Close();
  }
  {
    Tunavo t(L"1 x12345");
    Expect(IsChecked(t.dialog, kTraditional), "繁體 is not checked");
    Expect(Text(t.code) == u"12345", "the field shows " + Show(Text(t.code)));
    ExpectLines(t, kTunavoFixture.PhrasesOf(u"12345"), "1 x12345");
    t.Close();
  }
  {
    Tunavo t(L"21");
    Expect(Text(t.code).empty(), "the field shows " + Show(Text(t.code)));
    ExpectLines(t, {}, "21 at start");
    t.Type(u"123");
    ExpectLines(t, StandardFixture(1, 1).CharactersOf(u"123"), "21, then typing 123");
    t.Close();
  }
}

// Keys: the field takes digits only and at most six; Enter ends the dialog
// without saving.
void Keys() {
  Install(kProgramFilesX86);
  const std::vector<std::uint8_t> before = ReadFileBytes(CharacterTable(kProgramFilesX86));
  Tunavo t;
  TypeChars(t.code, u"12a3");
  Expect(WaitUntil([&] { return Text(t.code) == u"123"; }, kStepTimeoutMs),
         "typing 1, 2, a, 3 gives " + Show(Text(t.code)));
  ExpectLines(t, kTunavoFixture.CharactersOf(u"123"), "typed 123");
  TypeChars(t.code, u"4567");
  TypeChars(t.code, u"\b");
  Expect(WaitUntil([&] { return Text(t.code) == u"12345"; }, kStepTimeoutMs),
         "a seventh digit was taken: after typing 4567 and a backspace the field shows " +
             Show(Text(t.code)));
  TypeChars(t.code, u"\b\b");
  Expect(WaitUntil([&] { return Text(t.code) == u"123"; }, kStepTimeoutMs), "backspaces");
  SelectLine(t.list, 2);
  ClickQuietly(t.program.pid(), t.dialog, kDown);
  Expect(IsEnabled(t.dialog, kSave), "Save is not enabled after a move");
  PressKey(t.code, VK_RETURN);
  DWORD exitCode = 1;
  Expect(t.program.WaitExit(kStepTimeoutMs, &exitCode), "Enter did not end the program");
  Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
  ExpectBytes(CharacterTable(kProgramFilesX86), before, "the first copy after Enter");
}

// The system menu's About command opens the About box; closing it leaves
// the list and its unsaved move as they were.
void TunavoAboutBox() {
  Install(kProgramFilesX86);
  Tunavo t;
  t.Type(u"123");
  SelectLine(t.list, 1);
  ClickQuietly(t.program.pid(), t.dialog, kTop);
  const std::vector<std::u16string> moved = t.Lines();
  ::PostMessageW(t.dialog, WM_SYSCOMMAND, 0x0010, 0);
  const HWND about = WaitForDialog(t.program.pid(), kTunavoAboutCaption);
  Require(about != nullptr, "the About box did not appear");
  Expect(!::IsWindowEnabled(t.dialog), "the About box is not modal");
  ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(about, IDOK)));
  Expect(WaitUntil([&] { return !::IsWindow(about); }, kStepTimeoutMs),
         "the About box did not close");
  Expect(WaitUntil([&] { return ::IsWindowEnabled(t.dialog) != 0; }, kStepTimeoutMs),
         "the dialog is still disabled");
  ExpectLines(t, moved, "after the About box");
  Expect(IsEnabled(t.dialog, kSave), "the unsaved move was dropped");
  t.Close();
}

// The punctuation list (the hidden 標點 button, which nothing shows but
// which works): a move and a save rewrite the first copy's table only.
void Punctuation() {
  Install(kProgramFilesX86);
  const std::wstring first = DictionaryFolder(kProgramFilesX86, 1, 0) + L"Pround.dat";
  const std::wstring second = DictionaryFolder(kProgramFiles, 1, 0) + L"Pround.dat";
  const std::vector<std::uint8_t> before = ReadFileBytes(second);
  FixtureDictionary reordered = kTunavoFixture;
  reordered.punctuation = u"。，、";
  Tunavo t;
  ClickQuietly(t.program.pid(), t.dialog, kPunctuation);
  ExpectLines(t, {u"，", u"。", u"、"}, "標點");
  t.Type(u"12");
  ExpectLines(t, {u"，", u"。", u"、"}, "typing in the punctuation mode");
  SelectLine(t.list, 1);
  ClickQuietly(t.program.pid(), t.dialog, kUp);
  ExpectLines(t, {u"。", u"，", u"、"}, "after 上調");
  const std::optional<MessageBoxSeen> box = ClickExpectingMessage(t.program.pid(), t.dialog, kSave);
  Expect(box.has_value() && box->text == kTunavoSaved,
         "saving the punctuation showed " +
             (box.has_value() ? Show(box->text) : std::string("nothing")));
  ExpectBytes(first, reordered.Writer().PunctuationBytes(), "the first copy's punctuation table");
  ExpectBytes(second, before, "the second copy's punctuation table");
  ClickQuietly(t.program.pid(), t.dialog, kSingle);
  ExpectLines(t, kTunavoFixture.CharactersOf(u"12"), "單字 after the punctuation list");
  t.Close();
}

const RegisterScenario kTunavoScenarios[] = {
    {"tunavo-complete-adjustment", &CompleteAdjustment},
    {"tunavo-single-copy", &SingleCopy},
    {"tunavo-move-without-selection", &MoveWithoutSelection},
    {"tunavo-read-only-first-copy", &ReadOnlyFirstCopy},
    {"tunavo-missing-index", &MissingIndex},
    {"tunavo-command-line", &CommandLine},
    {"tunavo-keys", &Keys},
    {"tunavo-about-box", &TunavoAboutBox},
    {"tunavo-punctuation", &Punctuation},
};

}  // namespace
}  // namespace taliq::e2e
