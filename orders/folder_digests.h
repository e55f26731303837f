// The sizes and SHA-256 digests of a dictionary folder's four files, and the
// small text file that keeps them (a snapshot's manifest, an installation's
// recorded state):
//
//   # taliq-snapshot 1            (the header line names the kind)
//   lurm2008.idx<TAB>7324<TAB>SHA-256 hex<TAB>2026-12-10T04:05:06+08:00
//   ... one line per file, each of the four files once, in any order
#ifndef TALIQ_ORDERS_FOLDER_DIGESTS_H_
#define TALIQ_ORDERS_FOLDER_DIGESTS_H_

#include <array>
#include <string>
#include <string_view>

#include "dictionary/dictionary_store.h"
#include "orders/file_copy.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The files of a dictionary folder, in the order the lists hold them.
inline constexpr std::array<std::string_view, 4> kDictionaryFileNames = {
    kIndexFileName, kCharacterTableFileName, kPhraseTableFileName, kPunctuationFileName};

struct FolderDigests {
  std::string time;                 // when they were taken, as FormatLocalTime
  std::array<FileDigest, 4> files;  // in the order of kDictionaryFileNames

  friend bool operator==(const FolderDigests&, const FolderDigests&) = default;
};

// Reads the four files below `folder`; fills `files` (not `time`). Fails
// with the first file that cannot be read (kNotFound when missing).
Status DigestDictionaryFolder(Platform* platform, const std::string& folder,
                              FolderDigests* digests);

// The file's text: `header`, then one line per file.
std::string FormatFolderDigests(std::string_view header, const FolderDigests& digests);

// Reads what FormatFolderDigests writes with the same header. kCorruption
// naming `path` and the line for anything else.
Status ParseFolderDigests(std::string_view header, std::string_view text, const std::string& path,
                          FolderDigests* digests);

// The largest such file read (a few hundred bytes are expected).
inline constexpr std::size_t kMaxFolderDigestsFileSize = 64 * 1024;

}  // namespace taliq

#endif  // TALIQ_ORDERS_FOLDER_DIGESTS_H_
