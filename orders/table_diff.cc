#include "orders/table_diff.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "dictionary/candidate.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/punctuation_file.h"
#include "dictionary/table_cursor.h"
#include "orders/data_folder.h"
#include "orders/group_order.h"
#include "orders/fingerprint.h"

namespace taliq {
namespace {

OrderTable OrderTableOf(TableKind kind) {
  return kind == TableKind::kCharacters ? OrderTable::kCharacters : OrderTable::kPhrases;
}

bool SameTexts(const WalkedGroup& a, const WalkedGroup& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if ((*a.entries)[k].Text() != (*b.entries)[k].Text()) return false;
  }
  return true;
}

TextOrder Texts(const WalkedGroup& g, OrderTable table) {
  return RecordTexts(*g.entries, g.count, table);
}

std::string AsciiCode(std::u16string_view code) { return std::string(code.begin(), code.end()); }

Status LoadIndex(Platform* platform, const std::string& folder, DictionaryIndex* index) {
  return index->Load(platform, JoinPath(folder, kIndexFileName));
}

// Whether both indexes place every block of `kind` alike.
bool SameLayout(const DictionaryIndex& a, const DictionaryIndex& b, TableKind kind) {
  for (int bucket = 0; bucket < kBucketCount; ++bucket) {
    std::int32_t offsetA = 0, offsetB = 0;
    std::uint32_t lengthA = 0, lengthB = 0;
    if (a.PlaceBucket(bucket, kind, &offsetA, &lengthA) != DictionaryIndex::Placement::kFound ||
        b.PlaceBucket(bucket, kind, &offsetB, &lengthB) != DictionaryIndex::Placement::kFound ||
        offsetA != offsetB || lengthA != lengthB) {
      return false;
    }
  }
  return true;
}

// The blocks of a table by file offset, to find those a byte range touches.
class BlockMap {
 public:
  BlockMap(const DictionaryIndex& index, TableKind kind) {
    for (int bucket = 0; bucket < kBucketCount; ++bucket) {
      std::int32_t offset = 0;
      std::uint32_t length = 0;
      if (index.PlaceBucket(bucket, kind, &offset, &length) == DictionaryIndex::Placement::kFound &&
          length > 0) {
        blocks_.push_back({offset, offset + static_cast<std::int64_t>(length), bucket});
      }
    }
    // Blocks lie in bucket order in every table the tools write.
    const auto byOffset = [](const Block& x, const Block& y) { return x.begin < y.begin; };
    if (!std::is_sorted(blocks_.begin(), blocks_.end(), byOffset)) {
      std::sort(blocks_.begin(), blocks_.end(), byOffset);
    }
  }
  // Marks every block that holds a byte of [begin, end).
  void Mark(std::int64_t begin, std::int64_t end, std::vector<bool>* dirty) const {
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), begin,
                               [](std::int64_t pos, const Block& b) { return pos < b.begin; });
    if (it != blocks_.begin()) --it;
    for (; it != blocks_.end() && it->begin < end; ++it) {
      if (it->end > begin) (*dirty)[static_cast<std::size_t>(it->bucket)] = true;
    }
  }

 private:
  struct Block {
    std::int64_t begin;
    std::int64_t end;
    int bucket;
  };
  std::vector<Block> blocks_;
};

constexpr std::size_t kCompareChunk = 128 * 1024;
constexpr std::size_t kComparePiece = 256;

// One buffer for each file, allocated once per thread and kept: the
// comparisons of a run (four dictionaries, three tables each) reuse pages
// already mapped instead of faulting in fresh ones for every table.
struct CompareBuffers {
  std::unique_ptr<char[]> installed = std::make_unique_for_overwrite<char[]>(kCompareChunk);
  std::unique_ptr<char[]> snapshot = std::make_unique_for_overwrite<char[]>(kCompareChunk);
};

FileHandle OpenForReading(Platform* platform, const std::string& path, Status* status) {
  errno = 0;
  FileHandle f = platform->OpenFile(path, "rb");
  if (f == nullptr) {
    *status =
        errno == ENOENT ? Status::NotFound(path) : Status::CannotOpen(path, ErrnoCause(errno));
  }
  return f;
}

