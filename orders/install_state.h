// The installation state: after every save the tools record the sizes and
// digests of the dictionary's files in the first installed copy,
//
//   DATA/state/<dictionary>.tsv   (folder_digests.h, header "# taliq-state 1")
//
// so that a later start can tell that the installed files were replaced
// from outside (a reinstall or an update) and the user's orders need to be
// applied again.
#ifndef TALIQ_ORDERS_INSTALL_STATE_H_
#define TALIQ_ORDERS_INSTALL_STATE_H_

#include <string>
#include <vector>

#include "dictionary/dictionary_id.h"
#include "orders/folder_digests.h"
#include "orders/local_time.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

inline constexpr char kStateFolderName[] = "state";
inline constexpr char kStateHeader[] = "# taliq-state 1";

// DATA/state/<dictionary>.tsv.
std::string InstallStatePath(const std::string& dataDir, DictionaryId id);

// Digests the four files in `installedFolder` and replaces the record.
Status RecordInstallState(Platform* platform, const std::string& dataDir, DictionaryId id,
                          const std::string& installedFolder, const Clock& clock);

struct InstallComparison {
  enum class Result {
    kNoRecord,   // nothing recorded yet for this dictionary
    kUnchanged,  // every file has the recorded size and digest
    kReplaced,   // at least one file differs or is missing
  };
  Result result = Result::kNoRecord;
  // The files that differ, "lurmsmz.mb", or "Pround.dat (missing)".
  std::vector<std::string> changedFiles;
  std::string recordedTime;
};

// Compares the installed files with the record. A damaged record is an
// error (kCorruption naming it), as is a file that cannot be read for a
// reason other than its absence.
Status CompareInstallState(Platform* platform, const std::string& dataDir, DictionaryId id,
                           const std::string& installedFolder, InstallComparison* comparison);

// The same for digests of the installed files already taken (all four
// files present).
Status CompareInstallDigests(Platform* platform, const std::string& dataDir, DictionaryId id,
                             const FolderDigests& installed, InstallComparison* comparison);

}  // namespace taliq

#endif  // TALIQ_ORDERS_INSTALL_STATE_H_
