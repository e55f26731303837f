// Opening a dictionary file with the reason for a failure.
#ifndef TALIQ_DICTIONARY_OPEN_FILE_H_
#define TALIQ_DICTIONARY_OPEN_FILE_H_

#include <string>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Opens `path` through the platform (modes as fopen). On failure the handle
// is empty and *status says why: kNotFound when nothing of that name exists,
// else kCannotOpen with the OS's reason.
FileHandle OpenDictionaryFile(Platform* platform, const std::string& path, const char* mode,
                              Status* status);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_OPEN_FILE_H_