// Reads both open files front to back in step, one buffer each, and marks
// the blocks whose bytes differ. With `fingerprint`, also the installed
// file's size and fingerprint.
Status MarkChangedBlocks(const BlockMap& blocks, const FileHandle& installed,
                         const std::string& installedPath, const FileHandle& snapshot,
                         const std::string& snapshotPath, CompareBuffers* buffers,
                         std::vector<bool>* dirty, FileFingerprint* fingerprint) {
  char* a = buffers->installed.get();
  char* b = buffers->snapshot.get();
  Fingerprint64 hash;
  std::int64_t pos = 0;
  for (;;) {
    const std::size_t gotA = std::fread(a, 1, kCompareChunk, installed.get());
    const std::size_t gotB = std::fread(b, 1, kCompareChunk, snapshot.get());
    if (gotA == 0 && gotB == 0) break;
    if (fingerprint != nullptr) hash.Update(a, gotA);
    const std::size_t common = std::min(gotA, gotB);
    if (std::memcmp(a, b, common) != 0) {
      for (std::size_t at = 0; at < common; at += kComparePiece) {
        const std::size_t n = std::min(kComparePiece, common - at);
        if (std::memcmp(a + at, b + at, n) != 0) {
          blocks.Mark(pos + static_cast<std::int64_t>(at), pos + static_cast<std::int64_t>(at + n),
                      dirty);
        }
      }
    }
    const std::size_t longer = std::max(gotA, gotB);
    if (longer > common) {
      blocks.Mark(pos + static_cast<std::int64_t>(common), pos + static_cast<std::int64_t>(longer),
                  dirty);
    }
    pos += static_cast<std::int64_t>(longer);
    if (fingerprint != nullptr) fingerprint->size += static_cast<std::int64_t>(gotA);
    // Short reads on both sides: both ends (or an error, told by ferror).
    if (gotA < kCompareChunk && gotB < kCompareChunk) break;
  }
  if (std::ferror(installed.get())) return Status::IoError(installedPath, "read failed");
  if (std::ferror(snapshot.get())) return Status::IoError(snapshotPath, "read failed");
  if (fingerprint != nullptr) fingerprint->value = hash.Value();
  return Status::Ok();
}

// Clean bytes between two runs of changed blocks that are read through
// rather than skipped: a seek and a read on each side cost more than
// walking a few kilobytes of groups that compare equal.
constexpr std::int64_t kReadThroughBytes = 4096;

// The end of the run of blocks from the changed block `first` on that one
// read takes: the changed blocks, and the empty or unchanged ones between
// two changed ones while they hold at most kReadThroughBytes.
int RunEnd(const DictionaryIndex& index, TableKind kind, const std::vector<bool>& dirty,
           int first) {
  int end = first + 1;
  std::int64_t clean = 0;
  for (int b = end; b < kBucketCount && clean <= kReadThroughBytes; ++b) {
    if (dirty[static_cast<std::size_t>(b)]) {
      end = b + 1;
      clean = 0;
      continue;
    }
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    if (index.PlaceBucket(b, kind, &offset, &length) != DictionaryIndex::Placement::kFound) break;
    clean += length;
  }
  return end;
}

