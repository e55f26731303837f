#include "dictionary/open_file.h"

#include <cerrno>

namespace taliq {

Status OpenFailure(const std::string& path, int error) {
  if (error == ENOENT || error == ENOTDIR) return Status::NotFound(path);
  return Status::CannotOpen(path, error != 0 ? ErrnoText(error) : "refused");
}

}  // namespace taliq
