#include "platform/replace_file.h"

#include <cerrno>

#include "platform/text.h"

namespace taliq {

namespace {

bool IsSeparator(char16_t c) {
  // Windows takes both; elsewhere "\" is an ordinary character of a name.
  return c == kPathSeparator || (kPathSeparator == '\\' && c == '/');
}

// The folder a file path names its file in: "." for a bare name, the root
// for a file in the root.
std::u16string FolderOf(const std::u16string& path) {
  size_t end = path.size();
  while (end > 0 && !IsSeparator(path[end - 1])) --end;
  if (end == 0) return u".";
  while (end > 1 && IsSeparator(path[end - 2])) --end;
  return path.substr(0, end == 1 ? 1 : end - 1);
}

// Narrow and wide paths meet the platform through the same calls.
struct NarrowPaths {
  Platform* p;
  FileHandle Open(const std::string& path, const char* mode) { return p->OpenFile(path, mode); }
  bool Replace(const std::string& from, const std::string& to) { return p->ReplaceFile(from, to); }
  void Remove(const std::string& path) { p->RemoveFile(path); }
  // A narrow path is text of the system code page, which the folder query
  // does not take; a create that fails for a missing part of the path says
  // so itself.
  bool FolderExists(const std::string&, int openError) {
    return openError != ENOENT && openError != ENOTDIR;
  }
  static std::string Describe(const std::string& path) { return path; }
};

struct WidePaths {
  Platform* p;
  FileHandle Open(const std::u16string& path, const char* mode) { return p->OpenFileW(path, mode); }
  bool Replace(const std::u16string& from, const std::u16string& to) {
    return p->ReplaceFileW(from, to);
  }
  void Remove(const std::u16string& path) { p->RemoveFileW(path); }
  bool FolderExists(const std::u16string& path, int) { return p->IsDirectoryW(FolderOf(path)); }
  static std::string Describe(const std::u16string& path) { return Utf16ToUtf8(path); }
};

template <class Paths, class Path>
Status WriteInPlace(Paths paths, const Path& path, std::string_view bytes) {
  errno = 0;
  FileHandle f = paths.Open(path, "wb");
  if (f == nullptr) {
    const int error = errno;
    if (!paths.FolderExists(path, error)) return Status::NotFound(Paths::Describe(path));
    return Status::CannotOpen(Paths::Describe(path), error);
  }
  if (!WriteAllAndClose(std::move(f), bytes)) {
    return Status::IoError(Paths::Describe(path), "write failed");
  }
  return Status::Ok();
}

template <class Paths, class Path>
Status Replace(Paths paths, const Path& path, const Path& temp, std::string_view bytes) {
  FileHandle f = paths.Open(temp, "wb");
  // Where no file can be made beside it, the file itself may still be
  // writable.
  if (f == nullptr) return WriteInPlace(paths, path, bytes);
  if (!WriteAllAndClose(std::move(f), bytes)) {
    // The old file is still whole; rewriting it in place now would risk it.
    paths.Remove(temp);
    return Status::IoError(Paths::Describe(path),
                           "write failed (temporary file " + Paths::Describe(temp) + ")");
  }
  if (paths.Replace(temp, path)) return Status::Ok();
  paths.Remove(temp);
  return WriteInPlace(paths, path, bytes);
}

}  // namespace

bool WriteAllAndClose(FileHandle file, std::string_view bytes) {
  std::FILE* f = file.get();
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = !std::ferror(f) && ok;
  return CloseFile(file) && ok;
}

Status ReplaceFileContents(Platform* platform, const std::string& path, const std::string& tempPath,
                           std::string_view bytes) {
  return Replace(NarrowPaths{platform}, path, tempPath, bytes);
}

Status ReplaceFileContents(Platform* platform, const std::u16string& path,
                           const std::u16string& tempPath, std::string_view bytes) {
  return Replace(WidePaths{platform}, path, tempPath, bytes);
}

}  // namespace taliq
