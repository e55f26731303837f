// Tunavo.exe as the scenarios of its system-menu commands start and drive
// it: the installed fixtures, the started program and its main dialog.
#ifndef TALIQ_TESTS_E2E_DRIVER_TUNAVO_WINDOW_H_
#define TALIQ_TESTS_E2E_DRIVER_TUNAVO_WINDOW_H_

#include <string>
#include <vector>

#include "tests/e2e/driver/dictionary_fixture.h"
#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {

inline constexpr char16_t kTunavoTitle[] = u"Taliq輸入法TSF調頻程序";
inline constexpr char16_t kTunavoSaved[] = u"成功保存調頻信息!";

// Controls of the main dialog.
enum TunavoControl {
  kTunavoList = 1000,
  kTunavoCode = 1001,
  kTunavoSimplified = 1002,
  kTunavoTraditional = 1003,
  kTunavoTop = 1004,
  kTunavoUp = 1005,
  kTunavoDown = 1006,
  kTunavoBottom = 1007,
  kTunavoSingle = 1008,
  kTunavoPhrase = 1009,
  kTunavoSave = 1010,
};

inline std::wstring TunavoExe() { return DriverFolder() + L"\\Tunavo.exe"; }

inline std::wstring TableFile(const std::wstring& programFiles, const wchar_t* name,
                              int charset = 1, int edition = 0) {
  return DictionaryFolder(programFiles, charset, edition) + name;
}

// A fresh installation of both copies, the first below "Program Files
// (x86)".
inline void InstallBothCopies() {
  RemoveInstallations();
  Require(SetProgramFilesDir(kProgramFilesX86), "could not set ProgramFilesDir");
  Require(InstallFixtures(kProgramFilesX86), "could not install the dictionaries");
  Require(InstallFixtures(kProgramFiles), "could not install the second copy");
}

// The started program and its main dialog.
struct TunavoWindow {
  explicit TunavoWindow(const std::wstring& arguments = std::wstring(),
                        const std::vector<std::wstring>& environment = {})
      : program(TunavoExe(), arguments, std::wstring(), environment) {
    dialog = WaitForDialog(program.pid(), kTunavoTitle);
    Require(dialog != nullptr, "the main dialog did not appear");
    list = ::GetDlgItem(dialog, kTunavoList);
    code = ::GetDlgItem(dialog, kTunavoCode);
  }
  std::vector<std::u16string> Lines() const { return ListLines(list); }
  void Type(std::u16string_view text) { SetFieldText(code, text); }
  void ExpectLines(const std::vector<std::u16string>& expected, const std::string& when) const {
    const std::vector<std::u16string> lines = Lines();
    Expect(lines == expected,
           when + ": the list shows " + Show(lines) + ", expected " + Show(expected));
  }
  // Esc ends the dialog; the program exits with 0.
  void Close() {
    PressKey(code, VK_ESCAPE);
    DWORD exitCode = 1;
    Expect(program.WaitExit(kStepTimeoutMs, &exitCode), "Esc did not end the program");
    Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
  }

  Program program;
  HWND dialog = nullptr;
  HWND list = nullptr;
  HWND code = nullptr;
};

}  // namespace taliq::e2e

#endif  // TALIQ_TESTS_E2E_DRIVER_TUNAVO_WINDOW_H_
