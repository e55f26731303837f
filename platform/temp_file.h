// Temporary files beside the file they will replace: fresh names, created
// exclusively, so that a planted file or link at the name is never written
// through.
#ifndef TALIQ_PLATFORM_TEMP_FILE_H_
#define TALIQ_PLATFORM_TEMP_FILE_H_

#include <string>

#include "platform/platform.h"

namespace taliq {

// Eight hexadecimal digits that differ from call to call and from process
// to process (time, a counter and the stack's address mixed).
std::string UniqueHex();

// Creates a new file beside `path` named "~NAME.XXXXXXXX.tmp" (UniqueHex),
// never opening an existing file or following a link; a few names are
// tried when one is taken. Null when none could be made, errno then set by
// the last attempt. `*temp` names the file made (or the last name tried).
FileHandle CreateTempSibling(Platform* platform, const std::string& path, std::string* temp);
FileHandle CreateTempSibling(Platform* platform, const std::u16string& path, std::u16string* temp);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_TEMP_FILE_H_
