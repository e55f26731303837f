#include "dictionary/interrupted_saves.h"

#include <algorithm>
#include <string_view>

#include "dictionary/format.h"
#include "platform/file_lock.h"
#include "platform/journal.h"

namespace taliq {
namespace {

constexpr const char* kSavedInPlace[] = {kCharacterTableFileName, kPhraseTableFileName,
                                         kPunctuationFileName};

// Whether `entries` hold `name`, up to ASCII case (as file names are
// matched on Windows and by the portable platform).
bool HasEntryIgnoringCase(const std::vector<FolderEntry>& entries, std::string_view name) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::any_of(entries.begin(), entries.end(), [&](const FolderEntry& e) {
    return std::equal(e.name.begin(), e.name.end(), name.begin(), name.end(),
                      [&](char a, char b) { return lower(a) == lower(b); });
  });
}

}  // namespace

std::vector<std::string> FilesWithJournals(Platform* platform, const std::string& folder) {
  std::vector<std::string> files;
  std::vector<FolderEntry> entries;
  const bool listed = platform->ListFolder(folder, &entries);
  if (!listed && !platform->IsDirectory(folder)) return files;
  for (const char* file : kSavedInPlace) {
    const std::string journal = JournalPath(std::string(file));
    const bool found = listed ? HasEntryIgnoringCase(entries, journal)
                              : platform->FileSizeAt(folder + journal) >= 0;
    if (found) files.emplace_back(file);
  }
  return files;
}

Status ResolveInterruptedSaves(Platform* platform, const std::string& first,
                               const std::string& second, std::string* note) {
  for (const bool isSecond : {false, true}) {
    const std::string& folder = isSecond ? second : first;
    if (folder.empty() || (isSecond && folder == first)) continue;
    for (const std::string& file : FilesWithJournals(platform, folder)) {
      const Recovery r =
          RecoverUnderLock(platform, folder + file, folder + kDictionaryLockFileName, folder);
      AppendRecoveryNote(r, note);
      if (!r.status.ok() && !isSecond) return r.status;
    }
  }
  return Status::Ok();
}

}  // namespace taliq
