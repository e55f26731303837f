// Where the Windows programs load DLLs from.
#ifndef TALIQ_PLATFORM_WIN32_DLL_SEARCH_H_
#define TALIQ_PLATFORM_WIN32_DLL_SEARCH_H_

namespace taliq::win32 {

// Restricts every later DLL load of this process that names no full path
// to the System32 folder. The programs run with administrator rights from
// whatever folder the user unzipped them into; a DLL lying beside them or in
// the current folder (a download folder holds anything) must never be
// loaded in place of a system DLL that Windows or the framework loads on
// demand. Call it first in the program's entry point.
//
// It cannot reach what the loader resolved before the entry point: the
// programs' imports and theirs. The programs import known system DLLs only
// (kernel32, user32, gdi32, shell32, ole32, msvcrt), which Windows always
// takes from System32; QevoConfig.exe loads comctl32 after this call.
void RestrictDllSearchToSystem32();

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_DLL_SEARCH_H_
