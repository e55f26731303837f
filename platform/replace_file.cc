#include "platform/replace_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/journal.h"
#include "platform/path_ops.h"

namespace taliq {
namespace {

using internal::PathOps;

// Names tried before giving up on a temporary file: each collides only
// with a file of the same 32 random-looking bits.
constexpr int kTempNameAttempts = 8;

// Eight hexadecimal digits that differ from call to call and from process
// to process (time, a counter and the stack's address mixed).
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

template <class Path>
Status Replace(Platform* p, const Path& path, std::string_view bytes, std::string* note) {
  using Ops = PathOps<Path>;
  const Recovery recovery = RecoverInterruptedSave(p, path);
  AppendRecoveryNote(recovery, note);
  if (!recovery.status.ok()) return recovery.status;

  const InPlaceEdit inPlace{0, bytes, true};
  Path temp;
  FileHandle f;
  for (int attempt = 0; attempt < kTempNameAttempts && f == nullptr; ++attempt) {
    temp = internal::Sibling(path, "~", "." + UniqueHex() + ".tmp");
    errno = 0;
    f = Ops::CreateNew(p, temp);
    if (f == nullptr && errno != EEXIST) break;
  }
  // Where no file can be made beside it, the file itself may still be
  // writable.
  if (f == nullptr) return internal::RewriteInPlaceResolved(p, path, inPlace, {});

  bool ok = p->Write(f.get(), bytes.data(), bytes.size()) && p->SyncFile(f.get());
  ok = p->Close(f) && ok;
  if (!ok) {
    // The old file is still whole.
    Ops::Remove(p, temp);
    return Status::IoError(Ops::Describe(path),
                           "write failed (temporary file " + Ops::Describe(temp) + ")");
  }
  if (Ops::Replace(p, temp, path)) {
    // The new file is in place whether or not its folder entry reached the
    // disk yet.
    Ops::SyncFolder(p, path);
    return Status::Ok();
  }
  Ops::Remove(p, temp);
  return internal::RewriteInPlaceResolved(p, path, inPlace, {});
}

}  // namespace

bool WriteAllAndClose(FileHandle file, std::string_view bytes) {
  std::FILE* f = file.get();
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = !std::ferror(f) && ok;
  return CloseFile(file) && ok;
}

Status ReplaceFileContents(Platform* platform, const std::string& path, std::string_view bytes,
                           std::string* note) {
  return Replace(platform, path, bytes, note);
}

Status ReplaceFileContents(Platform* platform, const std::u16string& path, std::string_view bytes,
                           std::string* note) {
  return Replace(platform, path, bytes, note);
}

}  // namespace taliq
