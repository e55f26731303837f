// The standard Open and Save dialogs (comdlg32) for an orders file.
#ifndef TALIQ_FREQTOOL_WIN_FILE_DIALOGS_H_
#define TALIQ_FREQTOOL_WIN_FILE_DIALOGS_H_

#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"

namespace taliq {

// GetSaveFileNameW over `owner`, suggesting `suggestedName` and asking
// before a file is replaced; true with the chosen path.
bool AskSaveOrdersFile(HWND owner, std::u16string_view suggestedName, std::u16string* path);
// GetOpenFileNameW over `owner` for an existing file; true with its path.
bool AskOpenOrdersFile(HWND owner, std::u16string* path);

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_WIN_FILE_DIALOGS_H_
