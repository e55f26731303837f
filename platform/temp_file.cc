#include "platform/temp_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/path_ops.h"

namespace taliq {
namespace {

// Names tried before giving up: each collides only with a file of the same
// 32 random-looking bits.
constexpr int kTempNameAttempts = 8;

template <class Path>
FileHandle CreateSibling(Platform* p, const Path& path, Path* temp) {
  FileHandle f;
  for (int attempt = 0; attempt < kTempNameAttempts && f == nullptr; ++attempt) {
    *temp = internal::Sibling(path, "~", "." + UniqueHex() + ".tmp");
    errno = 0;
    f = internal::PathOps<Path>::CreateNew(p, *temp);
    if (f == nullptr && errno != EEXIST) break;
  }
  return f;
}

}  // namespace

std::string UniqueHex() {
  static std::uint64_t counter = 0;
  int local = 0;
  std::uint64_t x =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (++counter * 0x9E3779B97F4A7C15ull) ^
      static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&local));
  // splitmix64's finaliser spreads every input bit over the output.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(8, '0');
  for (int i = 0; i < 8; ++i) hex[static_cast<std::size_t>(i)] = kDigits[(x >> (4 * i)) & 0xF];
  return hex;
}

FileHandle CreateTempSibling(Platform* platform, const std::string& path, std::string* temp) {
  return CreateSibling(platform, path, temp);
}

FileHandle CreateTempSibling(Platform* platform, const std::u16string& path, std::u16string* temp) {
  return CreateSibling(platform, path, temp);
}

}  // namespace taliq
