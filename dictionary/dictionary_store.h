// DictionaryStore: the one object through which the frequency tool reads and
// rewrites the installed dictionary files.
//
// Only the index of the current dictionary is held in memory; every lookup
// and every write opens and closes its file within the call. The store shows
// nothing: each operation says how it went with a Status (returned, or kept
// for status() where the operation returns a count), and the front ends
// decide what to show. The file formats are described in
// docs/dictionary-format.md; the pieces live in format.h, dictionary_index.h,
// block_stream.h, block_scan.h, scan_kernels.h, group_write.h and
// punctuation_file.h.
#ifndef TALIQ_DICTIONARY_DICTIONARY_STORE_H_
#define TALIQ_DICTIONARY_DICTIONARY_STORE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "dictionary/candidate.h"
#include "dictionary/dictionary_id.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/format.h"
#include "dictionary/group_write.h"
#include "platform/file_lock.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// What the frequency tool shows for the store's failures (no owner window,
// default caption, OK): see TunavoDialogModel, which shows them.
inline constexpr char16_t kIndexLoadFailedMessage[] = u"加載字詞碼本索引文件失敗,請重新安裝本軟件";
inline constexpr char16_t kTableLoadFailedMessage[] = u"加載碼本文件失敗,請重新安裝本軟件";
inline constexpr char16_t kOutOfMemoryMessage[] = u"內存申請失敗,請先關閉一些程序";
inline constexpr char16_t kPunctuationFileMessage[] = u"pun file not found!";

// The folder of `id` in the first or second installed copy, as
// DictionaryStore::ResolveDictionaryFolder tells it, for a caller that reads
// the files without a store.
std::string InstalledDictionaryFolder(Platform* platform, DictionaryId id, bool trimAtParenthesis);

class DictionaryStore {
 public:
  // Loads the index of the simplified standard dictionary; indexStatus()
  // says how that went. The store is usable whatever the outcome.
  explicit DictionaryStore(Platform* platform = Platform::Default());
  // Loads the index of `id` instead: for a caller that knows which
  // dictionary it works on, so that no other is read (or recovered) first.
  DictionaryStore(Platform* platform, DictionaryId id);
  DictionaryStore(const DictionaryStore&) = delete;
  DictionaryStore& operator=(const DictionaryStore&) = delete;

  // The folder of `id` in the first (trimAtParenthesis false) or second
  // installed copy, ending in the path separator; empty when the platform
  // cannot name the Program Files folder. The second copy's Program Files
  // folder is the first's cut before its first "(", and before the blank
  // in front of it if there is one, wherever it stands ("C:\Program Files
  // (x86)" and "D:\PF(x86)" give "C:\Program Files" and "D:\PF"); a path
  // without "(" names the same folder for both; one that starts with "("
  // has no second copy (empty).
  std::string ResolveDictionaryFolder(DictionaryId id, bool trimAtParenthesis) const;

  // Loads the current dictionary's index (see DictionaryIndex::Load; also
  // kNotFound when there is no Program Files folder). Before anything is
  // read, what an interrupted save left in the tables of either copy is
  // completed or undone (TakeRecoveryNote tells); when that cannot be done
  // in the first copy, its status is the load's and nothing is held.
  Status LoadIndex();
  // Makes `id` current. When it differs from the current one the index is
  // reloaded and the load's outcome returned; otherwise nothing is read and
  // the result is Ok.
  Status SelectCharset(DictionaryId id);
  // 0 found, -1 refused: the code is not 1-4 (characters) or 1-6 (phrases)
  // digits, no index is loaded, or the block lies past 2^31 - 1.
  int FindBlock(std::u16string_view code, TableKind table, std::int32_t* offset,
                std::uint32_t* length) const;

  // Number of records filled (0-300), or -1 when no index can be held (the
  // lookup first retries the load). A code that is not 1-4 (characters) or
  // 1-6 (phrases) digits gives 0, as does a damaged table: the scan ends at
  // the block's or the file's end with the records completed so far.
  // status() then says why: kRefused (the code), the index load's status
  // (-1), kNotFound / kCannotOpen (the table), kCorruption (damage, with
  // the offset where the bytes ran out); Ok for a code without candidates.
  int LookupCharacters(std::u16string_view code, CandidateList& list);
  int LookupPhrases(std::u16string_view code, CandidateList& list);

  // Rewrites the group of the last lookup in the given copy with the first
  // `count` records, in list order, in the table that lookup read (see
  // WriteGroup for the check and the results), holding the copy's folder
  // lock (kBusy when another program holds it). Also kRefused when no group
  // was matched or the current dictionary is not the lookup's. A second
  // copy that is the first copy's file (a Program Files folder without "(")
  // is not written again: Ok.
  Status WriteCandidates(const CandidateList& list, int count, bool trimAtParenthesis);

  // Marks read from the first copy (at most 300); sets characterCount.
  // status() says why a table could not be read (kNotFound when missing).
  int ReadPunctuation(CandidateList& list);
  // Writes the first `count` marks to the first copy (see
  // WritePunctuationFile), holding its folder lock.
  Status WritePunctuation(const CandidateList& list, int count);

  // What the index loads and the writes found of saves an earlier run did
  // not finish (each completed or undone; platform/journal.h), one line per
  // file, to be shown once: the call hands the text over and forgets it.
  std::string TakeRecoveryNote() { return std::exchange(recoveryNote_, std::string()); }

  // How long a write waits for the lock another program holds on the
  // folder before it gives up with kBusy (kLockWaitMilliseconds).
  void SetLockWait(int milliseconds) { lockWait_ = milliseconds; }

  // The outcome of the last operation above.
  const Status& status() const { return status_; }
  // The outcome of the last index load (the constructor's, SelectCharset's
  // or a lookup's retry).
  const Status& indexStatus() const { return indexStatus_; }

  DictionaryId id() const { return id_; }
  Charset charset() const { return id_.charset; }
  Edition edition() const { return id_.edition; }
  bool HasIndex() const { return index_.loaded(); }
  int characterCount() const { return characterCount_; }
  int phraseCount() const { return phraseCount_; }
  // File offset of the first entry of the group the last lookup matched, or
  // 0 when it matched none.
  std::int32_t matchOffset() const { return match_ ? match_->entryOffset : 0; }

 private:
  // The path of a file of the current dictionary; empty when the platform
  // cannot name the Program Files folder.
  std::string FilePath(std::string_view fileName, bool trimAtParenthesis) const;
  // The lookup both tables share: the records filled, or -1 without an index.
  int Lookup(std::u16string_view code, TableKind table, CandidateList& list);
  const Status& Record(Status status);
  // Resolves what interrupted saves left in the tables of both installed
  // copies, holding each folder's lock; the first copy's failure, if any.
  Status RecoverInterruptedSaves();
  // Takes the lock of the folder of `path`'s copy.
  Status LockFolder(bool trimAtParenthesis, FileLock* lock);
  // Record(Status::Ok()) without building a Status when nothing changes.
  void RecordOk();

  Platform* const platform_;
  DictionaryId id_;
  DictionaryIndex index_;
  Status status_;
  Status indexStatus_;
  int characterCount_ = 0;
  int phraseCount_ = 0;
  // The group the last lookup matched, so that a write-back goes to the
  // table and dictionary the list came from and checks the group's code.
  std::optional<GroupMatch> match_;
  std::string recoveryNote_;
  int lockWait_ = kLockWaitMilliseconds;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_DICTIONARY_STORE_H_
