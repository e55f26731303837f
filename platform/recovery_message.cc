#include "platform/recovery_message.h"

#include "platform/text.h"

namespace taliq {

std::u16string RecoveredSavesText(std::string_view lines) {
  std::u16string text = kRecoveredSavesHeading;
  text += u"\n\n";
  text += Utf8ToUtf16(lines);
  return text;
}

}  // namespace taliq
