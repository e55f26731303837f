#include "freqtool/win/file_dialogs.h"

#include <commdlg.h>

#include <vector>

namespace taliq {
namespace {

// Pairs of description and pattern, each ending in a null, the list in a
// second null.
constexpr wchar_t kFilter[] = L"調頻記錄 (*.tsv;*.txt)\0*.tsv;*.txt\0所有檔案 (*.*)\0*.*\0";

constexpr DWORD kPathUnits = 32768;

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

// comdlg32 is loaded on first use, not imported: the program restricts its
// DLL search to System32 first thing, and an imported comdlg32 would have
// its own imports (comctl32, uxtheme.dll) looked for beside the program
// before that.
FileDialogFunction FileDialog(const char* name) {
  static const HMODULE comdlg32 = ::LoadLibraryW(L"comdlg32.dll");
  if (comdlg32 == nullptr) return nullptr;
  return reinterpret_cast<FileDialogFunction>(
      reinterpret_cast<void (*)()>(::GetProcAddress(comdlg32, name)));
}

OPENFILENAMEW Dialog(HWND owner, std::vector<wchar_t>& buffer) {
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrDefExt = L"tsv";
  return ofn;
}

}  // namespace

bool AskSaveOrdersFile(HWND owner, std::u16string_view suggestedName, std::u16string* path) {
  std::vector<wchar_t> buffer(kPathUnits, L'\0');
  for (std::size_t i = 0; i < suggestedName.size() && i + 1 < buffer.size(); ++i) {
    buffer[i] = static_cast<wchar_t>(suggestedName[i]);
  }
  OPENFILENAMEW ofn = Dialog(owner, buffer);
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  const FileDialogFunction getSaveFileName = FileDialog("GetSaveFileNameW");
  if (getSaveFileName == nullptr || !getSaveFileName(&ofn)) return false;
  *path = win32::U16(buffer.data());
  return true;
}

bool AskOpenOrdersFile(HWND owner, std::u16string* path) {
  std::vector<wchar_t> buffer(kPathUnits, L'\0');
  OPENFILENAMEW ofn = Dialog(owner, buffer);
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  const FileDialogFunction getOpenFileName = FileDialog("GetOpenFileNameW");
  if (getOpenFileName == nullptr || !getOpenFileName(&ofn)) return false;
  *path = win32::U16(buffer.data());
  return true;
}

}  // namespace taliq
