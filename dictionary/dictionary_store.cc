#include "dictionary/dictionary_store.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "dictionary/block_scan.h"
#include "dictionary/block_stream.h"
#include "dictionary/interrupted_saves.h"
#include "dictionary/open_file.h"
#include "dictionary/punctuation_file.h"
#include "dictionary/scan_kernels.h"
#include "platform/text.h"

namespace taliq {
namespace {

Status NoProgramFilesFolder() { return Status::NotFound("the Program Files folder"); }

std::string CodeText(std::u16string_view code) { return "code " + Utf16ToUtf8(code); }

// Why the scan of the block of `code` (`length` bytes by the index) found
// the block damaged: the file ends inside it, or it ends inside a group.
Status Damage(const BlockStream& block, const std::string& path, std::u16string_view code,
              std::uint32_t length) {
  if (block.truncated()) {
    return Status::Corruption(path, block.EndOffset(),
                              "the file ends inside the block of " + CodeText(code) +
                                  ", which the index makes " + std::to_string(length) + " bytes");
  }
  return Status::Corruption(path, block.EndOffset(),
                            "the block of " + CodeText(code) + " ends inside a code group");
}

}  // namespace

DictionaryStore::DictionaryStore(Platform* platform) : platform_(platform) { LoadIndex(); }

DictionaryStore::DictionaryStore(Platform* platform, DictionaryId id)
    : platform_(platform), id_(id) {
  LoadIndex();
}

const Status& DictionaryStore::Record(Status status) {
  status_ = std::move(status);
  return status_;
}

void DictionaryStore::RecordOk() {
  if (!status_.ok()) status_ = Status::Ok();
}

std::string DictionaryStore::ResolveDictionaryFolder(DictionaryId id,
                                                     bool trimAtParenthesis) const {
  return InstalledDictionaryFolder(platform_, id, trimAtParenthesis);
}

std::string InstalledDictionaryFolder(Platform* platform, DictionaryId id, bool trimAtParenthesis) {
  std::string folder;
  if (!platform->ProgramFilesFolderA(&folder) || folder.empty()) return std::string();
  if (trimAtParenthesis) {
    // "C:\Program Files (x86)" names the native copy as "C:\Program Files":
    // cut before the first "(", wherever it stands, and the blank in front
    // of it if there is one.
    size_t cut = folder.find('(');
    if (cut != std::string::npos) {
      if (cut > 0 && folder[cut - 1] == ' ') --cut;
      if (cut == 0) return std::string();
      folder.resize(cut);
    }
  }
  const char sep = kPathSeparator;
  folder.reserve(folder.size() + 64);  // the rest and a file name, in one allocation
  folder += sep;
  folder += "lurm";
  folder += sep;
  folder += "rozevuv_cht";
  folder += sep;
  folder += "mb";
  folder += sep;
  folder += DictionaryFolderName(id);
  folder += sep;
  return folder;
}

std::string DictionaryStore::FilePath(std::string_view fileName, bool trimAtParenthesis) const {
  std::string folder = ResolveDictionaryFolder(id_, trimAtParenthesis);
  if (folder.empty()) return folder;
  folder.append(fileName);
  return folder;
}

Status DictionaryStore::LoadIndex() {
  const std::string path = FilePath(kIndexFileName, false);
  if (path.empty()) {
    index_.Clear();
    indexStatus_ = NoProgramFilesFolder();
  } else if (Status recovered = RecoverInterruptedSaves(); !recovered.ok()) {
    index_.Clear();
    indexStatus_ = std::move(recovered);
  } else {
    indexStatus_ = index_.Load(platform_, path);
  }
  return Record(indexStatus_);
}

Status DictionaryStore::RecoverInterruptedSaves() {
  return ResolveInterruptedSaves(platform_, ResolveDictionaryFolder(id_, false),
                                 ResolveDictionaryFolder(id_, true), &recoveryNote_);
}

Status DictionaryStore::LockFolder(bool trimAtParenthesis, FileLock* lock) {
  const std::string folder = ResolveDictionaryFolder(id_, trimAtParenthesis);
  if (folder.empty()) return NoProgramFilesFolder();
  return lock->Acquire(platform_, folder + kDictionaryLockFileName, folder, lockWait_);
}

Status DictionaryStore::SelectCharset(DictionaryId id) {
  if (id == id_) return Record(Status::Ok());
  id_ = id;
  return LoadIndex();
}

int DictionaryStore::FindBlock(std::u16string_view code, TableKind table, std::int32_t* offset,
                               std::uint32_t* length) const {
  return index_.Place(code, table, offset, length) == DictionaryIndex::Placement::kFound ? 0 : -1;
}

int DictionaryStore::LookupCharacters(std::u16string_view code, CandidateList& list) {
  const int result = Lookup(code, TableKind::kCharacters, list);
  characterCount_ = std::max(result, 0);  // -1 (no index) lists nothing
  return result;
}

int DictionaryStore::LookupPhrases(std::u16string_view code, CandidateList& list) {
  const int result = Lookup(code, TableKind::kPhrases, list);
  phraseCount_ = std::max(result, 0);
  return result;
}

int DictionaryStore::Lookup(std::u16string_view code, TableKind table, CandidateList& list) {
  match_.reset();
  if (!index_.loaded()) LoadIndex();
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  switch (index_.Place(code, table, &offset, &length)) {
    case DictionaryIndex::Placement::kBadCode:
      Record(Status::Refused(CodeText(code) + " is not 1 to " +
                             (table == TableKind::kCharacters ? "4" : "6") + " digits"));
      return 0;
    case DictionaryIndex::Placement::kNoIndex:
      Record(indexStatus_);
      return -1;
    case DictionaryIndex::Placement::kOutOfRange:
      Record(Status::Corruption(
          FilePath(kIndexFileName, false),
          static_cast<std::int64_t>(DictionaryIndex::LengthOffset(BucketOf(code), table)),
          "the blocks before that of " + CodeText(code) + " end past 2^31 - 1"));
      return 0;
    case DictionaryIndex::Placement::kFound:
      break;
  }
  const std::string path = FilePath(TableFileName(table), false);
  if (path.empty()) {
    Record(NoProgramFilesFolder());
    return 0;
  }
  Status status;
  FileHandle f = OpenDictionaryFile(platform_, path, "rb", &status);
  if (f == nullptr) {
    Record(std::move(status));
    return 0;
  }
  if (length == 0) {
    RecordOk();
    return 0;
  }
  BlockStream block;
  switch (block.Open(platform_, f.get(), offset, length)) {
    case BlockStream::OpenResult::kSeekFailed:
      Record(Status::IoError(path, "cannot seek to offset " + std::to_string(offset)));
      return 0;
    case BlockStream::OpenResult::kNoMemory:
      Record(Status::NoMemory("reading " + path));
      return 0;
    case BlockStream::OpenResult::kOpened:
      break;
  }
  const PackedMatcher matcher(code);
  const ScanOps& ops = ActiveScanOps();
  const ScanResult r = table == TableKind::kPhrases
                           ? ScanPhraseBlock(&block, matcher, ops, list)
                           : ScanCharacterBlock(&block, matcher, ops, list);
  if (r.matched) match_ = GroupMatch{table, id_, matcher, r.entryOffset, r.longPhraseBetween};
  if (r.cut || (r.exhausted && block.truncated())) {
    Record(Damage(block, path, code, length));
  } else {
    RecordOk();
  }
  return r.count;
}

Status DictionaryStore::WriteCandidates(const CandidateList& list, int count,
                                        bool trimAtParenthesis) {
  // Only the group of the last lookup, in the dictionary it was read from,
  // may be rewritten.
  if (!match_) return Record(Status::Refused("no code group was looked up to write back"));
  if (match_->dictionary != id_) {
    return Record(Status::Refused("the list was looked up in the " +
                                  std::string(DictionaryName(match_->dictionary)) +
                                  " dictionary, not in " + std::string(DictionaryName(id_))));
  }
  const std::string path = FilePath(TableFileName(match_->table), trimAtParenthesis);
  if (path.empty()) return Record(NoProgramFilesFolder());
  // No "(" in the Program Files folder: the second copy is the first.
  if (trimAtParenthesis && path == FilePath(TableFileName(match_->table), false)) {
    return Record(Status::Ok());
  }
  FileLock lock;
  if (Status locked = LockFolder(trimAtParenthesis, &lock); !locked.ok()) return Record(locked);
  return Record(
      WriteGroup(platform_, path, *match_, list, count, trimAtParenthesis, &recoveryNote_));
}

int DictionaryStore::ReadPunctuation(CandidateList& list) {
  const std::string folder = ResolveDictionaryFolder(id_, false);
  if (folder.empty()) {
    characterCount_ = 0;
    Record(NoProgramFilesFolder());
    return 0;
  }
  Record(ReadPunctuationFile(platform_, folder, list, &characterCount_));
  return characterCount_;
}

Status DictionaryStore::WritePunctuation(const CandidateList& list, int count) {
  const std::string folder = ResolveDictionaryFolder(id_, false);
  if (folder.empty()) return Record(NoProgramFilesFolder());
  FileLock lock;
  if (Status locked = LockFolder(false, &lock); !locked.ok()) return Record(locked);
  return Record(WritePunctuationFile(platform_, folder, list, count, &recoveryNote_));
}

}  // namespace taliq
