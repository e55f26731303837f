#include "tests/support/test_platform.h"

#include <stdio.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace taliq::test {
namespace {

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

bool EndsWithAny(const std::string& path, const std::vector<std::string>& patterns) {
  for (const std::string& p : patterns) {
    if (EndsWithPattern(path, p)) return true;
  }
  return false;
}

bool Writes(const char* mode) { return std::strpbrk(mode, "wa+") != nullptr; }

// A stream over `real` that reads and seeks through it but accepts no byte
// written: the disk-full case, which a writer must report as a failure.
std::FILE* FailingWrites(std::FILE* real) {
  cookie_io_functions_t io;
  io.read = [](void* c, char* buf, size_t size) -> ssize_t {
    return static_cast<ssize_t>(std::fread(buf, 1, size, static_cast<std::FILE*>(c)));
  };
  io.write = [](void*, const char*, size_t) -> ssize_t { return -1; };
  io.seek = [](void* c, off64_t* pos, int whence) -> int {
    std::FILE* f = static_cast<std::FILE*>(c);
    if (fseeko(f, *pos, whence) != 0) return -1;
    *pos = ftello(f);
    return 0;
  };
  io.close = [](void* c) -> int { return std::fclose(static_cast<std::FILE*>(c)); };
  std::FILE* wrapped = fopencookie(real, "r+", io);
  if (wrapped == nullptr) std::fclose(real);
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
  if (f != nullptr && writes && EndsWithAny(path, failWrites)) {
    return FileHandle(FailingWrites(f.release()));
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
