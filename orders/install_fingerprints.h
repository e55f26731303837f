// Beside each installation state record (install_state.h), the fast
// fingerprints of the same four files (fingerprint.h), so that status can
// tell whether the installed files changed since the last save from the
// reads it makes anyway:
//
//   DATA/state/<dictionary>.fingerprints.tsv
//   # taliq-fingerprints 1
//   lurm2008.idx<TAB>7324<TAB>16 hex digits<TAB>time of the state record
//   ... one line per file, in the order of kDictionaryFileNames
//
// The record counts only while its time is that of the state record; any
// other case falls back to the SHA-256 comparison.
#ifndef TALIQ_ORDERS_INSTALL_FINGERPRINTS_H_
#define TALIQ_ORDERS_INSTALL_FINGERPRINTS_H_

#include <array>
#include <string>

#include "dictionary/dictionary_id.h"
#include "orders/fingerprint.h"
#include "orders/install_state.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

inline constexpr char kFingerprintsHeader[] = "# taliq-fingerprints 1";

// In the order of kDictionaryFileNames.
using FolderFingerprints = std::array<FileFingerprint, 4>;

// DATA/state/<dictionary>.fingerprints.tsv.
std::string InstallFingerprintsPath(const std::string& dataDir, DictionaryId id);

// Reads the four files below `folder`.
Status FingerprintDictionaryFolder(Platform* platform, const std::string& folder,
                                   FolderFingerprints* fingerprints);

// Replaces the record, made for the state record of `time`.
Status RecordInstallFingerprints(Platform* platform, const std::string& dataDir, DictionaryId id,
                                 const FolderFingerprints& fingerprints, const std::string& time);

// Compares `installed` with the record. kNotFound when there is no record
// that goes with the current state record (compare the digests then).
Status CompareInstallFingerprints(Platform* platform, const std::string& dataDir, DictionaryId id,
                                  const FolderFingerprints& installed,
                                  InstallComparison* comparison);

}  // namespace taliq

#endif  // TALIQ_ORDERS_INSTALL_FINGERPRINTS_H_
