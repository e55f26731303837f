// Replacing a file's whole contents without ever leaving it empty or half
// written where the platform lets us avoid it.
#ifndef TALIQ_PLATFORM_REPLACE_FILE_H_
#define TALIQ_PLATFORM_REPLACE_FILE_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Writes `bytes` to `tempPath` (a file in the same folder), flushes and
// closes it, and replaces `path` by it in one step. Where no temporary file
// can be made, or the platform refuses the replace (another process holds
// the file), the file is rewritten in place as the only way left; a write
// that fails there can leave it short. A failed write of the temporary file
// leaves `path` as it was. No temporary file is left behind in any case
// where the platform lets it be removed.
//
// Fails with kNotFound when the folder is missing, kCannotOpen when neither
// file can be opened for writing (error() and the message give the errno of
// the in-place open), or kIoError when a write, flush or close failed. The
// messages name `path`. Narrow paths are text of the system code page; a
// missing folder is told from the open's ENOENT or ENOTDIR there.
Status ReplaceFileContents(Platform* platform, const std::string& path, const std::string& tempPath,
                           std::string_view bytes);
Status ReplaceFileContents(Platform* platform, const std::u16string& path,
                           const std::u16string& tempPath, std::string_view bytes);

// Writes all bytes, flushes and closes; false when any of it failed. The
// handle is closed in every case.
bool WriteAllAndClose(FileHandle file, std::string_view bytes);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_REPLACE_FILE_H_
