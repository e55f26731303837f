// archsetup.exe: on 64-bit Wine it starts "Msiexec.exe /package
// RaraVuzIde_CHT.msi" and exits with 0 at once; when no installer can be
// started it says so once and still exits with 0.
#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {
namespace {

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
  Expect(commandLine == L"Msiexec.exe /package RaraVuzIde_CHT.msi",
         "the installer's command line is \"" + Utf8(commandLine) + "\"");
  Expect(folder == kCurrent, "the installer runs in \"" + Utf8(folder) +
                                 "\", not in the launcher's current folder");
  // The stub ends by itself; wait for it so that the next scenario starts
  // from a clean folder.
  WaitUntil([&] { return FileExists(kWork + L"\\msiexec-finished.txt"); }, kStepTimeoutMs);
}

// The system's own Msiexec.exe, moved aside while a scenario runs.
class HiddenSystemInstaller {
 public:
  HiddenSystemInstaller() {
    for (const wchar_t* folder : {L"C:\\windows\\system32", L"C:\\windows\\syswow64"}) {
      const std::wstring path = std::wstring(folder) + L"\\msiexec.exe";
      if (FileExists(path) && ::MoveFileW(path.c_str(), (path + L".hidden").c_str()) != 0) {
        moved_.push_back(path);
      }
    }
  }
  ~HiddenSystemInstaller() {
    for (const std::wstring& path : moved_) ::MoveFileW((path + L".hidden").c_str(), path.c_str());
  }

 private:
  std::vector<std::wstring> moved_;
};

void StartFails() {
  const std::wstring exe = PrepareFolder(false);
  HiddenSystemInstaller hidden;
  Program launcher(exe, L"", kCurrent);
  const HWND box = WaitForOtherDialog(launcher.pid(), {}, kStartTimeoutMs);
  Require(box != nullptr, "no message when the installer cannot be started");
  const MessageBoxSeen seen = ReadMessageBox(box);
  Expect(seen.text == u"Can not open X64 Setup.exe", "the message reads " + Show(seen.text));
  Expect(seen.caption == u"Error", "the caption reads " + Show(seen.caption));
  Expect(launcher.Running(), "archsetup did not wait for the message to be dismissed");
  Expect(DismissMessageBox(box), "the message did not close");
  DWORD exitCode = 1;
  Require(launcher.WaitExit(kStepTimeoutMs, &exitCode), "archsetup did not exit after the message");
  Expect(exitCode == 0, "exit code " + std::to_string(exitCode));
}

const RegisterScenario kRegistered[] = {
    {"archsetup-starts-installer", &StartsInstaller},
    {"archsetup-start-fails", &StartFails},
};

}  // namespace
}  // namespace taliq::e2e
