#include "tests/support/test_platform.h"

#include <stdio.h>

#include <cstring>

namespace taliq::test {
namespace {

bool EndsWithAny(const std::string& path, const std::vector<std::string>& suffixes) {
  for (const std::string& s : suffixes) {
    if (path.size() >= s.size() && path.compare(path.size() - s.size(), s.size(), s) == 0) {
      return true;
    }
  }
  return false;
}

bool Writes(const char* mode) {
  return std::strpbrk(mode, "wa+") != nullptr;
}

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

FileHandle TestPlatform::OpenFile(const std::string& path, const char* mode) {
  opened.push_back(path);
  if (EndsWithAny(path, failOpen)) return nullptr;
  if (Writes(mode) && EndsWithAny(path, failOpenForWrite)) return nullptr;
  FileHandle f = PortablePlatform::OpenFile(path, mode);
  if (f != nullptr && Writes(mode) && EndsWithAny(path, failWrites)) {
    return FileHandle(FailingWrites(f.release()));
  }
  return f;
}

bool TestPlatform::ReplaceFile(const std::string& from, const std::string& to) {
  return !refuseReplace && PortablePlatform::ReplaceFile(from, to);
}

}  // namespace taliq::test
