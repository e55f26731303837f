#include "dictionary/open_file.h"

#include <cerrno>

namespace taliq {

FileHandle OpenDictionaryFile(Platform* platform, const std::string& path, const char* mode,
                              Status* status) {
  errno = 0;
  FileHandle f = platform->OpenFile(path, mode);
  if (f != nullptr) return f;
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR) {
    *status = Status::NotFound(path);
  } else {
    *status = Status::CannotOpen(path, error != 0 ? ErrnoText(error) : "refused");
  }
  return f;
}

}  // namespace taliq
