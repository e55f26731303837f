// The end-to-end driver: starts a program under test beside itself, finds
// its windows and works them through their controls the way a user's
// clicks and keys do, and checks what the user sees and what lands on disk.
//
// Every wait is bounded; a window that does not appear or a program that
// does not end fails the scenario instead of hanging it.
#ifndef TALIQ_TESTS_E2E_DRIVER_E2E_H_
#define TALIQ_TESTS_E2E_DRIVER_E2E_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_api.h"

namespace taliq::e2e {

// ---- Results --------------------------------------------------------------

// Thrown by Require: ends the scenario at once.
struct ScenarioAbort {};

// Records a failed expectation; the scenario goes on.
void Expect(bool condition, const std::string& what);
// Records a failure and ends the scenario.
void Require(bool condition, const std::string& what);
// Progress line for the log.
void Note(const std::string& what);
const std::vector<std::string>& Failures();
void ClearFailures();

std::string Utf8(std::u16string_view text);
std::string Utf8(std::wstring_view text);
// A list of lines as ["a", "b"] for messages.
std::string Show(const std::vector<std::u16string>& lines);
std::string Show(std::u16string_view text);

// ---- Timing ----------------------------------------------------------------

// The 32-bit programs run under emulation in the tests (32-bit Wine on
// qemu-user), where a program's first window takes a few seconds longer.
inline constexpr DWORD kStartTimeoutMs = sizeof(void*) == 4 ? 30000 : 20000;
inline constexpr DWORD kStepTimeoutMs = 10000;

// Polls `done` every 20 ms until it is true or `timeoutMs` have passed.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// ---- Programs --------------------------------------------------------------

// A process started by the driver; terminated (and waited for) when the
// object goes away while it still runs.
class Program {
 public:
  // `arguments` is appended to the quoted program path. Environment
  // overrides are NAME=VALUE texts added to (or replacing in) the driver's.
  Program(const std::wstring& exe, const std::wstring& arguments,
          const std::wstring& currentDirectory = std::wstring(),
          const std::vector<std::wstring>& environment = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  DWORD threadId() const { return threadId_; }
  // True when the process ended within the time; its exit code then.
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  bool Running() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD threadId_ = 0;
};

// Folder of the driver, where the programs under test lie.
std::wstring DriverFolder();

// ---- Windows and controls --------------------------------------------------

// Visible top-level dialog windows (#32770) of a process.
std::vector<HWND> DialogWindows(DWORD pid);
// The dialog of the process with exactly this caption, waited for.
HWND WaitForDialog(DWORD pid, std::u16string_view caption, DWORD timeoutMs = kStartTimeoutMs);
// A dialog window of the process that is none of `known`, waited for.
HWND WaitForOtherDialog(DWORD pid, const std::vector<HWND>& known,
                        DWORD timeoutMs = kStepTimeoutMs);

std::u16string Text(HWND window);
std::u16string ItemText(HWND dialog, int id);

struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::u16string caption;
  std::u16string text;  // the static control 0xFFFF
};
MessageBoxSeen ReadMessageBox(HWND box);
// Presses the box's OK button and waits until the box is gone.
bool DismissMessageBox(HWND box);

// The list box's lines, selection and item height.
std::vector<std::u16string> ListLines(HWND list);
int ListSelection(HWND list);
void SelectLine(HWND list, int index);

bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsVisible(HWND dialog, int id);

// Replaces the edit control's text (WM_SETTEXT, which sends EN_CHANGE) and
// returns when the dialog has handled the change.
void SetFieldText(HWND edit, std::u16string_view text);
// Types characters into the edit as keystrokes would (WM_CHAR at the end of
// the text). Everything is posted, so it is handled in order, after the
// call returns.
void TypeChars(HWND edit, std::u16string_view chars);
// A key press (WM_KEYDOWN, WM_KEYUP) posted to a control.
void PressKey(HWND control, UINT virtualKey);

// A message sent on a helper thread, for handlers that may open a modal
// box: the driver can see the box while the handler waits in it. Clicks
// are BM_CLICK sent this way.
class PendingSend {
 public:
  PendingSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  ~PendingSend();
  PendingSend(const PendingSend&) = delete;
  PendingSend& operator=(const PendingSend&) = delete;

  // Waits until the handler has returned (true) or a dialog window of `pid`
  // that is none of `known` appeared (false, *opened set), bounded.
  bool WaitDoneOrDialog(DWORD pid, const std::vector<HWND>& known, HWND* opened,
                        DWORD timeoutMs = kStepTimeoutMs);
  bool WaitDone(DWORD timeoutMs = kStepTimeoutMs);

 private:
  static DWORD WINAPI Run(void* self);
  HWND window_;
  UINT message_;
  WPARAM wParam_;
  LPARAM lParam_;
  HANDLE thread_ = nullptr;
};

// Runs `send` and answers the message box it may open: the box as read
// (after it was dismissed and the handler returned), or empty when the
// handler returned without one.
std::optional<MessageBoxSeen> SendAnsweringMessage(DWORD pid, PendingSend& send);

// A click whose handler must not open anything: true when it returned and
// no new dialog came up.
bool ClickQuietly(DWORD pid, HWND dialog, int id);
// A click whose handler may open a message box: the box as read, after it
// was dismissed and the handler returned. Empty when no box came up.
std::optional<MessageBoxSeen> ClickExpectingMessage(DWORD pid, HWND dialog, int id);
// The same for a text set into an edit control.
std::optional<MessageBoxSeen> SetFieldTextExpectingMessage(DWORD pid, HWND edit,
                                                           std::u16string_view text);

// ---- Files and folders -----------------------------------------------------

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
void MakeFolders(const std::wstring& path);
std::string Narrow(const std::wstring& asciiPath);

// The Program Files folder the next programs are told about (the registry
// value the shell reads it from).
bool SetProgramFilesDir(const std::wstring& folder);
inline const std::wstring kProgramFilesX86 = L"C:\\Program Files (x86)";
inline const std::wstring kProgramFiles = L"C:\\Program Files";
// The current user's application-data folder.
std::wstring AppDataFolder();

// The system's own Msiexec.exe, moved aside while the object lives, so
// that no installer can be started by name.
class HiddenSystemInstaller {
 public:
  HiddenSystemInstaller();
  ~HiddenSystemInstaller();
  HiddenSystemInstaller(const HiddenSystemInstaller&) = delete;
  HiddenSystemInstaller& operator=(const HiddenSystemInstaller&) = delete;

 private:
  std::vector<std::wstring> moved_;
};

// ---- Scenarios --------------------------------------------------------------

// A scenario and the locale its driver is started with (run.sh sets LANG
// and LC_ALL to it): Wine takes a process's ANSI code page from the locale
// and hands it on to the processes it starts (zh_CN gives 936, en_US 1252).
struct ScenarioEntry {
  const char* name;
  void (*run)();
  const char* lang;
};
// Each scenario file registers its scenarios here.
std::vector<ScenarioEntry>& Scenarios();
struct RegisterScenario {
  RegisterScenario(const char* name, void (*run)(), const char* lang = "en_US.UTF-8") {
    Scenarios().push_back({name, run, lang});
  }
};

// Opens a window for a screenshot and holds it (poses.cc); the exit code.
int RunPose(const char* name);

}  // namespace taliq::e2e

#endif  // TALIQ_TESTS_E2E_DRIVER_E2E_H_
