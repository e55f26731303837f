// Writes that survive a crash: an append that is on the disk when it
// returns, and a whole-file replace that leaves either the old or the new
// contents, never a mixture.
#ifndef TALIQ_ORDERS_DURABLE_FILE_H_
#define TALIQ_ORDERS_DURABLE_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Appends `bytes` to the file (created when missing) in one write, then
// flushes and syncs it to the disk. When the file does not end with a line
// break (a line torn by an earlier crash), a line break is written first so
// that the torn line stays a line of its own.
Status AppendDurably(Platform* platform, const std::string& path, std::string_view bytes);

// Writes `bytes` to `path` + ".tmp", syncs it and renames it over `path`.
// The old file stays as it was on every failure (the temporary file is
// removed); there is no in-place fallback.
Status WriteFileAtomically(Platform* platform, const std::string& path, std::string_view bytes);

// The whole file, which must not be larger than `maxBytes` (kCorruption
// when it is). kNotFound when it cannot be opened because it is missing.
Status ReadSmallFile(Platform* platform, const std::string& path, std::size_t maxBytes,
                     std::string* bytes);

}  // namespace taliq

#endif  // TALIQ_ORDERS_DURABLE_FILE_H_
