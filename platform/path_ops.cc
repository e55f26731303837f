#include "platform/path_ops.h"

namespace taliq::internal {

std::u16string PathOps<std::u16string>::FolderOf(const std::u16string& path) {
  std::size_t end = NameStart(path);
  if (end == 0) return u".";
  // Separators before the name, but not the one of a root.
  const auto isSeparator = [](char16_t c) {
    return c == kPathSeparator || (kPathSeparator == '\\' && c == '/');
  };
  while (end > 1 && isSeparator(path[end - 2])) --end;
  return path.substr(0, end == 1 ? 1 : end - 1);
}

bool ReadToEnd(Platform* platform, std::FILE* file, std::string* bytes, std::size_t limit) {
  char buffer[16384];
  for (;;) {
    std::size_t got = 0;
    const bool ok = platform->Read(file, buffer, sizeof(buffer), &got);
    if (bytes->size() + got > limit) {
      errno = EFBIG;
      return false;
    }
    bytes->append(buffer, got);
    if (!ok) return false;
    if (got < sizeof(buffer)) return true;
  }
}

}  // namespace taliq::internal
