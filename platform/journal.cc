#include "platform/journal.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/journal_format.h"
#include "platform/path_ops.h"

namespace taliq {
namespace {

using internal::PathOps;

constexpr std::string_view kJournalSuffix = ".journal";
// The most bytes a journal file may hold: one of ours never holds more.
constexpr std::size_t kMaxJournalFile = kJournalOverhead + 2 * kMaxJournalRegion;

Recovery Done(Recovery::Action action, const std::string& name) {
  Recovery r;
  r.action = action;
  switch (action) {
    case Recovery::Action::kCompleted:
      r.note = name +
               ": a save that was interrupted has been completed; the file holds the new "
               "contents";
      break;
    case Recovery::Action::kRolledBack:
      r.note = name +
               ": a save that was interrupted has been undone; the file holds what it held "
               "before";
      break;
    case Recovery::Action::kDiscarded:
      r.note = name +
               ": a save was interrupted before it changed the file; the file holds what "
               "it held before";
      break;
    case Recovery::Action::kNone:
      break;
  }
  return r;
}

Recovery Unresolved(Status status) {
  Recovery r;
  r.status = std::move(status);
  return r;
}

// Writes `bytes` at `offset` and gives the file `size` bytes.
bool PutBytes(Platform* p, std::FILE* f, std::int64_t offset, const std::string& bytes,
              std::int64_t size, std::int64_t currentSize) {
  if (!p->Seek(f, offset) || !p->Write(f, bytes.data(), bytes.size())) return false;
  return currentSize == size || p->Truncate(f, size);
}

// Puts the file in the state the record's new or old side describes, by
// what the file holds now: the new bytes complete the save, anything else
// is rolled back. Removes the journal when that is done.
template <class Path>
Recovery Resolve(Platform* p, const Path& path, const Path& journal, const JournalRecord& rec) {
  using Ops = PathOps<Path>;
  const std::string name = Ops::Describe(path);
  const auto ioError = [&](std::string_view what) {
    return Unresolved(Status::IoError(
        name, std::string(what) + "; an interrupted save could not be resolved now (its journal " +
                  Ops::Describe(journal) + " is kept)"));
  };
  const auto removeJournal = [&](Recovery::Action action) {
    if (!Ops::Remove(p, journal)) return ioError("the journal cannot be removed");
    Ops::SyncFolder(p, journal);
    return Done(action, name);
  };

  errno = 0;
  FileHandle f = Ops::OpenForUpdate(p, path);
  if (f == nullptr) {
    if (errno != ENOENT) return ioError("cannot open: " + ErrnoText(errno));
    // Gone: absent is the old state of a file the save was creating; a
    // whole old file can be put back; of anything else nothing is left to
    // repair.
    if (rec.oldSize == kFileAbsent) return removeJournal(Recovery::Action::kRolledBack);
    if (rec.offset != 0 || static_cast<std::int64_t>(rec.oldBytes.size()) != rec.oldSize) {
      return removeJournal(Recovery::Action::kDiscarded);
    }
    f = Ops::CreateNew(p, path);
    bool ok = f != nullptr && p->Write(f.get(), rec.oldBytes.data(), rec.oldBytes.size()) &&
              p->SyncFile(f.get());
    ok = (f == nullptr || p->Close(f)) && ok;
    if (!ok) return ioError("cannot be created again");
    return removeJournal(Recovery::Action::kRolledBack);
  }

  // What is there now, as far as either side reaches.
  const std::int64_t size = p->FileSize(f.get());
  std::string current(std::max(rec.oldBytes.size(), rec.newBytes.size()), '\0');
  std::size_t got = 0;
  if (size < 0 || !p->Seek(f.get(), rec.offset) ||
      !p->Read(f.get(), current.data(), current.size(), &got)) {
    p->Close(f);
    return ioError("reading failed");
  }
  current.resize(got);
  if (current.compare(0, rec.newBytes.size(), rec.newBytes) == 0 && got >= rec.newBytes.size()) {
    // Once the file is synced, its bytes are on the disk: a failing close
    // changes nothing about them.
    const bool ok =
        (size == rec.newSize || p->Truncate(f.get(), rec.newSize)) && p->SyncFile(f.get());
    p->Close(f);
    if (!ok) return ioError("writing failed");
    return removeJournal(Recovery::Action::kCompleted);
  }
  if (rec.oldSize == kFileAbsent) {
    p->Close(f);
    if (!Ops::Remove(p, path)) return ioError("the half-made file cannot be removed");
    Ops::SyncFolder(p, path);
    return removeJournal(Recovery::Action::kRolledBack);
  }
  if (size == rec.oldSize && got >= rec.oldBytes.size() &&
      current.compare(0, rec.oldBytes.size(), rec.oldBytes) == 0) {
    // Nothing was changed yet.
    p->Close(f);
    return removeJournal(Recovery::Action::kRolledBack);
  }
  const bool ok =
      PutBytes(p, f.get(), rec.offset, rec.oldBytes, rec.oldSize, size) && p->SyncFile(f.get());
  p->Close(f);
  if (!ok) return ioError("writing the old bytes back failed");
  return removeJournal(Recovery::Action::kRolledBack);
}

template <class Path>
Recovery Recover(Platform* p, const Path& path) {
  using Ops = PathOps<Path>;
  const Path journal = internal::WithSuffix(path, kJournalSuffix);
  errno = 0;
  FileHandle j = Ops::Open(p, journal, "rb");
  if (j == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return Recovery();
    return Unresolved(Status::CannotOpen(Ops::Describe(journal), errno));
  }
  std::string bytes;
  const bool read = internal::ReadToEnd(p, j.get(), &bytes, kMaxJournalFile);
  const int readError = errno;
  p->Close(j);
  JournalRecord rec;
  if (!read && readError != EFBIG) {
    return Unresolved(Status::IoError(Ops::Describe(journal), "reading failed"));
  }
  if (!read || !DecodeJournal(bytes, &rec)) {
    // Torn while it was written: the in-place write never began.
    if (!Ops::Remove(p, journal)) {
      return Unresolved(Status::IoError(Ops::Describe(journal), "cannot be removed"));
    }
    Ops::SyncFolder(p, journal);
    return Done(Recovery::Action::kDiscarded, Ops::Describe(path));
  }
  return Resolve(p, path, journal, rec);
}

template <class Path>
Status WriteJournal(Platform* p, const Path& journal, const JournalRecord& rec) {
  using Ops = PathOps<Path>;
  errno = 0;
  FileHandle f = Ops::CreateNew(p, journal);
  if (f == nullptr) return Status::CannotOpen(Ops::Describe(journal), errno);
  const std::string bytes = EncodeJournal(rec);
  bool ok = p->Write(f.get(), bytes.data(), bytes.size()) && p->SyncFile(f.get());
  ok = p->Close(f) && ok;
  // Its folder entry must be on the disk before the target is touched.
  ok = ok && Ops::SyncFolder(p, journal);
  if (!ok) {
    Ops::Remove(p, journal);
    return Status::IoError(Ops::Describe(journal), "write failed; nothing was changed");
  }
  return Status::Ok();
}

template <class Path>
Status Rewrite(Platform* p, const Path& path, const InPlaceEdit& edit, const RegionCheck& check) {
  using Ops = PathOps<Path>;
  const std::string name = Ops::Describe(path);
  if (edit.bytes.size() > kMaxJournalRegion || edit.lookBehind > kMaxJournalRegion ||
      edit.offset < static_cast<std::int64_t>(edit.lookBehind) ||
      (edit.wholeFile && (edit.offset != 0 || edit.lookBehind != 0))) {
    return Status::Refused(name + ": too much to rewrite in place");
  }
  JournalRecord rec;
  rec.offset = edit.offset;
  errno = 0;
  FileHandle f = Ops::OpenForUpdate(p, path);
  if (f == nullptr) {
    const int error = errno;
    // A missing whole file is created; whether its folder is there, the
    // journal's creation tells.
    if (!edit.wholeFile || error != ENOENT) {
      if (!Ops::FolderExists(p, path, error)) return Status::NotFound(name);
      return Status::CannotOpen(name, error);
    }
    rec.oldSize = kFileAbsent;
  } else {
    rec.oldSize = p->FileSize(f.get());
    if (rec.oldSize < 0) return Status::IoError(name, "its size cannot be told");
    const std::int64_t want =
        edit.wholeFile ? rec.oldSize : static_cast<std::int64_t>(edit.bytes.size());
    if (want > static_cast<std::int64_t>(kMaxJournalRegion)) {
      return Status::Refused(name + ": too much to rewrite in place");
    }
    // The bytes the check looks at first, then those to be replaced.
    std::string read(edit.lookBehind + static_cast<std::size_t>(want), '\0');
    std::size_t got = 0;
    if (!p->Seek(f.get(), edit.offset - static_cast<std::int64_t>(edit.lookBehind)) ||
        !p->Read(f.get(), read.data(), read.size(), &got)) {
      return Status::IoError(name, "read failed");
    }
    read.resize(got);
    if (check) {
      Status checked = check(read);
      if (!checked.ok()) return checked;
    }
    rec.oldBytes = got > edit.lookBehind ? read.substr(edit.lookBehind) : std::string();
  }
  if (check && rec.oldSize == kFileAbsent) {
    Status checked = check(std::string_view());
    if (!checked.ok()) return checked;
  }
  if (!edit.wholeFile && rec.oldBytes.size() != edit.bytes.size()) {
    return Status::Changed(name, "it ends before the bytes to rewrite");
  }
  rec.newBytes.assign(edit.bytes);
  rec.newSize = edit.wholeFile ? static_cast<std::int64_t>(edit.bytes.size()) : rec.oldSize;
  if (!IsValidJournalRecord(rec)) return Status::Refused(name + ": cannot be rewritten in place");

  const Path journal = internal::WithSuffix(path, kJournalSuffix);
  if (Status s = WriteJournal(p, journal, rec); !s.ok()) {
    if (s.Is(Status::Code::kCannotOpen) && !Ops::FolderExists(p, journal, s.error())) {
      return Status::NotFound(name);
    }
    return s;
  }

  if (f == nullptr) f = Ops::CreateNew(p, path);
  bool ok = f != nullptr &&
            PutBytes(p, f.get(), rec.offset, rec.newBytes, rec.newSize, rec.oldSize) &&
            p->SyncFile(f.get());
  ok = (f == nullptr || p->Close(f)) && ok;
  if (ok) {
    // A journal left here names new bytes that are in place: the next
    // recovery merely completes it.
    if (Ops::Remove(p, journal)) Ops::SyncFolder(p, journal);
    return Status::Ok();
  }
  // Whatever the failed step left, the bytes decide, as they would at the
  // next start.
  const Recovery after = Resolve(p, path, journal, rec);
  if (after.action == Recovery::Action::kCompleted) return Status::Ok();
  if (after.status.ok()) {
    return Status::IoError(name, "write failed; the file holds what it held before");
  }
  return Status::IoError(name,
                         "write failed and could not be undone yet; the next start puts "
                         "back what it held before (" +
                             after.status.message() + ")");
}

}  // namespace

std::string JournalPath(const std::string& path) {
  return internal::WithSuffix(path, kJournalSuffix);
}
std::u16string JournalPath(const std::u16string& path) {
  return internal::WithSuffix(path, kJournalSuffix);
}

Recovery RecoverInterruptedSave(Platform* platform, const std::string& path) {
  return Recover(platform, path);
}
Recovery RecoverInterruptedSave(Platform* platform, const std::u16string& path) {
  return Recover(platform, path);
}

void AppendRecoveryNote(const Recovery& recovery, std::string* note) {
  if (note == nullptr || recovery.note.empty()) return;
  if (!note->empty()) *note += '\n';
  *note += recovery.note;
}

template <class Path>
Status RewriteAfterRecovery(Platform* platform, const Path& path, const InPlaceEdit& edit,
                            const RegionCheck& check, std::string* note) {
  const Recovery recovery = Recover(platform, path);
  AppendRecoveryNote(recovery, note);
  if (!recovery.status.ok()) return recovery.status;
  return Rewrite(platform, path, edit, check);
}

Status RewriteInPlace(Platform* platform, const std::string& path, const InPlaceEdit& edit,
                      const RegionCheck& check, std::string* note) {
  return RewriteAfterRecovery(platform, path, edit, check, note);
}
Status RewriteInPlace(Platform* platform, const std::u16string& path, const InPlaceEdit& edit,
                      const RegionCheck& check, std::string* note) {
  return RewriteAfterRecovery(platform, path, edit, check, note);
}

namespace internal {
Status RewriteInPlaceResolved(Platform* platform, const std::string& path, const InPlaceEdit& edit,
                              const RegionCheck& check) {
  return Rewrite(platform, path, edit, check);
}
Status RewriteInPlaceResolved(Platform* platform, const std::u16string& path,
                              const InPlaceEdit& edit, const RegionCheck& check) {
  return Rewrite(platform, path, edit, check);
}
}  // namespace internal

}  // namespace taliq
