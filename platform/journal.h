// In-place rewrites under a rollback journal, and the recovery of a save
// that was interrupted.
//
// A rewrite first writes a small file beside its target, path + ".journal"
// (docs/journal-format.md): where the write goes, the bytes it replaces,
// the bytes it writes and a checksum. The journal is created exclusively
// and flushed to disk, and only then is the target written in place,
// flushed, and the journal removed. Whatever stops the process on the way,
// the next recovery finds the journal and resolves it: new bytes in place
// complete the job, anything else (old bytes, a torn write) is rolled back
// to the old bytes, and a journal that fails its checksum was never acted
// on and is removed.
//
// The caller holds the target's lock (file_lock.h) around a rewrite and
// around a recovery, so that no other instance writes in between.
#ifndef TALIQ_PLATFORM_JOURNAL_H_
#define TALIQ_PLATFORM_JOURNAL_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The journal that protects in-place writes of `path`: path + ".journal".
std::string JournalPath(const std::string& path);
std::u16string JournalPath(const std::u16string& path);

// What resolving a leftover journal did.
struct Recovery {
  enum class Action {
    kNone,        // there was no journal
    kCompleted,   // the new bytes were in place: the save stands
    kRolledBack,  // the old bytes were put back: the save is undone
    kDiscarded,   // the journal was torn, so the file had not been touched
  };
  Action action = Action::kNone;
  // Not ok when a journal is there but could not be resolved (read, the
  // file rolled back or the journal removed); the journal is then kept,
  // and the file is neither to be trusted nor to be written.
  Status status;
  // One line for the user when action is not kNone: the file, and what
  // became of the save that was interrupted.
  std::string note;
};

// Resolves the journal of `path` if there is one. With no journal this is
// one failed open.
Recovery RecoverInterruptedSave(Platform* platform, const std::string& path);
Recovery RecoverInterruptedSave(Platform* platform, const std::u16string& path);

// Looks at the bytes an in-place write is about to replace: ok, or why they
// must not be replaced (nothing is then written).
using RegionCheck = std::function<Status(std::string_view current)>;

struct InPlaceEdit {
  // The new bytes for [offset, offset + bytes.size()); the file keeps its
  // size. With wholeFile, `bytes` are the whole new file: offset is 0, the
  // size becomes bytes.size(), and a missing file is created.
  std::int64_t offset = 0;
  std::string_view bytes;
  bool wholeFile = false;
  // Bytes before `offset` the check also sees (a group's packed code), read
  // with the rest; they are not rewritten.
  std::size_t lookBehind = 0;
};

// Rewrites part of `path` (or all of it) in place under a journal, after
// resolving a leftover one (its note is appended to `*note`, when given).
// The file is opened without following a link and never truncated on
// opening. `check`, when given, sees the bytes about to be replaced (all of
// the old file with wholeFile), after the edit's lookBehind bytes, before
// anything is written; at the end of the file it sees fewer.
//
// Ok: the file holds the new bytes. Otherwise it holds the old ones:
// kNotFound or kCannotOpen (nothing could be opened; error() keeps the
// errno), the check's own status, kRefused (more than kMaxJournalRegion
// bytes), kIoError (a step failed; what the failed write left was rolled
// back). Only when even that rollback failed does the journal stay, and
// the message says that the next start puts the old bytes back.
Status RewriteInPlace(Platform* platform, const std::string& path, const InPlaceEdit& edit,
                      const RegionCheck& check = {}, std::string* note = nullptr);
Status RewriteInPlace(Platform* platform, const std::u16string& path, const InPlaceEdit& edit,
                      const RegionCheck& check = {}, std::string* note = nullptr);

// Appends `recovery`'s note, if any, to `*note` (a new line when it holds
// one already). Does nothing when `note` is null.
void AppendRecoveryNote(const Recovery& recovery, std::string* note);

namespace internal {
// RewriteInPlace without resolving a leftover journal first: for a caller
// that has just done so.
Status RewriteInPlaceResolved(Platform* platform, const std::string& path, const InPlaceEdit& edit,
                              const RegionCheck& check);
Status RewriteInPlaceResolved(Platform* platform, const std::u16string& path,
                              const InPlaceEdit& edit, const RegionCheck& check);
}  // namespace internal

}  // namespace taliq

#endif  // TALIQ_PLATFORM_JOURNAL_H_
