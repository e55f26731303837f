#include "dictionary/punctuation_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "dictionary/coding.h"
#include "dictionary/format.h"
#include "dictionary/open_file.h"
#include "platform/journal.h"
#include "platform/replace_file.h"

namespace taliq {

Status ReadPunctuationFile(Platform* platform, const std::string& folder, CandidateList& list,
                           int* count, const FileBytesSink& everyByte) {
  *count = 0;
  const std::string path = folder + kPunctuationFileName;
  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  std::uint8_t bytes[kListedPunctuationBytes];
  errno = 0;
  const size_t got = std::fread(bytes, 1, sizeof(bytes), f.get());
  if (got < sizeof(bytes) && std::ferror(f.get())) {
    status = Status::IoError(path, "read failed" + (errno != 0 ? ": " + ErrnoText(errno) : ""));
  }
  for (size_t pos = 0; pos + kPunctuationRecordSize <= got; pos += kPunctuationRecordSize) {
    list[static_cast<size_t>(*count)].SetMark(static_cast<char16_t>(DecodeFixed16(bytes + pos)));
    ++*count;
  }
  if (!everyByte || !status.ok()) return status;
  everyByte(bytes, got);
  // A short read is the end of the file (or an error, told by ferror).
  for (size_t more = got; more == sizeof(bytes);) {
    more = std::fread(bytes, 1, sizeof(bytes), f.get());
    everyByte(bytes, more);
  }
  if (std::ferror(f.get())) {
    return Status::IoError(path, "read failed" + (errno != 0 ? ": " + ErrnoText(errno) : ""));
  }
  return status;
}

Status WritePunctuationFile(Platform* platform, const std::string& folder,
                            const CandidateList& list, int count, std::string* note) {
  count = std::clamp(count, 0, kCandidateListCapacity);
  const std::string path = folder + kPunctuationFileName;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(count) * kPunctuationRecordSize);
  for (int i = 0; i < count; ++i) {
    PutFixed16(&bytes, list[static_cast<size_t>(i)].Mark());
    PutFixed16(&bytes, kPunctuationFiller);
  }
  // What an interrupted save left is resolved before the table is read.
  const Recovery recovery = RecoverInterruptedSave(platform, path);
  AppendRecoveryNote(recovery, note);
  if (!recovery.status.ok()) return recovery.status;
  // The list holds only the first 300 marks; the rest of the file goes back
  // unchanged after them. A rest that cannot be read is not given up: the
  // save fails.
  errno = 0;
  if (FileHandle old = platform->OpenFile(path, "rb")) {
    const std::int64_t size = platform->FileSize(old.get());
    if (size < 0) return Status::IoError(path, "its size cannot be told");
    if (size > static_cast<std::int64_t>(kListedPunctuationBytes)) {
      const size_t rest = static_cast<size_t>(size) - kListedPunctuationBytes;
      const size_t at = bytes.size();
      bytes.resize(at + rest);
      size_t got = 0;
      if (!platform->Seek(old.get(), static_cast<std::int64_t>(kListedPunctuationBytes)) ||
          !platform->Read(old.get(), bytes.data() + at, rest, &got)) {
        return Status::IoError(path, "reading the marks beyond the 300th failed");
      }
      bytes.resize(at + got);
    }
  } else if (errno != ENOENT && errno != ENOTDIR) {
    return Status::CannotOpen(path, errno);
  }
  const std::string_view contents(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return ReplaceFileContents(platform, path, contents, note);
}

}  // namespace taliq
