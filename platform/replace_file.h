// Replacing a file's whole contents so that it holds either all of the old
// bytes or all of the new ones, whatever stops the process on the way.
#ifndef TALIQ_PLATFORM_REPLACE_FILE_H_
#define TALIQ_PLATFORM_REPLACE_FILE_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Replaces the contents of `path` by `bytes`, after resolving a journal an
// interrupted in-place save left (journal.h; its note is appended to
// `*note` when given). The caller holds the file's lock (file_lock.h).
//
// The bytes go to a temporary file beside `path` under a fresh unique name
// ("~NAME.XXXXXXXX.tmp"), created exclusively (never an existing file,
// never through a link), written, flushed to the disk and closed, and then
// swapped in with Platform::ReplaceFile, which keeps what the old file
// carried (permissions, owner; on Windows its security descriptor). Where
// no temporary file can be made, or the swap is refused (another process
// holds the file), the file is rewritten in place under a rollback journal
// (RewriteInPlace), never by a truncating open.
//
// Ok: `path` holds `bytes`. Otherwise it holds what it held before (or is
// still absent): kNotFound when the folder is missing, kCannotOpen when
// nothing can be opened for writing (error() and the message give the
// errno of the open of `path`), kIoError when a write, flush or close
// failed, and the failures of a recovery. The messages name `path`. No
// temporary file is left behind where the platform lets it be removed.
Status ReplaceFileContents(Platform* platform, const std::string& path, std::string_view bytes,
                           std::string* note = nullptr);
Status ReplaceFileContents(Platform* platform, const std::u16string& path, std::string_view bytes,
                           std::string* note = nullptr);

// Writes all bytes, flushes and closes; false when any of it failed. The
// handle is closed in every case.
bool WriteAllAndClose(FileHandle file, std::string_view bytes);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_REPLACE_FILE_H_
