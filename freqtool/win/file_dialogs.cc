#include "freqtool/win/file_dialogs.h"

#include <commdlg.h>

#include <vector>

namespace taliq {
namespace {

// Pairs of description and pattern, each ending in a null, the list in a
// second null.
constexpr wchar_t kFilter[] = L"調頻記錄 (*.tsv;*.txt)\0*.tsv;*.txt\0所有檔案 (*.*)\0*.*\0";

constexpr DWORD kPathUnits = 32768;

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
  if (!::GetSaveFileNameW(&ofn)) return false;
  *path = win32::U16(buffer.data());
  return true;
}

bool AskOpenOrdersFile(HWND owner, std::u16string* path) {
  std::vector<wchar_t> buffer(kPathUnits, L'\0');
  OPENFILENAMEW ofn = Dialog(owner, buffer);
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameW(&ofn)) return false;
  *path = win32::U16(buffer.data());
  return true;
}

}  // namespace taliq
