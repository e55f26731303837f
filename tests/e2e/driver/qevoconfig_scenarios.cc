// QevoConfig.exe in a real window: the choices it shows for a settings
// file, its captions under code page 936 and under another, OK writing the
// file and its two installation copies (or warning and staying open when
// one cannot be written), Cancel writing nothing, and the About box.
#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {
namespace {

constexpr char16_t kCaption936[] = u"Taliq输入法设置";
constexpr char16_t kCaptionOther[] = u"Taliq輸入法TSF設定";
constexpr char16_t kQevoConfigAboutCaption[] = u"關于 Taliq輸入法TSF設定程序";

constexpr char kLang936[] = "zh_CN.UTF-8";

std::wstring SettingsFolder() { return AppDataFolder() + L"\\ZIRIZIR"; }
std::wstring UserFile() { return SettingsFolder() + L"\\rozevuv_cht.ini"; }
std::wstring InstallationFolder(const std::wstring& programFiles) {
  return programFiles + L"\\lurm\\RozeVuv_cht";
}
std::wstring InstallationCopy(const std::wstring& programFiles) {
  return InstallationFolder(programFiles) + L"\\rozevuv_cht.ini";
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string AsText(const std::vector<std::uint8_t>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  std::string shown;
  for (char c : text)
    shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return "\"" + shown + "\"";
}

void ExpectFile(const std::wstring& path, std::string_view expected, const std::string& what) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  Expect(bytes == Bytes(expected),
         what + " holds " + AsText(bytes) + ", expected " + AsText(Bytes(expected)));
}

// A clean per-user folder (with `contents` as the per-user file unless
// empty) and both installation folders, the first below "(x86)".
void Prepare(std::string_view contents) {
  RemoveTree(SettingsFolder());
  RemoveTree(kProgramFilesX86 + L"\\lurm");
  RemoveTree(kProgramFiles + L"\\lurm");
  Require(SetProgramFilesDir(kProgramFilesX86), "could not set ProgramFilesDir");
  MakeFolders(InstallationFolder(kProgramFilesX86));
  MakeFolders(InstallationFolder(kProgramFiles));
  if (!contents.empty()) {
    MakeFolders(SettingsFolder());
    Require(WriteFileBytes(UserFile(), Bytes(contents)), "could not write the settings file");
  }
}

struct QevoConfig {
  // The code page comes from the LANG the scenario runs under.
  QevoConfig(unsigned codePage, std::u16string_view caption)
      : program(DriverFolder() + L"\\QevoConfig.exe", L"") {
    Require(::GetACP() == codePage, "the scenario runs under code page " +
                                        std::to_string(::GetACP()) + ", not " +
                                        std::to_string(codePage));
    dialog = WaitForDialog(program.pid(), caption);
    if (dialog == nullptr) {
      for (HWND window : DialogWindows(program.pid())) {
        Note("open window: " + Show(Text(window)));
      }
    }
    Require(dialog != nullptr, "no settings dialog captioned " + Show(caption));
  }
  // The checked buttons, in control order, for messages.
  std::vector<int> Checked() const {
    std::vector<int> ids;
    for (int id = 1000; id <= 1018; ++id) {
      HWND control = ::GetDlgItem(dialog, id);
      if (control != nullptr && IsChecked(dialog, id)) ids.push_back(id);
    }
    return ids;
  }
  void ExpectChecked(const std::vector<int>& expected, const std::string& when) const {
    const std::vector<int> ids = Checked();
    std::string shown;
    for (int id : ids) shown += " " + std::to_string(id);
    Expect(ids == expected, when + ": checked controls are" + shown);
  }
  void Click(int id) { ClickQuietly(program.pid(), dialog, id); }
  void EndWith(int button) {
    Click(button);
    DWORD exitCode = 1;
    Expect(program.WaitExit(kStepTimeoutMs, &exitCode), "the dialog did not end");
    Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
  }

