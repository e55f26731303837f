// Files read and copied through one fixed buffer, whatever their size, with
// their SHA-256 taken on the way.
#ifndef TALIQ_ORDERS_FILE_COPY_H_
#define TALIQ_ORDERS_FILE_COPY_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "orders/sha256.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Bytes read or written per step.
inline constexpr std::size_t kCopyBufferSize = 64 * 1024;

struct FileDigest {
  std::int64_t size = 0;
  Sha256Digest sha256{};

  friend bool operator==(const FileDigest&, const FileDigest&) = default;
};

// Size and SHA-256 of the file. kNotFound when it is missing.
Status DigestFile(Platform* platform, const std::string& path, FileDigest* digest);

// Copies `from` to a fresh file beside `to`, syncs it to the disk and reads
// it back, then renames it over `to`: kCorruption when its digest is not
// that of the bytes read from `from`. On every failure `to` is left as it
// was and the copy removed. `digest` receives the source's size and digest.
Status CopyFileVerified(Platform* platform, const std::string& from, const std::string& to,
                        FileDigest* digest);

}  // namespace taliq

#endif  // TALIQ_ORDERS_FILE_COPY_H_
