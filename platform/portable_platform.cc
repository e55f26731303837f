#include "platform/portable_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/text.h"

namespace taliq {
namespace {

std::optional<std::string> Env(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return std::nullopt;
  return std::string(v);
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` up to ASCII case, exact first
// (unless the caller has just found that missing).
std::optional<std::string> FindEntry(const std::string& dir, const std::string& name,
                                     bool exactMissing = false) {
  const std::string probe = (dir.empty() ? std::string() : dir + "/") + name;
  if (!exactMissing && Exists(probe)) return name;
  // A name without ASCII letters (a numbered folder) has no other spelling.
  if (std::none_of(name.begin(), name.end(),
                   [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); })) {
    return std::nullopt;
  }
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

unsigned CodePageForLocale(std::string_view locale) {
  auto starts = [&](std::string_view p) { return locale.substr(0, p.size()) == p; };
  if (starts("zh_CN") || starts("zh_SG")) return 936;
  if (starts("zh_TW") || starts("zh_HK") || starts("zh_MO")) return 950;
  return 1252;
}

std::string ResolvePathIgnoringCase(const std::string& path) {
  if (path.empty() || Exists(path)) return path;
  // Most often only the last name is missing (a file about to be made, a
  // folder probed for): when its folder exists as spelled, that name is the
  // only one to look up.
  if (const size_t slash = path.rfind('/');
      slash != std::string::npos && slash > 0 && slash + 1 < path.size()) {
    const std::string dir = path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    if (name != "." && name != ".." && Exists(dir)) {
      const std::optional<std::string> match = FindEntry(dir, name, true);
      return dir + "/" + (match ? *match : name);
    }
  }
  std::string resolved = path[0] == '/' ? "/" : "";
  size_t pos = path[0] == '/' ? 1 : 0;
  bool missing = false;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(pos, end - pos);
    if (!part.empty()) {
      std::string dir = resolved;
      if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
      std::optional<std::string> match;
      if (!missing && part != "." && part != "..") match = FindEntry(dir, part);
      if (!match) missing = true;
      if (!resolved.empty() && resolved.back() != '/') resolved += '/';
      resolved += match ? *match : part;
    }
    if (end < path.size() && end + 1 == path.size()) resolved += '/';
    pos = end + 1;
  }
  return resolved;
}

PortablePlatform::PortablePlatform() = default;

bool PortablePlatform::ProgramFilesFolderA(std::string* path) {
  std::optional<std::string> v = programFiles_ ? programFiles_ : Env("PROGRAMFILES");
  if (!v) return false;
  *path = *v;
  return true;
}

bool PortablePlatform::ProgramFilesFolderW(std::u16string* path) {
  std::string narrow;
  if (!ProgramFilesFolderA(&narrow)) return false;
  *path = PathBytesToUtf16(narrow);
  return true;
}

bool PortablePlatform::AppDataFolderW(std::u16string* path) {
  std::optional<std::string> v = appData_ ? appData_ : Env("APPDATA");
  if (!v) return false;
  *path = PathBytesToUtf16(*v);
  return true;
}

bool PortablePlatform::UserDataFolder(std::string* path) {
  if (userData_) {
    *path = *userData_;
    return true;
  }
  // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base
  // directory rules ask.
  if (std::optional<std::string> xdg = Env("XDG_DATA_HOME"); xdg && (*xdg)[0] == '/') {
    *path = *xdg + "/taliq/tunavo";
    return true;
  }
  if (std::optional<std::string> home = Env("HOME")) {
    *path = *home + "/.local/share/taliq/tunavo";
    return true;
  }
  return false;
}

unsigned PortablePlatform::AnsiCodePage() {
  if (codePage_) return *codePage_;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    if (std::optional<std::string> v = Env(name)) return CodePageForLocale(*v);
  }
  return 1252;
}

int PortablePlatform::MessageBox(std::u16string_view text, std::u16string_view caption,
                                 unsigned flags) {
  if (sink_) return sink_(text, caption, flags);
  std::cerr << Utf16ToUtf8(text) << '\n';
  return kIdOk;
}

FileHandle PortablePlatform::OpenFile(const std::string& path, const char* mode) {
  // An existing file opened under its exact name needs no directory scan.
  // Creating modes resolve first, or "wb" would make a second file beside
  // one whose name differs only in case.
  if (std::strpbrk(mode, "wa") == nullptr) {
    if (std::FILE* f = std::fopen(path.c_str(), mode)) return FileHandle(f);
    const int error = errno;
    if (error != ENOENT && error != ENOTDIR) return nullptr;
    // No other spelling: the failed open stands.
    const std::string resolved = ResolvePathIgnoringCase(path);
    if (resolved == path) {
      errno = error;
      return nullptr;
    }
    return FileHandle(std::fopen(resolved.c_str(), mode));
  }
  return FileHandle(std::fopen(ResolvePathIgnoringCase(path).c_str(), mode));
}

FileHandle PortablePlatform::OpenFileW(const std::u16string& path, const char* mode) {
  return OpenFile(Utf16ToPathBytes(path), mode);
}

bool PortablePlatform::Seek(std::FILE* file, std::int64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::int64_t PortablePlatform::FileSize(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  return ftello(file);
}

bool PortablePlatform::ReplaceFile(const std::string& from, const std::string& to) {
  const std::string source = ResolvePathIgnoringCase(from);
  const std::string target = ResolvePathIgnoringCase(to);
  // The new file takes the old one's permissions, and its owner when we
  // may give it; never the set-user or set-group bits, and nothing from
  // what a link at the name points to.
  // Changed through a descriptor of the plain file itself, so that a link
  // put in the new file's place cannot pass the change on to its target.
  struct stat old;
  if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    const int fd = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
              ::fchmod(fd, old.st_mode & 0777) == 0 &&
              (::geteuid() != 0 || ::fchown(fd, old.st_uid, old.st_gid) == 0);
    ::close(fd);
    if (!ok) return false;
  }
  return std::rename(source.c_str(), target.c_str()) == 0;
}

bool PortablePlatform::ReplaceFileW(const std::u16string& from, const std::u16string& to) {
  return ReplaceFile(Utf16ToPathBytes(from), Utf16ToPathBytes(to));
}

bool PortablePlatform::RemoveFile(const std::string& path) {
  return std::remove(ResolvePathIgnoringCase(path).c_str()) == 0;
}

bool PortablePlatform::RemoveFileW(const std::u16string& path) {
  return RemoveFile(Utf16ToPathBytes(path));
}

bool PortablePlatform::IsDirectoryW(const std::u16string& path) {
  struct stat st;
  const std::string p = ResolvePathIgnoringCase(Utf16ToPathBytes(path));
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PortablePlatform::PathExistsW(const std::u16string& path) {
  struct stat st;
  const std::string p = ResolvePathIgnoringCase(Utf16ToPathBytes(path));
  if (::stat(p.c_str(), &st) == 0) return true;
  return errno != ENOENT && errno != ENOTDIR;
}

bool PortablePlatform::CreateDirectoryW(const std::u16string& path) {
  const std::string p = ResolvePathIgnoringCase(Utf16ToPathBytes(path));
  return ::mkdir(p.c_str(), 0777) == 0;
}

bool PortablePlatform::IsDirectory(const std::string& path) {
  return IsDirectoryW(Utf8ToUtf16(path));
}

bool PortablePlatform::CreateDirectory(const std::string& path) {
  return ::mkdir(ResolvePathIgnoringCase(path).c_str(), 0777) == 0;
}

bool PortablePlatform::ListFolder(const std::string& path, std::vector<FolderEntry>* entries) {
  entries->clear();
  DIR* d = ::opendir(path.c_str());
  if (d == nullptr && (errno == ENOENT || errno == ENOTDIR)) {
    d = ::opendir(ResolvePathIgnoringCase(path).c_str());
  }
  if (d == nullptr) return false;
  errno = 0;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name(e->d_name);
    if (name == "." || name == "..") continue;
    bool folder = e->d_type == DT_DIR;
    if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st;
      folder = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    entries->push_back({std::string(name), folder});
    errno = 0;
  }
  const bool complete = errno == 0;
  ::closedir(d);
  if (!complete) entries->clear();
  return complete;
}

std::int64_t PortablePlatform::FileSizeAt(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) return -1;
    if (::stat(ResolvePathIgnoringCase(path).c_str(), &st) != 0) return -1;
  }
  return S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : -1;
}

#ifndef _WIN32
Platform* Platform::Default() {
  static PortablePlatform platform;
  return &platform;
}
#endif

}  // namespace taliq
