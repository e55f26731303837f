// A DLL that reports being loaded: when a process loads it, it writes
// "planted-dll-loaded.txt" beside itself, holding the path of the process's
// program (UTF-16). The dll-search scenario puts it beside the programs
// under the name of a system DLL they load on demand.
#include "platform/win32/win32_api.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameW(self, marker, MAX_PATH);
  while (length > 0 && marker[length - 1] != L'\\') --length;
  static constexpr wchar_t kName[] = L"planted-dll-loaded.txt";
  if (length + sizeof(kName) / sizeof(kName[0]) > MAX_PATH) return TRUE;
  for (size_t i = 0; i < sizeof(kName) / sizeof(kName[0]); ++i) marker[length + i] = kName[i];

  wchar_t program[MAX_PATH] = {};
  const DWORD programLength = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  const HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, program, programLength * sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
  }
  return TRUE;
}
