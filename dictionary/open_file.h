// Opening a dictionary file with the reason for a failure.
#ifndef TALIQ_DICTIONARY_OPEN_FILE_H_
#define TALIQ_DICTIONARY_OPEN_FILE_H_

#include <cerrno>
#include <string>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Opens `path` through the platform (modes as fopen). On failure the handle
// is empty and *status says why (OpenFailure, platform/status.h).
inline FileHandle OpenDictionaryFile(Platform* platform, const std::string& path, const char* mode,
                                     Status* status) {
  errno = 0;  // a platform that refuses without the C library leaves none
  FileHandle f = platform->OpenFile(path, mode);
  if (f == nullptr) *status = OpenFailure(path, errno);
  return f;
}

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_OPEN_FILE_H_
