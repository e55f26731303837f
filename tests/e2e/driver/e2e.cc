#include "tests/e2e/driver/e2e.h"

#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "platform/text.h"

namespace taliq::e2e {
namespace {

std::vector<std::string>& FailureList() {
  static std::vector<std::string> failures;
  return failures;
}

// Cross-process messages are sent with a time limit, so that a program that
// hangs fails the scenario.
LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    DWORD timeoutMs = kStepTimeoutMs) {
  DWORD_PTR result = 0;
  if (::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            timeoutMs, &result) == 0) {
    Require(false, "the window did not answer message " + std::to_string(message) + " within " +
                       std::to_string(timeoutMs) + " ms");
  }
  return static_cast<LRESULT>(result);
}

// How long a window may take to answer a poll while the driver waits for
// it to show up.
constexpr DWORD kPollAnswerMs = 1000;

// The window's text, unless it did not answer within the time.
bool TryText(HWND window, std::u16string* text, DWORD timeoutMs) {
  DWORD_PTR length = 0;
  if (::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            timeoutMs, &length) == 0) {
    return false;
  }
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                            reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            timeoutMs, &got) == 0) {
    return false;
  }
  *text = win32::U16(buffer.c_str(), static_cast<size_t>(got));
  return true;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

struct EnumState {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == state->pid && ::IsWindowVisible(window) && ClassName(window) == L"#32770") {
    state->found.push_back(window);
  }
  return TRUE;
}

}  // namespace

void Expect(bool condition, const std::string& what) {
  if (condition) return;
  FailureList().push_back(what);
  std::printf("  FAILED: %s\n", what.c_str());
  std::fflush(stdout);
}

void Require(bool condition, const std::string& what) {
  if (condition) return;
  Expect(false, what);
  throw ScenarioAbort{};
}

void Note(const std::string& what) {
  std::printf("  - %s\n", what.c_str());
  std::fflush(stdout);
}

const std::vector<std::string>& Failures() { return FailureList(); }
void ClearFailures() { FailureList().clear(); }

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }
std::string Utf8(std::wstring_view text) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::string Show(const std::vector<std::u16string>& lines) {
  std::string out = "[";
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += ", ";
    out += "\"" + Utf8(lines[i]) + "\"";
  }
  return out + "]";
}

std::string Show(std::u16string_view text) { return "\"" + Utf8(text) + "\""; }

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(20);
  }
}

// ---- Programs ----------------------------------------------------------------

Program::Program(const std::wstring& exe, const std::wstring& arguments,
                 const std::wstring& currentDirectory,
                 const std::vector<std::wstring>& environment) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;

  // The driver's environment with the overrides, sorted as Windows expects.
  std::map<std::wstring, std::wstring> variables;
  if (wchar_t* block = ::GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) {
      std::wstring entry(p);
      const size_t eq = entry.find(L'=', 1);
      if (eq != std::wstring::npos) variables[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    ::FreeEnvironmentStringsW(block);
  }
  for (const std::wstring& entry : environment) {
    const size_t eq = entry.find(L'=');
    variables[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  std::wstring block;
  for (const auto& [name, value] : variables) block += name + L"=" + value + L'\0';
  block += L'\0';

  // Wine now and then loses a new process before it has started (a busy
  // machine, two prefixes side by side) and reports ERROR_INTERNAL_ERROR;
  // that start is tried again, said in the output. Any other error, or the
  // same one three times, fails the scenario.
  constexpr int kStartAttempts = 3;
  DWORD error = 0;
  for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                         CREATE_UNICODE_ENVIRONMENT, block.data(),
                         currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                         &info)) {
      process_ = info.hProcess;
      pid_ = info.dwProcessId;
      threadId_ = info.dwThreadId;
      ::CloseHandle(info.hThread);
      break;
    }
    error = ::GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == kStartAttempts) break;
    Note("Wine lost " + Utf8(exe) + " while starting it (error " + std::to_string(error) +
         "); starting it again");
    ::Sleep(500);
  }
  Require(process_ != nullptr,
          "could not start " + Utf8(exe) + " (error " + std::to_string(error) + ")");
}

Program::~Program() {
  if (process_ == nullptr) return;
  if (Running()) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 5000);
  }
  ::CloseHandle(process_);
}

bool Program::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

bool Program::Running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::wstring DriverFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// ---- Windows and controls --------------------------------------------------

std::vector<HWND> DialogWindows(DWORD pid) {
  EnumState state{pid, {}};
  ::EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND WaitForDialog(DWORD pid, std::u16string_view caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : DialogWindows(pid)) {
          // A window still busy with its start (loading fonts, say) has not
          // shown up yet: the start's time limit bounds the wait.
          std::u16string text;
          if (TryText(window, &text, kPollAnswerMs) && text == caption) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

HWND WaitForOtherDialog(DWORD pid, const std::vector<HWND>& known, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : DialogWindows(pid)) {
          bool isKnown = false;
          for (HWND k : known) isKnown = isKnown || k == window;
          if (!isKnown) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::u16string Text(HWND window) {
  const LRESULT length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendBounded(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return win32::U16(buffer.c_str(), static_cast<size_t>(got));
}

std::u16string ItemText(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item == nullptr ? std::u16string() : Text(item);
}

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen;
  seen.hwnd = box;
  seen.caption = Text(box);
  seen.text = ItemText(box, 0xFFFF);
  return seen;
}

bool DismissMessageBox(HWND box) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)), SMTO_NORMAL,
                        kStepTimeoutMs, &result);
  return WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, kStepTimeoutMs);
}

