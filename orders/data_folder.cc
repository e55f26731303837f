#include "orders/data_folder.h"

#include <cerrno>
#include <vector>

namespace taliq {
namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !IsSeparator(path.back())) path += kPathSeparator;
  path += name;
  return path;
}

Status EnsureFolder(Platform* platform, const std::string& folder) {
  if (folder.empty()) return Status::Refused("a folder with an empty name cannot be created");
  // Walk up to the nearest folder that exists, then create downwards.
  std::vector<std::string> missing;
  std::string path = folder;
  while (!path.empty()) {
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    if (platform->IsDirectory(path)) break;
    missing.push_back(path);
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    // The root ("/") has no parent to walk to.
    if (cut <= 1) break;
    path.resize(cut - 1);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    errno = 0;
    if (platform->CreateDirectory(*it)) continue;
    const int error = errno;
    // Made meanwhile by someone else: as good as made here.
    if (platform->IsDirectory(*it)) continue;
    return Status::IoError(
        *it, "cannot create the folder: " + (error != 0 ? ErrnoText(error) : "refused"));
  }
  return Status::Ok();
}

Status EnsureUserDataFolder(Platform* platform, std::string* folder) {
  if (!platform->UserDataFolder(folder) || folder->empty()) {
    return Status::NotFound("the user data folder");
  }
  return EnsureFolder(platform, *folder);
}

}  // namespace taliq
