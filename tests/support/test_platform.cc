#include "tests/support/test_platform.h"

#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace taliq::test {

// Whether `path` ends with `pattern`, where a "*" in the pattern stands
// for any run of characters other than "/".
bool EndsWithPattern(std::string_view path, std::string_view pattern) {
  if (pattern.empty()) return true;
  const size_t star = pattern.rfind('*');
  if (star == std::string_view::npos) {
    return path.size() >= pattern.size() &&
           path.compare(path.size() - pattern.size(), pattern.size(), pattern) == 0;
  }
  const std::string_view tail = pattern.substr(star + 1);
  if (!EndsWithPattern(path, tail)) return false;
  path.remove_suffix(tail.size());
  const std::string_view head = pattern.substr(0, star);
  // The star takes as few characters as needed, never a "/".
  for (size_t taken = 0; taken <= path.size(); ++taken) {
    if (EndsWithPattern(path.substr(0, path.size() - taken), head)) return true;
    if (taken < path.size() && path[path.size() - taken - 1] == '/') break;
  }
  return false;
}

namespace {

bool EndsWithAny(const std::string& path, const std::vector<std::string>& patterns) {
  for (const std::string& p : patterns) {
    if (EndsWithPattern(path, p)) return true;
  }
  return false;
}

bool Writes(const char* mode) { return std::strpbrk(mode, "wa+") != nullptr; }

// A stream over a real one that reads and seeks through it, writes at most
// `room` bytes of it (then every write fails, as on a full disk), and
// reports a failed close when `failClose` (after closing the real stream).
struct Cookie {
  std::FILE* real;
  std::size_t room;
  bool failClose;
};

std::FILE* Wrapped(std::FILE* real, std::size_t room, bool failClose) {
  cookie_io_functions_t io;
  io.read = [](void* c, char* buf, size_t size) -> ssize_t {
    return static_cast<ssize_t>(std::fread(buf, 1, size, static_cast<Cookie*>(c)->real));
  };
  io.write = [](void* c, const char* buf, size_t size) -> ssize_t {
    Cookie* cookie = static_cast<Cookie*>(c);
    const size_t n = std::min(size, cookie->room);
    if (n == 0) {
      errno = ENOSPC;
      return -1;
    }
    const size_t written = std::fwrite(buf, 1, n, cookie->real);
    cookie->room -= written;
    return written == 0 ? -1 : static_cast<ssize_t>(written);
  };
  io.seek = [](void* c, off64_t* pos, int whence) -> int {
    std::FILE* f = static_cast<Cookie*>(c)->real;
    if (fseeko(f, *pos, whence) != 0) return -1;
    *pos = ftello(f);
    return 0;
  };
  io.close = [](void* c) -> int {
    Cookie* cookie = static_cast<Cookie*>(c);
    const bool closed = std::fclose(cookie->real) == 0;
    const bool fail = cookie->failClose;
    delete cookie;
    return closed && !fail ? 0 : -1;
  };
  auto* cookie = new Cookie{real, room, failClose};
  std::FILE* wrapped = fopencookie(cookie, "r+", io);
  if (wrapped == nullptr) {
    std::fclose(real);
    delete cookie;
  }
  return wrapped;
}

}  // namespace

TestPlatform::TestPlatform() {
  SetCodePage(1252);
  SetUserDataFolder(dataTree_.Join("taliq/tunavo"));
  SetMessageSink([this](std::u16string_view text, std::u16string_view caption, unsigned flags) {
    messages.push_back({std::u16string(text), std::u16string(caption), flags});
    return kIdOk;
  });
}

bool TestPlatform::ProgramFilesFolderA(std::string* path) {
  return !failProgramFiles && PortablePlatform::ProgramFilesFolderA(path);
}

bool TestPlatform::ProgramFilesFolderW(std::u16string* path) {
  return !failProgramFiles && PortablePlatform::ProgramFilesFolderW(path);
}

bool TestPlatform::AppDataFolderW(std::u16string* path) {
  return !failAppData && PortablePlatform::AppDataFolderW(path);
}

bool TestPlatform::UserDataFolder(std::string* path) {
  return !failUserData && PortablePlatform::UserDataFolder(path);
}

FileHandle TestPlatform::Injected(const std::string& path, bool writes,
                                  const std::function<FileHandle()>& open) {
  if (EndsWithAny(path, failOpen) || (writes && EndsWithAny(path, failOpenForWrite))) {
    errno = EACCES;
    return nullptr;
  }
  FileHandle f = open();
  if (f == nullptr || !writes) return f;
  const bool noRoom = EndsWithAny(path, failWrites);
  const bool cut = EndsWithAny(path, cutWrites);
  const bool closeFails = EndsWithAny(path, failClose);
  if (noRoom || cut || closeFails) {
    const size_t room = noRoom ? 0 : cut ? cutWritesAfter : SIZE_MAX;
    return FileHandle(Wrapped(f.release(), room, closeFails));
  }
  return f;
}

FileHandle TestPlatform::OpenFile(const std::string& path, const char* mode) {
  opened.push_back(path);
  return Injected(path, Writes(mode), [&] { return PortablePlatform::OpenFile(path, mode); });
}

FileHandle TestPlatform::CreateNewFile(const std::string& path) {
  opened.push_back(path);
  return Injected(path, true, [&] { return PortablePlatform::CreateNewFile(path); });
}

FileHandle TestPlatform::OpenForUpdate(const std::string& path) {
  opened.push_back(path);
  return Injected(path, true, [&] { return PortablePlatform::OpenForUpdate(path); });
}

bool TestPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  return !refuseReplace && PortablePlatform::ReplaceFile(from, to);
}

bool TestPlatform::SyncFile(std::FILE* file) {
  return syncToDisk ? PortablePlatform::SyncFile(file) : std::fflush(file) == 0;
}

bool TestPlatform::SyncFolder(const std::string& path) {
  return !syncToDisk || PortablePlatform::SyncFolder(path);
}

}  // namespace taliq::test
