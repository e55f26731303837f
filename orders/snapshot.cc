#include "orders/snapshot.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "orders/data_folder.h"
#include "orders/durable_file.h"

namespace taliq {
namespace {

std::string NumberFolder(const std::string& dataDir, DictionaryId id, int number) {
  return JoinPath(SnapshotsFolder(dataDir, id), std::to_string(number));
}

// The number a snapshot folder's name spells ("1", "2", ... as NumberFolder
// writes them), or 0 for any other name.
int NumberOf(std::string_view name) {
  int n = 0;
  if (name.empty() || name[0] < '1' || name[0] > '9') return 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), n);
  return error == std::errc() && end == name.data() + name.size() ? n : 0;
}

// The highest number that has a folder, or 0. Numbers may be missing
// (snapshots removed by hand), but not more than kSnapshotNumberGap in a
// row: a folder beyond such a gap does not count. One listing of the
// dictionary's snapshots folder instead of a probe for each number.
int HighestNumber(Platform* platform, const std::string& dataDir, DictionaryId id) {
  std::vector<FolderEntry> entries;
  if (!platform->ListFolder(SnapshotsFolder(dataDir, id), &entries)) return 0;
  std::vector<int> numbers;
  for (const FolderEntry& e : entries) {
    if (const int n = NumberOf(e.name); n > 0 && e.isFolder) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  int highest = 0;
  for (int n : numbers) {
    if (n > highest + kSnapshotNumberGap) break;
    highest = n;
  }
  return highest;
}

// Reads the snapshot in folder `number`. `complete` is false when its
// manifest is missing or damaged or a file's size is not the listed one;
// the status fails only when something could not be read for another
// reason.
Status Inspect(Platform* platform, const std::string& dataDir, DictionaryId id, int number,
               Snapshot* snapshot, bool* complete) {
  *complete = false;
  snapshot->number = number;
  snapshot->folder = NumberFolder(dataDir, id, number);
  const std::string manifestPath = JoinPath(snapshot->folder, kManifestFileName);
  std::string text;
  Status read = ReadSmallFile(platform, manifestPath, kMaxFolderDigestsFileSize, &text);
  if (read.Is(Status::Code::kNotFound) || read.Is(Status::Code::kCorruption)) return Status::Ok();
  if (!read.ok()) return read;
  if (!ParseFolderDigests(kSnapshotHeader, text, manifestPath, &snapshot->manifest).ok()) {
    return Status::Ok();
  }
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    if (platform->FileSizeAt(JoinPath(snapshot->folder, kDictionaryFileNames[i])) !=
        snapshot->manifest.files[i].size) {
      return Status::Ok();
    }
  }
  *complete = true;
  return Status::Ok();
}

}  // namespace

std::string SnapshotsFolder(const std::string& dataDir, DictionaryId id) {
  return JoinPath(JoinPath(dataDir, kSnapshotsFolderName), DictionaryName(id));
}

Status CurrentSnapshot(Platform* platform, const std::string& dataDir, DictionaryId id,
                       Snapshot* snapshot) {
  for (int n = HighestNumber(platform, dataDir, id); n > 0; --n) {
    bool complete = false;
    if (Status s = Inspect(platform, dataDir, id, n, snapshot, &complete); !s.ok()) return s;
    if (complete) return Status::Ok();
  }
  return Status::NotFound(SnapshotsFolder(dataDir, id) + " (no complete snapshot)");
}

Status TakeNewSnapshot(Platform* platform, const std::string& dataDir, DictionaryId id,
                       const std::string& sourceFolder, const Clock& clock, Snapshot* taken) {
  int number = HighestNumber(platform, dataDir, id);
  Snapshot snapshot;
  bool complete = true;
  if (number > 0) {
    if (Status s = Inspect(platform, dataDir, id, number, &snapshot, &complete); !s.ok()) return s;
  }
  if (complete) ++number;
  snapshot = Snapshot{number, NumberFolder(dataDir, id, number), {}};
  if (Status s = EnsureFolder(platform, snapshot.folder); !s.ok()) return s;

  // A manifest left from an earlier attempt would vouch for files about to
  // be replaced.
  const std::string manifestPath = JoinPath(snapshot.folder, kManifestFileName);
  platform->RemoveFile(manifestPath);
  if (FileHandle stale = platform->OpenFile(manifestPath, "rb"); stale != nullptr) {
    return Status::IoError(manifestPath, "cannot remove the manifest of an unfinished snapshot");
  }
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    const std::string name(kDictionaryFileNames[i]);
    if (Status s = CopyFileVerified(platform, JoinPath(sourceFolder, name),
                                    JoinPath(snapshot.folder, name), &snapshot.manifest.files[i]);
        !s.ok()) {
      return s;
    }
  }
  snapshot.manifest.time = FormatLocalTime(clock());
  if (Status s = WriteFileAtomically(platform, manifestPath,
                                     FormatFolderDigests(kSnapshotHeader, snapshot.manifest));
      !s.ok()) {
    return s;
  }
  *taken = std::move(snapshot);
  return Status::Ok();
}

Status EnsureSnapshot(Platform* platform, const std::string& dataDir, DictionaryId id,
                      const std::string& sourceFolder, const Clock& clock, Snapshot* snapshot) {
  Snapshot current;
  Status s = CurrentSnapshot(platform, dataDir, id, &current);
  if (s.Is(Status::Code::kNotFound)) {
    s = TakeNewSnapshot(platform, dataDir, id, sourceFolder, clock, &current);
  }
  if (s.ok() && snapshot != nullptr) *snapshot = std::move(current);
  return s;
}

Status VerifySnapshot(Platform* platform, const Snapshot& snapshot) {
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    const std::string path = JoinPath(snapshot.folder, kDictionaryFileNames[i]);
    FileDigest digest;
    if (Status s = DigestFile(platform, path, &digest); !s.ok()) return s;
    if (digest != snapshot.manifest.files[i]) {
      return Status::Corruption(path, "not the file the manifest lists (" +
                                          std::to_string(digest.size) + " bytes, SHA-256 " +
                                          DigestHex(digest.sha256) + ")");
    }
  }
  return Status::Ok();
}

}  // namespace taliq
