// archsetup.exe: it starts the Windows Installer with the package for the
// machine's architecture ("Msiexec.exe /package RaraVuzIde_CHT.msi" on
// 64-bit Windows, "...RaraVuzIde_CHT(X86).msi" on 32-bit Windows) and exits
// with 0 at once; when no installer can be started it says so once and
// still exits with 0.
#include <cstdlib>
#include <cstring>

#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {
namespace {

// What archsetup should do on the Windows the test runs on. A 64-bit driver
// runs on 64-bit Windows only; for the 32-bit one run.sh says which Windows
// it set up (E2E_WINDOWS=win32 or win64, the Wine prefix's kind).
struct Expected {
  std::wstring commandLine;
  std::u16string failureMessage;
};

Expected ForThisWindows() {
  const char* windows = std::getenv("E2E_WINDOWS");
  const bool is64 =
      sizeof(void*) == 8 || (windows != nullptr && std::strcmp(windows, "win64") == 0);
  if (is64) return {L"Msiexec.exe /package RaraVuzIde_CHT.msi", u"Can not open X64 Setup.exe"};
  return {L"Msiexec.exe /package RaraVuzIde_CHT(X86).msi", u"Can not open X86 Setup.exe"};
}

const std::wstring kWork = L"C:\\e2e-work\\archsetup";
const std::wstring kCurrent = L"C:\\e2e-work\\current";

// archsetup.exe in a folder of its own, with the stub installer beside it
// when `withInstaller`.
std::wstring PrepareFolder(bool withInstaller) {
  RemoveTree(L"C:\\e2e-work");
  MakeFolders(kWork);
  MakeFolders(kCurrent);
  const std::wstring exe = kWork + L"\\archsetup.exe";
  Require(::CopyFileW((DriverFolder() + L"\\archsetup.exe").c_str(), exe.c_str(), FALSE) != 0,
          "could not copy archsetup.exe");
  if (withInstaller) {
    Require(::CopyFileW((DriverFolder() + L"\\msiexec-stub.exe").c_str(),
                        (kWork + L"\\Msiexec.exe").c_str(), FALSE) != 0,
            "could not copy the stub installer");
  }
  return exe;
}

std::wstring ReadUtf16(const std::wstring& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return text;
}

void StartsInstaller() {
  const std::wstring exe = PrepareFolder(true);
  const std::wstring record = kWork + L"\\msiexec-command-line.txt";
  Program launcher(exe, L"ignored arguments", kCurrent);
  DWORD exitCode = 1;
  Require(launcher.WaitExit(kStepTimeoutMs, &exitCode), "archsetup did not exit");
  const bool installerStillRunning = !FileExists(kWork + L"\\msiexec-finished.txt");
  Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
  Require(WaitUntil([&] { return !ReadUtf16(record).empty(); }, kStepTimeoutMs),
          "the installer was not started");
  Expect(installerStillRunning, "archsetup waited for the installer");
  const std::wstring seen = ReadUtf16(record);
  const std::wstring commandLine = seen.substr(0, seen.find(L'\n'));
  const std::wstring folder = seen.substr(seen.find(L'\n') + 1);
  Expect(commandLine == ForThisWindows().commandLine,
         "the installer's command line is \"" + Utf8(commandLine) + "\"");
  Expect(folder == kCurrent,
         "the installer runs in \"" + Utf8(folder) + "\", not in the launcher's current folder");
  // The stub ends by itself; wait for it so that the next scenario starts
  // from a clean folder.
  WaitUntil([&] { return FileExists(kWork + L"\\msiexec-finished.txt"); }, kStepTimeoutMs);
}

void StartFails() {
  const std::wstring exe = PrepareFolder(false);
  HiddenSystemInstaller hidden;
  Program launcher(exe, L"", kCurrent);
  const HWND box = WaitForOtherDialog(launcher.pid(), {}, kStartTimeoutMs);
  Require(box != nullptr, "no message when the installer cannot be started");
  const MessageBoxSeen seen = ReadMessageBox(box);
  Expect(seen.text == ForThisWindows().failureMessage, "the message reads " + Show(seen.text));
  Expect(seen.caption == u"Error", "the caption reads " + Show(seen.caption));
  Expect(launcher.Running(), "archsetup did not wait for the message to be dismissed");
  Expect(DismissMessageBox(box), "the message did not close");
  DWORD exitCode = 1;
  Require(launcher.WaitExit(kStepTimeoutMs, &exitCode), "archsetup did not exit after the message");
  Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
}

const RegisterScenario kArchsetupScenarios[] = {
    {"archsetup-starts-installer", &StartsInstaller},
    {"archsetup-start-fails", &StartFails},
};

}  // namespace
}  // namespace taliq::e2e
