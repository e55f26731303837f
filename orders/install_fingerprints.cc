#include "orders/install_fingerprints.h"

#include <charconv>
#include <vector>

#include "orders/data_folder.h"
#include "orders/durable_file.h"
#include "orders/folder_digests.h"
#include "orders/text_lines.h"

namespace taliq {
namespace {

std::string Hex16(std::uint64_t value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) hex[static_cast<std::size_t>(i)] = kHex[value & 15];
  return hex;
}

template <typename T>
bool ParseNumber(std::string_view text, int base, T* value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
  return error == std::errc() && end == text.data() + text.size();
}

// The record's lines; false when it does not read as one.
bool ParseFingerprints(std::string_view text, FolderFingerprints* fingerprints, std::string* time) {
  std::vector<std::string> lines;
  std::string partial;
  SplitAtLineFeeds(text, &partial, [&](std::string_view l) { lines.emplace_back(l); });
  if (!partial.empty() || lines.size() != 1 + kDictionaryFileNames.size() ||
      lines[0] != kFingerprintsHeader) {
    return false;
  }
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    const std::vector<std::string_view> f = SplitTabs(lines[i + 1]);
    FileFingerprint& fp = (*fingerprints)[i];
    if (f.size() != 4 || f[0] != kDictionaryFileNames[i] || !ParseNumber(f[1], 10, &fp.size) ||
        f[2].size() != 16 || !ParseNumber(f[2], 16, &fp.value) || (i > 0 && f[3] != *time)) {
      return false;
    }
    *time = std::string(f[3]);
  }
  return true;
}

}  // namespace

std::string InstallFingerprintsPath(const std::string& dataDir, DictionaryId id) {
  return JoinPath(JoinPath(dataDir, kStateFolderName),
                  std::string(DictionaryName(id)) + ".fingerprints.tsv");
}

Status FingerprintDictionaryFolder(Platform* platform, const std::string& folder,
                                   FolderFingerprints* fingerprints) {
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    const std::string path = JoinPath(folder, kDictionaryFileNames[i]);
    if (Status s = FingerprintFile(platform, path, &(*fingerprints)[i]); !s.ok()) return s;
  }
  return Status::Ok();
}

Status RecordInstallFingerprints(Platform* platform, const std::string& dataDir, DictionaryId id,
                                 const FolderFingerprints& fingerprints, const std::string& time) {
  std::string text = std::string(kFingerprintsHeader) + "\n";
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    text += std::string(kDictionaryFileNames[i]) + "\t" + std::to_string(fingerprints[i].size) +
            "\t" + Hex16(fingerprints[i].value) + "\t" + time + "\n";
  }
  return WriteFileAtomically(platform, InstallFingerprintsPath(dataDir, id), text);
}

Status CompareInstallFingerprints(Platform* platform, const std::string& dataDir, DictionaryId id,
                                  const FolderFingerprints& installed,
                                  InstallComparison* comparison) {
  *comparison = InstallComparison();
  const std::string path = InstallFingerprintsPath(dataDir, id);
  std::string text;
  if (Status s = ReadSmallFile(platform, path, kMaxFolderDigestsFileSize, &text); !s.ok()) {
    return s.Is(Status::Code::kNotFound) ? s : Status::NotFound(path);
  }
  FolderFingerprints recorded;
  std::string time;
  std::string stateText;
  FolderDigests state;
  const std::string statePath = InstallStatePath(dataDir, id);
  if (!ParseFingerprints(text, &recorded, &time) ||
      !ReadSmallFile(platform, statePath, kMaxFolderDigestsFileSize, &stateText).ok() ||
      !ParseFolderDigests(kStateHeader, stateText, statePath, &state).ok() || state.time != time) {
    return Status::NotFound(path + " (no record for the current state)");
  }
  comparison->recordedTime = time;
  for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
    if (installed[i] != recorded[i] || installed[i].size != state.files[i].size) {
      comparison->changedFiles.emplace_back(kDictionaryFileNames[i]);
    }
  }
  comparison->result = comparison->changedFiles.empty() ? InstallComparison::Result::kUnchanged
                                                        : InstallComparison::Result::kReplaced;
  return Status::Ok();
}

}  // namespace taliq
