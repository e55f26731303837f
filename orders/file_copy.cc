#include "orders/file_copy.h"

#include <cerrno>
#include <vector>

#include "dictionary/open_file.h"
#include "platform/temp_file.h"

namespace taliq {
Status DigestFile(Platform* platform, const std::string& path, FileDigest* digest) {
  Status opened;
  FileHandle file = OpenDictionaryFile(platform, path, "rb", &opened);
  if (file == nullptr) return opened;
  std::vector<char> buffer(kCopyBufferSize);
  Sha256 sha;
  std::int64_t size = 0;
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
    sha.Update(buffer.data(), got);
    size += static_cast<std::int64_t>(got);
  }
  if (std::ferror(file.get())) return Status::IoError(path, "read failed");
  digest->size = size;
  digest->sha256 = sha.Finish();
  return Status::Ok();
}

Status CopyFileVerified(Platform* platform, const std::string& from, const std::string& to,
                        FileDigest* digest) {
  Status opened;
  FileHandle in = OpenDictionaryFile(platform, from, "rb", &opened);
  if (in == nullptr) return opened;
  // The copy is made under a fresh name beside `to` and takes its place only
  // once it reads back right: `to` is never seen half written, and a file or
  // link planted at either name is never written through.
  std::string temp;
  errno = 0;
  FileHandle out = CreateTempSibling(platform, to, &temp);
  if (out == nullptr) return Status::CannotOpen(to, ErrnoCause(errno) + " (making " + temp + ")");
  const auto fail = [&](Status s) {
    CloseFile(out);
    platform->RemoveFile(temp);
    return s;
  };
  std::vector<char> buffer(kCopyBufferSize);
  Sha256 sha;
  FileDigest source;
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
    sha.Update(buffer.data(), got);
    source.size += static_cast<std::int64_t>(got);
    errno = 0;
    if (std::fwrite(buffer.data(), 1, got, out.get()) != got) {
      return fail(Status::IoError(to, "write failed: " + ErrnoCause(errno)));
    }
  }
  if (std::ferror(in.get())) return fail(Status::IoError(from, "read failed"));
  source.sha256 = sha.Finish();
  errno = 0;
  if (!platform->SyncFile(out.get())) {
    return fail(Status::IoError(to, "writing to the disk failed: " + ErrnoCause(errno)));
  }
  if (!CloseFile(out)) return fail(Status::IoError(to, "close failed: " + ErrnoCause(errno)));

  FileDigest copy;
  if (Status s = DigestFile(platform, temp, &copy); !s.ok()) return fail(s);
  if (copy != source) {
    return fail(Status::Corruption(
        to, "the copy does not read back as " + from + " did (" + std::to_string(copy.size) +
                " bytes, SHA-256 " + DigestHex(copy.sha256) + " instead of " +
                std::to_string(source.size) + " bytes, SHA-256 " + DigestHex(source.sha256) + ")"));
  }
  errno = 0;
  if (!platform->ReplaceFile(temp, to)) {
    return fail(Status::IoError(to, "cannot replace it by " + temp + ": " + ErrnoCause(errno)));
  }
  // The copy is in place whether or not its folder entry reached the disk
  // yet; this makes the rename itself durable, as a save's swap does.
  platform->SyncFolder(to);
  *digest = source;
  return Status::Ok();
}

}  // namespace taliq
