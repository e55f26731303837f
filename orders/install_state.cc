#include "orders/install_state.h"

#include "orders/data_folder.h"
#include "orders/durable_file.h"
#include "orders/folder_digests.h"

namespace taliq {

std::string InstallStatePath(const std::string& dataDir, DictionaryId id) {
  return JoinPath(JoinPath(dataDir, kStateFolderName), std::string(DictionaryName(id)) + ".tsv");
}

Status RecordInstallState(Platform* platform, const std::string& dataDir, DictionaryId id,
                          const std::string& installedFolder, const Clock& clock) {
  FolderDigests digests;
  if (Status s = DigestDictionaryFolder(platform, installedFolder, &digests); !s.ok()) return s;
  digests.time = FormatLocalTime(clock());
  if (Status s = EnsureFolder(platform, JoinPath(dataDir, kStateFolderName)); !s.ok()) return s;
  return WriteFileAtomically(platform, InstallStatePath(dataDir, id),
                             FormatFolderDigests(kStateHeader, digests));
}

namespace {

// Starts a comparison: reads the record of `id` into `recorded`. Ok with
// `*found` false when there is none (the comparison says kNoRecord).
Status StartComparison(Platform* platform, const std::string& dataDir, DictionaryId id,
                       InstallComparison* comparison, FolderDigests* recorded, bool* found) {
  *comparison = InstallComparison();
  *found = false;
  const std::string path = InstallStatePath(dataDir, id);
  std::string text;
  Status read = ReadSmallFile(platform, path, kMaxFolderDigestsFileSize, &text);
  if (read.Is(Status::Code::kNotFound)) return Status::Ok();
  if (!read.ok()) return read;
  if (Status s = ParseFolderDigests(kStateHeader, text, path, recorded); !s.ok()) return s;
  comparison->recordedTime = recorded->time;
  *found = true;
  return Status::Ok();
}

void Conclude(InstallComparison* comparison) {
  comparison->result = comparison->changedFiles.empty() ? InstallComparison::Result::kUnchanged
                                                        : InstallComparison::Result::kReplaced;
}

}  // namespace

Status CompareInstallState(Platform* platform, const std::string& dataDir, DictionaryId id,
                           const std::string& installedFolder, InstallComparison* comparison) {
  FolderDigests recorded;
  bool found = false;
  Status s = StartComparison(platform, dataDir, id, comparison, &recorded, &found);
  for (std::size_t i = 0; s.ok() && found && i < kDictionaryFileNames.size(); ++i) {
    const std::string name(kDictionaryFileNames[i]);
    FileDigest installed;
    s = DigestFile(platform, JoinPath(installedFolder, name), &installed);
    if (s.Is(Status::Code::kNotFound)) {
      comparison->changedFiles.push_back(name + " (missing)");
      s = Status::Ok();
    } else if (s.ok() && installed != recorded.files[i]) {
      comparison->changedFiles.push_back(name);
    }
  }
  if (s.ok() && found) Conclude(comparison);
  return s;
}

Status CompareInstallDigests(Platform* platform, const std::string& dataDir, DictionaryId id,
                             const FolderDigests& installed, InstallComparison* comparison) {
  FolderDigests recorded;
  bool found = false;
  const Status s = StartComparison(platform, dataDir, id, comparison, &recorded, &found);
  if (!s.ok() || !found) return s;
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    if (installed.files[i] != recorded.files[i]) {
      comparison->changedFiles.emplace_back(kDictionaryFileNames[i]);
    }
  }
  Conclude(comparison);
  return Status::Ok();
}

}  // namespace taliq
