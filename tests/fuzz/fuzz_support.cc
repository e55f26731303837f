#include "tests/fuzz/fuzz_support.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace taliq::fuzz {

void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

const std::string& ScratchFolder() {
  // Never destroyed: the exit handler that removes the folder needs it.
  static const std::string* const folder = [] {
    // In memory where the system offers it: the harnesses that write files
    // run many thousand times.
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    auto* tmpl = new std::string((base / "taliq-fuzz-XXXXXX").string());
    if (::mkdtemp(tmpl->data()) == nullptr) Fail(__FILE__, __LINE__, "mkdtemp");
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(ScratchFolder(), ec);
    });
    return tmpl;
  }();
  return *folder;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail(__FILE__, __LINE__, "writing a scratch file");
}

}  // namespace taliq::fuzz