std::vector<std::u16string> ListLines(HWND list) {
  std::vector<std::u16string> lines;
  const LRESULT count = SendBounded(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendBounded(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT got = SendBounded(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                    reinterpret_cast<LPARAM>(buffer.data()));
    lines.push_back(win32::U16(buffer.c_str(), static_cast<size_t>(got > 0 ? got : 0)));
  }
  return lines;
}

int ListSelection(HWND list) { return static_cast<int>(SendBounded(list, LB_GETCURSEL, 0, 0)); }

void SelectLine(HWND list, int index) {
  SendBounded(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool IsChecked(HWND dialog, int id) {
  return SendBounded(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != 0; }

bool IsVisible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != 0; }

void SetFieldText(HWND edit, std::u16string_view text) {
  const std::u16string copy(text);
  SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win32::W(copy)));
}

void TypeChars(HWND edit, std::u16string_view chars) {
  // The caret to the end: positions beyond the text are clamped to it.
  ::PostMessageW(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
  for (char16_t c : chars) ::PostMessageW(edit, WM_CHAR, c, 1);
}

void PressKey(HWND control, UINT virtualKey) {
  const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  ::PostMessageW(control, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  ::PostMessageW(control, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

PendingSend::PendingSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    : window_(window), message_(message), wParam_(wParam), lParam_(lParam) {
  thread_ = ::CreateThread(nullptr, 0, &PendingSend::Run, this, 0, nullptr);
  Require(thread_ != nullptr, "could not start the sending thread");
}

PendingSend::~PendingSend() {
  if (thread_ == nullptr) return;
  // The program under test is ended by then at the latest, which releases
  // a send still waiting in it.
  ::WaitForSingleObject(thread_, kStepTimeoutMs);
  ::CloseHandle(thread_);
}

DWORD WINAPI PendingSend::Run(void* self) {
  auto* send = static_cast<PendingSend*>(self);
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(send->window_, send->message_, send->wParam_, send->lParam_, SMTO_NORMAL,
                        60000, &result);
  return 0;
}

bool PendingSend::WaitDoneOrDialog(DWORD pid, const std::vector<HWND>& known, HWND* opened,
                                   DWORD timeoutMs) {
  *opened = nullptr;
  bool done = false;
  WaitUntil(
      [&] {
        if (::WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) {
          done = true;
          return true;
        }
        for (HWND window : DialogWindows(pid)) {
          bool isKnown = false;
          for (HWND k : known) isKnown = isKnown || k == window;
          if (!isKnown) {
            *opened = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return done;
}

bool PendingSend::WaitDone(DWORD timeoutMs) {
  return ::WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0;
}

std::optional<MessageBoxSeen> SendAnsweringMessage(DWORD pid, PendingSend& send) {
  HWND opened = nullptr;
  const std::vector<HWND> before = DialogWindows(pid);
  const bool done = send.WaitDoneOrDialog(pid, before, &opened);
  if (opened == nullptr) {
    Expect(done, "the handler did not return");
    return std::nullopt;
  }
  MessageBoxSeen box = ReadMessageBox(opened);
  Expect(DismissMessageBox(opened), "the message box did not close");
  Expect(send.WaitDone(), "the handler did not return after the message box");
  return box;
}

bool ClickQuietly(DWORD pid, HWND dialog, int id) {
  PendingSend click(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  const std::optional<MessageBoxSeen> box = SendAnsweringMessage(pid, click);
  if (box.has_value()) {
    Expect(false, "control " + std::to_string(id) + " opened a window: " + Show(box->caption) +
                      " " + Show(box->text));
    return false;
  }
  return click.WaitDone(0);
}

std::optional<MessageBoxSeen> ClickExpectingMessage(DWORD pid, HWND dialog, int id) {
  PendingSend click(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  return SendAnsweringMessage(pid, click);
}

std::optional<MessageBoxSeen> SetFieldTextExpectingMessage(DWORD pid, HWND edit,
                                                           std::u16string_view text) {
  const std::u16string copy(text);
  PendingSend send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(win32::W(copy)));
  return SendAnsweringMessage(pid, send);
}

// ---- Files and folders -----------------------------------------------------

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<std::uint8_t> bytes;
  FILE* f = ::_wfopen(path.c_str(), L"rb");
  if (f == nullptr) return bytes;
  std::uint8_t chunk[4096];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  FILE* f = ::_wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& path) {
  std::error_code error;
  // Read-only files left by an earlier scenario would stop the removal.
  if (std::filesystem::exists(path, error)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error)) {
      ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  }
  std::filesystem::remove_all(path, error);
}

void MakeFolders(const std::wstring& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
}

std::string Narrow(const std::wstring& asciiPath) {
  return std::string(asciiPath.begin(), asciiPath.end());
}

bool SetProgramFilesDir(const std::wstring& folder) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = ::RegSetValueExW(key, L"ProgramFilesDir", 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(folder.c_str()),
                                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::wstring AppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::wstring TunavoDataFolder() {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Taliq\\Tunavo";
}

HiddenSystemInstaller::HiddenSystemInstaller() {
  for (const wchar_t* folder : {L"C:\\windows\\system32", L"C:\\windows\\syswow64"}) {
    const std::wstring path = std::wstring(folder) + L"\\msiexec.exe";
    if (FileExists(path) && ::MoveFileW(path.c_str(), (path + L".hidden").c_str()) != 0) {
      moved_.push_back(path);
    }
  }
}

HiddenSystemInstaller::~HiddenSystemInstaller() {
  for (const std::wstring& path : moved_) ::MoveFileW((path + L".hidden").c_str(), path.c_str());
}

std::vector<ScenarioEntry>& Scenarios() {
  static std::vector<ScenarioEntry> scenarios;
  return scenarios;
}

}  // namespace taliq::e2e