  Program program;
  HWND dialog = nullptr;
};

constexpr char kDefault936[] =
    "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=3\r\nASSIO=0\r\nSPEAK=0\r\nCHSCHT=0\r\nORDERMODE=0\r\n";
constexpr char kSavedDefault936[] =
    "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=3\r\nASSIO=0\r\nSPEAK=0\r\nCHSCHT=0\r\nORDERMODE=0\r\n"
    "ZDY=0\r\nZYCK=0\r\n";

// First run under code page 936: the default file is created and shown;
// OK writes it back with ZDY and ZYCK appended, to all three files.
void FirstRun936() {
  Prepare("");
  QevoConfig q(936, kCaption936);
  ExpectFile(UserFile(), kDefault936, "the new per-user file");
  q.ExpectChecked({1001, 1003, 1005, 1006, 1016, 1018}, "the default file");
  Expect(ItemText(q.dialog, 1008) == u"候選窗口排列模式",
         "1008 reads " + Show(ItemText(q.dialog, 1008)));
  Expect(ItemText(q.dialog, 1009) == u" 選中字詞發音",
         "1009 reads " + Show(ItemText(q.dialog, 1009)));
  Expect(ItemText(q.dialog, 1011) == u"簡繁字符集", "1011 reads " + Show(ItemText(q.dialog, 1011)));
  Expect(ItemText(q.dialog, 1014) == u"自定義詞組功能",
         "1014 reads " + Show(ItemText(q.dialog, 1014)));
  Expect(ItemText(q.dialog, 1015) == u"專業詞庫功能",
         "1015 reads " + Show(ItemText(q.dialog, 1015)));
  q.EndWith(IDOK);
  ExpectFile(UserFile(), kSavedDefault936, "the per-user file after OK");
  ExpectFile(InstallationCopy(kProgramFilesX86), kSavedDefault936, "the installation copy");
  ExpectFile(InstallationCopy(kProgramFiles), kSavedDefault936, "the native installation copy");
}

// Any other code page: the second set of captions and 繁體 by default.
void Captions1252() {
  Prepare("");
  QevoConfig q(1252, kCaptionOther);
  ExpectFile(UserFile(),
             "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=3\r\nASSIO=0\r\nSPEAK=0\r\nCHSCHT=1\r\n"
             "ORDERMODE=0\r\n",
             "the new per-user file");
  q.ExpectChecked({1001, 1003, 1005, 1007, 1016, 1018}, "the default file");
  const struct {
    int id;
    std::u16string_view caption;
  } kCaptions[] = {
      {1008, u"候選視窗模式"}, {1009, u"選中字詞發音"},   {1010, u"聯想功能"},
      {1011, u"字詞碼本"},     {1014, u"自定義詞組功能"}, {1015, u"專業詞庫功能"},
      {1000, u"橫排"},         {1001, u"豎排"},           {1012, u"與第四版字詞排序兼容"},
      {IDOK, u"確定"},         {IDCANCEL, u"取消"},
  };
  for (const auto& c : kCaptions) {
    Expect(ItemText(q.dialog, c.id) == c.caption,
           std::to_string(c.id) + " reads " + Show(ItemText(q.dialog, c.id)));
  }
  q.EndWith(IDCANCEL);
}

constexpr char kGiven[] =
    "[BaseConfig]\r\nSHOWMODE=1\r\nMAMODE=7\r\nASSIO=1\r\nSPEAK=0\r\n;a comment\r\n"
    "CHSCHT=1\r\nORDERMODE=1\r\nZDY=x\r\nFOO=bar\r\n";

// A given file: what the dialog shows for it, and what OK writes after
// three clicks (only the seven keys change, other lines keep their place,
// the line without "=" is dropped, the absent ZYCK is appended).
void ShowsAndSaves() {
  Prepare(kGiven);
  QevoConfig q(936, kCaption936);
  q.ExpectChecked({1000, 1002, 1005, 1007, 1012, 1013, 1018}, "the given file");
  q.Click(1001);
  q.Click(1012);
  q.Click(1017);
  q.ExpectChecked({1001, 1002, 1005, 1007, 1013, 1017}, "after three clicks");
  q.EndWith(IDOK);
  constexpr char kSaved[] =
      "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=7\r\nASSIO=1\r\nSPEAK=0\r\nCHSCHT=1\r\n"
      "ORDERMODE=0\r\nZDY=1\r\nFOO=bar\r\nZYCK=1\r\n";
  ExpectFile(UserFile(), kSaved, "the per-user file after OK");
  ExpectFile(InstallationCopy(kProgramFilesX86), kSaved, "the installation copy");
  ExpectFile(InstallationCopy(kProgramFiles), kSaved, "the native installation copy");
}

// Cancel, Esc and the close box after changes write nothing at all.
void CancelWritesNothing() {
  const struct {
    const char* how;
    void (*end)(QevoConfig&);
  } kWays[] = {
      {"取消", [](QevoConfig& q) { q.Click(IDCANCEL); }},
      {"Esc", [](QevoConfig& q) { PressKey(::GetDlgItem(q.dialog, 1012), VK_ESCAPE); }},
      {"the close box",
       [](QevoConfig& q) { ::PostMessageW(q.dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& way : kWays) {
    Note(way.how);
    Prepare(kGiven);
    QevoConfig q(1252, kCaptionOther);
    q.Click(1001);
    q.Click(1003);
    way.end(q);
    DWORD exitCode = 1;
    Expect(q.program.WaitExit(kStepTimeoutMs, &exitCode),
           std::string(way.how) + " did not end the dialog");
    Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
    ExpectFile(UserFile(), kGiven, std::string("the per-user file after ") + way.how);
    Expect(!FileExists(InstallationCopy(kProgramFilesX86)),
           std::string(way.how) + " wrote the installation copy");
  }
}

// The About command of the system menu opens the About box; the choices
// are unchanged after it.
void QevoConfigAboutBox() {
  Prepare(kGiven);
  QevoConfig q(936, kCaption936);
  q.Click(1001);
  ::PostMessageW(q.dialog, WM_SYSCOMMAND, 0x0010, 0);
  const HWND about = WaitForDialog(q.program.pid(), kQevoConfigAboutCaption);
  Require(about != nullptr, "the About box did not appear");
  ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(about, IDOK)));
  Expect(WaitUntil([&] { return !::IsWindow(about); }, kStepTimeoutMs),
         "the About box did not close");
  q.ExpectChecked({1001, 1002, 1005, 1007, 1012, 1013, 1018}, "after the About box");
  q.EndWith(IDCANCEL);
}

// OK when a copy cannot be written (its folder is missing): a warning names
// the file and why, the dialog stays open with the choices made; once the
// folder is back, OK saves all three files and ends the dialog.
void FailedSaveWarnsAndStaysOpen() {
  Prepare(kGiven);
  RemoveTree(InstallationFolder(kProgramFiles));
  QevoConfig q(936, kCaption936);
  q.Click(1001);
  const std::optional<MessageBoxSeen> box = ClickExpectingMessage(q.program.pid(), q.dialog, IDOK);
  Require(box.has_value(), "OK showed no warning");
  const std::string text = Utf8(box->text);
  const std::string named = "native installation copy " + Utf8(InstallationCopy(kProgramFiles)) +
                            ": its folder does not exist";
  Expect(text.find(named) != std::string::npos, "the warning reads " + Show(box->text));
  Expect(box->caption == kCaption936, "the warning's caption reads " + Show(box->caption));
  Expect(::IsWindow(q.dialog) != 0, "the dialog closed after the warning");
  q.ExpectChecked({1001, 1002, 1005, 1007, 1012, 1013, 1018}, "after the warning");
  constexpr char kSaved[] =
      "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=7\r\nASSIO=1\r\nSPEAK=0\r\nCHSCHT=1\r\n"
      "ORDERMODE=1\r\nZDY=1\r\nFOO=bar\r\nZYCK=0\r\n";
  ExpectFile(UserFile(), kSaved, "the per-user file after the first OK");

  MakeFolders(InstallationFolder(kProgramFiles));
  q.EndWith(IDOK);
  ExpectFile(InstallationCopy(kProgramFiles), kSaved, "the native installation copy");
}

const RegisterScenario kQevoConfigScenarios[] = {
    {"qevoconfig-first-run-936", &FirstRun936, kLang936},
    {"qevoconfig-captions-1252", &Captions1252},
    {"qevoconfig-shows-and-saves", &ShowsAndSaves, kLang936},
    {"qevoconfig-cancel-writes-nothing", &CancelWritesNothing},
    {"qevoconfig-about-box", &QevoConfigAboutBox, kLang936},
    {"qevoconfig-failed-save-warns", &FailedSaveWarnsAndStaysOpen, kLang936},
};

}  // namespace
}  // namespace taliq::e2e
