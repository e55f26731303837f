// The message box both dialogs show when a load or a save found saves an
// earlier run did not finish (journal.h) and completed or undid them.
#ifndef TALIQ_PLATFORM_RECOVERY_MESSAGE_H_
#define TALIQ_PLATFORM_RECOVERY_MESSAGE_H_

#include <string>
#include <string_view>

#include "platform/message_box.h"

namespace taliq {

// Its first line; the files and what became of their saves follow.
inline constexpr char16_t kRecoveredSavesHeading[] = u"上次未完成的保存已經處理：";

// The box's flags: OK and the warning icon.
inline constexpr unsigned kRecoveredSavesFlags = kMbOk | kMbIconWarning;

// The heading, a blank line, then `lines` (the recovery notes, one line per
// file, as Recovery::note gives them).
std::u16string RecoveredSavesText(std::string_view lines);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_RECOVERY_MESSAGE_H_
