#include "platform/replace_file.h"

#include <cstdio>

#include "platform/journal.h"
#include "platform/path_ops.h"
#include "platform/temp_file.h"

namespace taliq {
namespace {

using internal::PathOps;

template <class Path>
Status Replace(Platform* p, const Path& path, std::string_view bytes, std::string* note) {
  using Ops = PathOps<Path>;
  const Recovery recovery = RecoverInterruptedSave(p, path);
  AppendRecoveryNote(recovery, note);
  if (!recovery.status.ok()) return recovery.status;

  const InPlaceEdit inPlace{0, bytes, true};
  Path temp;
  FileHandle f = CreateTempSibling(p, path, &temp);
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