// Walks the installed table and the snapshot's side by side. While both
// list the same codes in the same order (the tools only reorder groups in
// place) the groups are compared pair by pair; from the first code where a
// block's groups part ways (another version of the dictionary) the rest of
// that block of the snapshot is held by code, one block at a time.
Status DiffTable(Platform* platform, const DictionaryIndex& snapshotIndex,
                 const std::string& snapshotPath, const DictionaryIndex& installedIndex,
                 const std::string& installedPath, TableKind kind, const DifferenceSink& sink,
                 CompareBuffers* buffers, FileFingerprint* fingerprint) {
  const OrderTable table = OrderTableOf(kind);
  // Where both tables have one layout (the tools only reorder groups in
  // place), only the blocks whose bytes differ are read group by group.
  const bool sameLayout = SameLayout(snapshotIndex, installedIndex, kind);
  std::vector<bool> dirty(kBucketCount, !sameLayout);
  // Both files stay open for the walk of the blocks that differ.
  Status status;
  FileHandle installedFile = OpenForReading(platform, installedPath, &status);
  if (installedFile == nullptr) return status;
  FileHandle snapshotFile = OpenForReading(platform, snapshotPath, &status);
  if (snapshotFile == nullptr) return status;
  if (sameLayout) {
    // Read in whole chunks straight into the compare buffers, as the walk
    // reads its blocks.
    std::setvbuf(installedFile.get(), nullptr, _IONBF, 0);
    std::setvbuf(snapshotFile.get(), nullptr, _IONBF, 0);
    if (Status s = MarkChangedBlocks(BlockMap(installedIndex, kind), installedFile, installedPath,
                                     snapshotFile, snapshotPath, buffers, &dirty, fingerprint);
        !s.ok()) {
      return s;
    }
  } else if (fingerprint != nullptr) {
    if (Status s = FingerprintFile(platform, installedPath, fingerprint); !s.ok()) return s;
  }
  if (std::find(dirty.begin(), dirty.end(), true) == dirty.end()) return Status::Ok();
  TableCursor snapshot;
  TableCursor installed;
  if (Status s = snapshot.Open(platform, snapshotIndex, snapshotPath, kind, std::move(snapshotFile));
      !s.ok()) {
    return s;
  }
  if (Status s =
          installed.Open(platform, installedIndex, installedPath, kind, std::move(installedFile));
      !s.ok()) {
    return s;
  }
  WalkedGroup a;
  WalkedGroup b;
  std::unordered_map<std::u16string, TextOrder> held;
  auto report = [&](std::u16string_view code, TextOrder original) {
    return sink(GroupDifference{table, AsciiCode(code), std::move(original), Texts(b, table)});
  };
  for (int first = 0; first < kBucketCount;) {
    if (!dirty[static_cast<std::size_t>(first)]) {
      ++first;
      continue;
    }
    const int end = RunEnd(installedIndex, kind, dirty, first);
    snapshot.Restrict(first, end);
    installed.Restrict(first, end);
    first = end;
    bool haveA = snapshot.Next(&a);
    held.clear();
    int heldBucket = -1;
    while (installed.Next(&b)) {
      if (heldBucket != b.bucket) {
        held.clear();
        heldBucket = -1;
        while (haveA && a.bucket < b.bucket) haveA = snapshot.Next(&a);
        if (haveA && a.bucket == b.bucket && a.code == b.code) {
          if (!SameTexts(a, b)) {
            if (Status s = report(b.code, Texts(a, table)); !s.ok()) return s;
          }
          haveA = snapshot.Next(&a);
          continue;
        }
        heldBucket = b.bucket;
        while (haveA && a.bucket == b.bucket) {
          held.emplace(std::u16string(a.code), Texts(a, table));
          haveA = snapshot.Next(&a);
        }
      }
      const auto it = held.find(std::u16string(b.code));
      if (it == held.end()) continue;
      if (it->second != Texts(b, table)) {
        if (Status s = report(b.code, std::move(it->second)); !s.ok()) return s;
      }
      held.erase(it);
    }
    if (!installed.status().ok()) return installed.status();
    if (!snapshot.status().ok()) return snapshot.status();
  }
  return Status::Ok();
}

// With `fingerprint`, also the file's size and fingerprint, from the same
// reads.
Status ReadPunctuationOrder(Platform* platform, const std::string& folder, TextOrder* order,
                            FileFingerprint* fingerprint = nullptr) {
  auto list = std::make_unique<CandidateList>();
  int count = 0;
  Fingerprint64 hash;
  std::int64_t size = 0;
  FileBytesSink everyByte;
  if (fingerprint != nullptr) {
    everyByte = [&](const std::uint8_t* bytes, std::size_t n) {
      hash.Update(bytes, n);
      size += static_cast<std::int64_t>(n);
    };
  }
  if (Status s = ReadPunctuationFile(platform, JoinPath(folder, ""), *list, &count, everyByte);
      !s.ok()) {
    return s;
  }
  if (fingerprint != nullptr) *fingerprint = FileFingerprint{size, hash.Value()};
  *order = RecordTexts(*list, count, OrderTable::kPunctuation);
  return Status::Ok();
}

}  // namespace

