// The platform's file calls by path type, so that the save routines are
// written once for narrow paths (text of the system code page) and wide
// ones (UTF-16). Internal to platform/.
#ifndef TALIQ_PLATFORM_PATH_OPS_H_
#define TALIQ_PLATFORM_PATH_OPS_H_

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/text.h"

namespace taliq::internal {

template <class Path>
struct PathOps;

template <>
struct PathOps<std::string> {
  static FileHandle Open(Platform* p, const std::string& path, const char* mode) {
    return p->OpenFile(path, mode);
  }
  static FileHandle CreateNew(Platform* p, const std::string& path) {
    return p->CreateNewFile(path);
  }
  static FileHandle OpenForUpdate(Platform* p, const std::string& path) {
    return p->OpenForUpdate(path);
  }
  static bool Replace(Platform* p, const std::string& from, const std::string& to) {
    return p->ReplaceFile(from, to);
  }
  static bool Remove(Platform* p, const std::string& path) { return p->RemoveFile(path); }
  static bool SyncFolder(Platform* p, const std::string& path) { return p->SyncFolder(path); }
  static FileHandle Lock(Platform* p, const std::string& path, int waitMilliseconds) {
    return p->AcquireFileLock(path, waitMilliseconds);
  }
  static bool Unlock(Platform* p, const std::string& path, FileHandle& lock) {
    return p->ReleaseFileLock(path, lock);
  }
  // A narrow path is text of the system code page, which the folder query
  // does not take; a failed open that found part of the path missing says
  // so itself.
  static bool FolderExists(Platform*, const std::string&, int openError) {
    return openError != ENOENT && openError != ENOTDIR;
  }
  static std::string Describe(const std::string& path) { return path; }
  static std::string FromAscii(std::string_view text) { return std::string(text); }
};

template <>
struct PathOps<std::u16string> {
  static FileHandle Open(Platform* p, const std::u16string& path, const char* mode) {
    return p->OpenFileW(path, mode);
  }
  static FileHandle CreateNew(Platform* p, const std::u16string& path) {
    return p->CreateNewFileW(path);
  }
  static FileHandle OpenForUpdate(Platform* p, const std::u16string& path) {
    return p->OpenForUpdateW(path);
  }
  static bool Replace(Platform* p, const std::u16string& from, const std::u16string& to) {
    return p->ReplaceFileW(from, to);
  }
  static bool Remove(Platform* p, const std::u16string& path) { return p->RemoveFileW(path); }
  static bool SyncFolder(Platform* p, const std::u16string& path) { return p->SyncFolderW(path); }
  static FileHandle Lock(Platform* p, const std::u16string& path, int waitMilliseconds) {
    return p->AcquireFileLockW(path, waitMilliseconds);
  }
  static bool Unlock(Platform* p, const std::u16string& path, FileHandle& lock) {
    return p->ReleaseFileLockW(path, lock);
  }
  static bool FolderExists(Platform* p, const std::u16string& path, int) {
    return p->IsDirectoryW(FolderOf(path));
  }
  static std::string Describe(const std::u16string& path) { return Utf16ToUtf8(path); }
  static std::u16string FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
  }

  // The folder a file path names its file in: "." for a bare name, the
  // root for a file in the root.
  static std::u16string FolderOf(const std::u16string& path);
};

// The position just after the last path separator of `path` (0 for a bare
// name). Windows takes "/" as well; elsewhere "\" is part of a name.
template <class Path>
std::size_t NameStart(const Path& path) {
  std::size_t i = path.size();
  while (i > 0) {
    const auto c = path[i - 1];
    if (c == kPathSeparator || (kPathSeparator == '\\' && c == '/')) break;
    --i;
  }
  return i;
}

// `path` with `suffix` appended to its name.
template <class Path>
Path WithSuffix(const Path& path, std::string_view suffix) {
  return path + PathOps<Path>::FromAscii(suffix);
}

// The path of a file beside `path`: prefix + its name + suffix.
template <class Path>
Path Sibling(const Path& path, std::string_view prefix, std::string_view suffix) {
  const std::size_t at = NameStart(path);
  return path.substr(0, at) + PathOps<Path>::FromAscii(prefix) + path.substr(at) +
         PathOps<Path>::FromAscii(suffix);
}

// Reads the rest of an open file; false on a read error.
bool ReadToEnd(Platform* platform, std::FILE* file, std::string* bytes, std::size_t limit);

}  // namespace taliq::internal

#endif  // TALIQ_PLATFORM_PATH_OPS_H_
