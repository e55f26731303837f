// Poses for screenshots: `e2e-driver.exe pose NAME` opens a program on the
// installation already in place, brings the window NAME shows into view,
// prints "RECT x y width height" (screen pixels) and "READY", and keeps the
// program open until the file C:\e2e\pose-done exists (at most 60 s).
#include <cstdio>
#include <cstring>

#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {
namespace {

void Ready(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  std::printf("RECT %ld %ld %ld %ld\nREADY\n", rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  std::fflush(stdout);
  const std::wstring done = DriverFolder() + L"\\pose-done";
  WaitUntil([&] { return FileExists(done); }, 60000);
  ::DeleteFileW(done.c_str());
}

// The main dialog with a list: code 6010, its third line moved to the top.
HWND TunavoWithList(Program& program) {
  const HWND dialog = WaitForDialog(program.pid(), u"Taliq輸入法TSF調頻程序");
  Require(dialog != nullptr, "no Tunavo dialog");
  SetFieldText(::GetDlgItem(dialog, 1001), u"6010");
  SelectLine(::GetDlgItem(dialog, 1000), 2);
  ClickQuietly(program.pid(), dialog, 1004);
  return dialog;
}

void PoseTunavo(bool about) {
  Program program(DriverFolder() + L"\\Tunavo.exe", L"");
  const HWND dialog = TunavoWithList(program);
  if (!about) return Ready(dialog);
  ::PostMessageW(dialog, WM_SYSCOMMAND, 0x0010, 0);
  const HWND box = WaitForDialog(program.pid(), u"關于 Taliq輸入法TSF調頻程序");
  Require(box != nullptr, "no Tunavo About box");
  Ready(box);
}

void PoseQevoConfig(bool about) {
  Program program(DriverFolder() + L"\\QevoConfig.exe", L"");
  const std::u16string caption = ::GetACP() == 936 ? u"Taliq输入法设置" : u"Taliq輸入法TSF設定";
  const HWND dialog = WaitForDialog(program.pid(), caption);
  Require(dialog != nullptr, "no QevoConfig dialog");
  if (!about) return Ready(dialog);
  ::PostMessageW(dialog, WM_SYSCOMMAND, 0x0010, 0);
  const HWND box = WaitForDialog(program.pid(), u"關于 Taliq輸入法TSF設定程序");
  Require(box != nullptr, "no QevoConfig About box");
  Ready(box);
}

}  // namespace

int RunPose(const char* name) {
  try {
    if (std::strcmp(name, "tunavo") == 0) {
      PoseTunavo(false);
    } else if (std::strcmp(name, "tunavo-about") == 0) {
      PoseTunavo(true);
    } else if (std::strcmp(name, "qevoconfig") == 0) {
      PoseQevoConfig(false);
    } else if (std::strcmp(name, "qevoconfig-about") == 0) {
      PoseQevoConfig(true);
    } else {
      std::printf("no such pose\n");
      return 2;
    }
  } catch (const ScenarioAbort&) {
    return 1;
  }
  return Failures().empty() ? 0 : 1;
}

}  // namespace taliq::e2e
