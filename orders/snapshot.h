// Snapshots of a dictionary's original files, kept in the user data folder
// before the tools first write into that dictionary:
//
//   DATA/snapshots/<dictionary>/<n>/lurm2008.idx, lurmsmz.mb, lurmsmc.mb,
//                                   Pround.dat, manifest.tsv
//
// n counts up from 1; older snapshots are kept. The manifest (see
// folder_digests.h, header "# taliq-snapshot 1") is written last, in one
// replace, so a snapshot without a readable manifest whose sizes match its
// files was cut short: it is ignored, and the next snapshot is made in its
// folder again.
#ifndef TALIQ_ORDERS_SNAPSHOT_H_
#define TALIQ_ORDERS_SNAPSHOT_H_

#include <string>

#include "dictionary/dictionary_id.h"
#include "orders/folder_digests.h"
#include "orders/local_time.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

inline constexpr char kSnapshotsFolderName[] = "snapshots";
inline constexpr char kManifestFileName[] = "manifest.tsv";
inline constexpr char kSnapshotHeader[] = "# taliq-snapshot 1";
// Numbers that may be missing in a row (snapshots removed by hand) before
// the search for higher ones stops.
inline constexpr int kSnapshotNumberGap = 16;

struct Snapshot {
  int number = 0;
  std::string folder;  // DATA/snapshots/<dictionary>/<n>
  FolderDigests manifest;
};

// DATA/snapshots/<dictionary>.
std::string SnapshotsFolder(const std::string& dataDir, DictionaryId id);

// The complete snapshot with the highest number: its manifest reads and
// each file has the size the manifest gives (the digests are checked by
// VerifySnapshot). kNotFound when there is none; another error when a
// manifest could not be read for a reason other than its absence.
Status CurrentSnapshot(Platform* platform, const std::string& dataDir, DictionaryId id,
                       Snapshot* snapshot);

// Copies the four files from `sourceFolder` into a new snapshot: the next
// number, or the highest one when that one is incomplete. Every copy is
// read back and checked against the source's digest before the manifest is
// written.
Status TakeNewSnapshot(Platform* platform, const std::string& dataDir, DictionaryId id,
                       const std::string& sourceFolder, const Clock& clock, Snapshot* taken);

// TakeNewSnapshot unless a complete snapshot exists. `snapshot` (optional)
// receives the current one.
Status EnsureSnapshot(Platform* platform, const std::string& dataDir, DictionaryId id,
                      const std::string& sourceFolder, const Clock& clock,
                      Snapshot* snapshot = nullptr);

// Reads the snapshot's files: kCorruption naming the first whose size or
// SHA-256 differs from the manifest.
Status VerifySnapshot(Platform* platform, const Snapshot& snapshot);

}  // namespace taliq

#endif  // TALIQ_ORDERS_SNAPSHOT_H_
