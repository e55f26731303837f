#include "orders/durable_file.h"

#include <cerrno>

#include "platform/temp_file.h"

namespace taliq {
namespace {

// Writes, syncs and closes; the error names what failed.
Status WriteSyncClose(Platform* platform, FileHandle file, const std::string& path,
                      std::string_view bytes) {
  errno = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    const int error = errno;
    CloseFile(file);
    return Status::IoError(path, "write failed: " + ErrnoCause(error));
  }
  if (!platform->SyncFile(file.get())) {
    const int error = errno;
    CloseFile(file);
    return Status::IoError(path, "writing to the disk failed: " + ErrnoCause(error));
  }
  if (!CloseFile(file)) return Status::IoError(path, "close failed: " + ErrnoCause(errno));
  return Status::Ok();
}

}  // namespace

Status AppendDurably(Platform* platform, const std::string& path, std::string_view bytes) {
  // "a+" to look at the last byte; every write still goes to the end.
  errno = 0;
  FileHandle file = platform->OpenFile(path, "a+b");
  if (file == nullptr) return OpenFailure(path, errno);
  const std::int64_t size = platform->FileSize(file.get());
  if (size < 0) return Status::IoError(path, "cannot tell the file's size");
  std::string batch;
  if (size > 0) {
    if (!platform->Seek(file.get(), size - 1)) return Status::IoError(path, "seek failed");
    const int last = std::fgetc(file.get());
    if (last == EOF) return Status::IoError(path, "read failed");
    if (last != '\n') batch = "\n";
    // A read is followed by a positioning call before the next write.
    if (!platform->Seek(file.get(), size)) return Status::IoError(path, "seek failed");
  }
  batch += bytes;
  return WriteSyncClose(platform, std::move(file), path, batch);
}

Status WriteFileAtomically(Platform* platform, const std::string& path, std::string_view bytes) {
  // Created exclusively under a fresh name: a file or link planted beside
  // it is never written through.
  std::string temp;
  FileHandle file = CreateTempSibling(platform, path, &temp);
  if (file == nullptr) return OpenFailure(temp, errno);
  if (Status s = WriteSyncClose(platform, std::move(file), temp, bytes); !s.ok()) {
    platform->RemoveFile(temp);
    return s;
  }
  errno = 0;
  if (!platform->ReplaceFile(temp, path)) {
    const int error = errno;
    platform->RemoveFile(temp);
    return Status::IoError(path, "cannot replace it by " + temp + ": " + ErrnoCause(error));
  }
  return Status::Ok();
}

Status ReadSmallFile(Platform* platform, const std::string& path, std::size_t maxBytes,
                     std::string* bytes) {
  errno = 0;
  FileHandle file = platform->OpenFile(path, "rb");
  if (file == nullptr) return OpenFailure(path, errno);
  // Read straight into the buffer below: no stream buffer to set up.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  bytes->clear();
  char buffer[4096];
  std::size_t got;
  // A short read is the end of the file (or an error, told by ferror).
  do {
    got = std::fread(buffer, 1, sizeof buffer, file.get());
    if (bytes->size() + got > maxBytes) {
      return Status::Corruption(path, "larger than " + std::to_string(maxBytes) + " bytes");
    }
    bytes->append(buffer, got);
  } while (got == sizeof buffer);
  if (std::ferror(file.get())) return Status::IoError(path, "read failed");
  return Status::Ok();
}

}  // namespace taliq