Status DiffDictionary(Platform* platform, const std::string& snapshotFolder,
                      const std::string& installedFolder, const DifferenceSink& sink,
                      FolderFingerprints* installedFingerprints) {
  DictionaryIndex snapshotIndex;
  DictionaryIndex installedIndex;
  if (Status s = LoadIndex(platform, snapshotFolder, &snapshotIndex); !s.ok()) return s;
  if (Status s = LoadIndex(platform, installedFolder, &installedIndex); !s.ok()) return s;
  // kDictionaryFileNames: the index, the two tables, the punctuation. Each
  // fingerprint comes from the read that the comparison makes anyway.
  if (installedFingerprints != nullptr) {
    const std::string_view bytes = installedIndex.bytes();
    (*installedFingerprints)[0] =
        FileFingerprint{static_cast<std::int64_t>(bytes.size()), Fingerprint64::Of(bytes)};
  }
  static thread_local CompareBuffers buffers;
  for (TableKind kind : {TableKind::kCharacters, TableKind::kPhrases}) {
    const char* name = TableFileName(kind);
    FileFingerprint* fingerprint =
        installedFingerprints == nullptr
            ? nullptr
            : &(*installedFingerprints)[kind == TableKind::kCharacters ? 1 : 2];
    if (Status s =
            DiffTable(platform, snapshotIndex, JoinPath(snapshotFolder, name), installedIndex,
                      JoinPath(installedFolder, name), kind, sink, &buffers, fingerprint);
        !s.ok()) {
      return s;
    }
  }
  TextOrder original;
  TextOrder current;
  if (Status s = ReadPunctuationOrder(platform, snapshotFolder, &original); !s.ok()) return s;
  if (Status s = ReadPunctuationOrder(
          platform, installedFolder, &current,
          installedFingerprints == nullptr ? nullptr : &(*installedFingerprints)[3]);
      !s.ok()) {
    return s;
  }
  if (original == current || original.empty() || current.empty()) return Status::Ok();
  return sink(GroupDifference{OrderTable::kPunctuation, std::string(kPunctuationCode),
                              std::move(original), std::move(current)});
}

Status SnapshotOrder(Platform* platform, const std::string& snapshotFolder, const GroupKey& group,
                     TextOrder* order) {
  if (group.table == OrderTable::kPunctuation) {
    if (Status s = ReadPunctuationOrder(platform, snapshotFolder, order); !s.ok()) return s;
    return order->empty() ? Status::NotFound(GroupName(group) + " in " + snapshotFolder)
                          : Status::Ok();
  }
  const TableKind kind =
      group.table == OrderTable::kCharacters ? TableKind::kCharacters : TableKind::kPhrases;
  const std::u16string code(group.code.begin(), group.code.end());
  const int bucket = BucketOf(code);
  if (bucket < 0) return Status::Refused(GroupName(group) + ": not a code");
  DictionaryIndex index;
  if (Status s = LoadIndex(platform, snapshotFolder, &index); !s.ok()) return s;
  TableCursor cursor;
  if (Status s = cursor.Open(platform, index, JoinPath(snapshotFolder, TableFileName(kind)), kind,
                             bucket, bucket + 1);
      !s.ok()) {
    return s;
  }
  WalkedGroup g;
  while (cursor.Next(&g)) {
    if (g.code == code) {
      *order = Texts(g, group.table);
      return Status::Ok();
    }
  }
  if (!cursor.status().ok()) return cursor.status();
  return Status::NotFound(GroupName(group) + " in the snapshot " + snapshotFolder);
}

}  // namespace taliq
