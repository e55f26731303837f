// The elevated programs load system DLLs from System32 only: each of them,
// started from a folder that also holds a planted uxtheme.dll (the theming
// DLL, loaded on demand when a program creates its first window, and not
// one of the DLLs Windows always takes from System32), shows its window,
// loads System32's uxtheme.dll (read from the process's module list) and
// never the planted one (which leaves a marker file when it is loaded).
//
// Wine prefers its own copy of a system DLL to one in the program's folder;
// run.sh runs the driver, and so the programs it starts, with
// WINEDLLOVERRIDES "uxtheme=n,b", which makes Wine search for uxtheme.dll as
// Windows does, the program's folder first. A control (the driver itself,
// which leaves its search as it is, started from the same folder) shows
// that such a search finds the planted copy; without it the scenario could
// pass because the folder was never searched.
#include <cstdlib>

#include "tests/e2e/driver/dictionary_fixture.h"
#include "tests/e2e/driver/e2e.h"
// Needs <windows.h> (e2e.h) first.
#include <tlhelp32.h>

namespace taliq::e2e {
namespace {

const std::wstring kFolder = L"C:\\e2e-work\\dll-search";
constexpr wchar_t kPlantedName[] = L"uxtheme.dll";
// Written by planted.dll beside itself when a process loads it.
const std::wstring kMarker = kFolder + L"\\planted-dll-loaded.txt";

// A fresh folder with a copy of `program` and planted.dll as uxtheme.dll.
std::wstring PlantBeside(const std::wstring& program) {
  RemoveTree(kFolder);
  MakeFolders(kFolder);
  const std::wstring exe = kFolder + L"\\" + program;
  Require(::CopyFileW((DriverFolder() + L"\\" + program).c_str(), exe.c_str(), FALSE) != 0,
          "could not copy " + Utf8(program));
  Require(::CopyFileW((DriverFolder() + L"\\planted.dll").c_str(),
                      (kFolder + L"\\" + kPlantedName).c_str(), FALSE) != 0,
          "could not plant uxtheme.dll");
  return exe;
}

// The program that loaded the planted DLL, as its marker says.
std::string MarkerProgram() {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(kMarker);
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return Utf8(text);
}

// The paths of the modules the process has loaded, or an empty list and
// a note why.
std::vector<std::wstring> LoadedModules(DWORD pid) {
  std::vector<std::wstring> paths;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) {
    Note("no module list of process " + std::to_string(pid) + " (error " +
         std::to_string(::GetLastError()) + ")");
    return paths;
  }
  MODULEENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Module32FirstW(snapshot, &entry); more;
       more = ::Module32NextW(snapshot, &entry)) {
    paths.push_back(entry.szExePath);
  }
  ::CloseHandle(snapshot);
  return paths;
}

// Those of `paths` whose file is called `name`.
std::vector<std::wstring> Named(const std::vector<std::wstring>& paths, const wchar_t* name) {
  std::vector<std::wstring> found;
  for (const std::wstring& path : paths) {
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (::_wcsicmp(file.c_str(), name) == 0) found.push_back(path);
  }
  return found;
}

// Under user-mode emulation (32-bit Wine on qemu-user, where run.sh sets
// E2E_EMULATED) reading another process's memory fails, and with it the
// module list of another process (error 998); the marker alone tells there.
bool ModuleListsReadable() {
  const char* emulated = std::getenv("E2E_EMULATED");
  return emulated == nullptr || *emulated == '\0';
}

bool IsInSystemFolder(const std::wstring& path) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring expected = std::wstring(system, length) + L"\\" + kPlantedName;
  return length > 0 && ::_wcsicmp(path.c_str(), expected.c_str()) == 0;
}

std::string Show(const std::vector<std::wstring>& paths) {
  std::string out = "[";
  for (size_t i = 0; i < paths.size(); ++i) out += (i > 0 ? ", " : "") + Utf8(paths[i]);
  return out + "]";
}

void ExpectPlantedCopyFound() {
  const std::wstring probe = PlantBeside(L"e2e-driver.exe");
  Program control(probe, std::wstring(L"load-library ") + kPlantedName, kFolder);
  DWORD exitCode = 1;
  Require(control.WaitExit(kStartTimeoutMs, &exitCode), "the control did not exit");
  Require(FileExists(kMarker),
          "a program that leaves its DLL search as it is did not load the planted "
          "uxtheme.dll beside it (exit code " +
              std::to_string(exitCode) +
              "; is WINEDLLOVERRIDES uxtheme=n,b set?): the check of the programs would "
              "tell nothing");
}

struct ProgramCase {
  const wchar_t* exe;
  int closeButton;  // ends the first window the program shows
};

void ExpectSystemCopyOnly(const ProgramCase& c) {
  const std::string name = Utf8(std::wstring(c.exe));
  {
    Program program(PlantBeside(c.exe), L"", kFolder);
    const HWND window = WaitForOtherDialog(program.pid(), {}, kStartTimeoutMs);
    if (window == nullptr) {
      Expect(false, name + " showed no window");
    } else {
      if (ModuleListsReadable()) {
        const std::vector<std::wstring> modules = LoadedModules(program.pid());
        const std::vector<std::wstring> loaded = Named(modules, kPlantedName);
        Expect(loaded.size() == 1 && IsInSystemFolder(loaded[0]),
               name + " with its window open has loaded uxtheme.dll from " + Show(loaded) +
                   ", expected System32's only (" + std::to_string(modules.size()) +
                   " modules: " + Show(modules) + ")");
      } else {
        Note(name + ": no module list under emulation, only the marker is checked");
      }
      ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(c.closeButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(window, c.closeButton)));
      Expect(program.WaitExit(kStepTimeoutMs), name + " did not end");
    }
  }  // a program still running is ended here
  Expect(!FileExists(kMarker),
         name + " loaded the planted uxtheme.dll (marker: " + MarkerProgram() + ")");
}

void DllSearch() {
  // Tunavo.exe opens on an installation without a message; archsetup.exe
  // finds no installer and says so in a message box.
  RemoveInstallations();
  Require(SetProgramFilesDir(kProgramFilesX86), "could not set ProgramFilesDir");
  Require(InstallFixtures(kProgramFilesX86) && InstallFixtures(kProgramFiles),
          "could not install the dictionaries");
  HiddenSystemInstaller hidden;

  ExpectPlantedCopyFound();
  const ProgramCase cases[] = {
      {L"Tunavo.exe", IDCANCEL},
      {L"QevoConfig.exe", IDCANCEL},
      {L"archsetup.exe", IDOK},
  };
  for (const ProgramCase& c : cases) ExpectSystemCopyOnly(c);
}

const RegisterScenario kDllSearchScenarios[] = {{"dll-search-system32", &DllSearch}};

}  // namespace
}  // namespace taliq::e2e
