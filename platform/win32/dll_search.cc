#include "platform/win32/dll_search.h"

#include "platform/win32/win32_api.h"

namespace taliq::win32 {

void RestrictDllSearchToSystem32() {
  // Takes the current folder out of the search order; every Windows the
  // programs run on has it.
  ::SetDllDirectoryW(L"");
  // Windows 8 and later (7 with update KB2533623): from now on only
  // System32. Looked up at run time, so that a system without it still
  // starts the program instead of refusing its import.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr) return;
  // Through void (*)(), the generic function pointer type, so that the
  // cast between function types is explicit.
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace taliq::win32
