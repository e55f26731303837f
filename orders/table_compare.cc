#include "orders/table_compare.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "dictionary/table_cursor.h"
#include "orders/group_order.h"

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

// Whether both indexes place every block of `kind` alike: the same block
// lengths, none of them past the last offset a table may use (when the
// last block is placed, so is every one before it).
bool SameLayout(const DictionaryIndex& a, const DictionaryIndex& b, TableKind kind) {
  const std::size_t at = DictionaryIndex::LengthOffset(0, kind);
  const std::size_t size = DictionaryIndex::LengthOffset(kBucketCount, kind) - at;
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  return a.bytes().substr(at, size) == b.bytes().substr(at, size) &&
         a.PlaceBucket(kBucketCount - 1, kind, &offset, &length) ==
             DictionaryIndex::Placement::kFound;
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
    inBucketOrder_ = std::is_sorted(blocks_.begin(), blocks_.end(), byOffset);
    if (!inBucketOrder_) std::sort(blocks_.begin(), blocks_.end(), byOffset);
  }
  // Whether the file holds the blocks in bucket order.
  bool inBucketOrder() const { return inBucketOrder_; }
  // Where a read from `pos` of at most `most` bytes had best stop: at the
  // end of the last block it would hold whole, or after `most` bytes when
  // it holds none.
  std::size_t ReadSize(std::int64_t pos, std::size_t most) const {
    const std::int64_t limit = pos + static_cast<std::int64_t>(most);
    // Blocks lie back to back: their ends rise with their offsets.
    const auto it = std::partition_point(blocks_.begin(), blocks_.end(),
                                         [&](const Block& b) { return b.end <= limit; });
    if (it == blocks_.begin() || std::prev(it)->end <= pos) return most;
    return static_cast<std::size_t>(std::prev(it)->end - pos);
  }
  // Whether a block holds bytes on both sides of `pos`.
  bool Splits(std::int64_t pos) const {
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), pos,
                               [](std::int64_t p, const Block& b) { return p < b.begin; });
    return it != blocks_.begin() && std::prev(it)->begin < pos && std::prev(it)->end > pos;
  }
  // Calls fn(bucket) for every block that lies wholly inside [begin, end).
  template <typename F>
  void ForEachBucketInside(std::int64_t begin, std::int64_t end, F fn) const {
    ForEachInside(begin, end, [&](const Block& b) { fn(b.bucket); });
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
  template <typename F>
  void ForEachInside(std::int64_t begin, std::int64_t end, F fn) const {
    auto it = std::lower_bound(blocks_.begin(), blocks_.end(), begin,
                               [](const Block& b, std::int64_t pos) { return b.begin < pos; });
    for (; it != blocks_.end() && it->begin < end; ++it) {
      if (it->end <= end) fn(*it);
    }
  }

  std::vector<Block> blocks_;
  bool inBucketOrder_ = true;
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

// Receives each stretch [pos, pos + size) that both files were read into,
// the installed file's bytes and then the snapshot's, once the blocks whose
// bytes differ there are marked.
using ChunkSink = std::function<Status(std::int64_t pos, const char* installed,
                                       const char* snapshot, std::size_t size)>;

// Reads both open files front to back in step, one buffer each, and marks
// the blocks whose bytes differ. Each read stops at the end of a block
// where one fits, so that a block lies whole in one chunk unless it is
// longer than the buffer. With `fingerprint`, also the installed file's
// size and fingerprint.
Status MarkChangedBlocks(const BlockMap& blocks, const FileHandle& installed,
                         const std::string& installedPath, const FileHandle& snapshot,
                         const std::string& snapshotPath, CompareBuffers* buffers,
                         std::vector<bool>* dirty, FileFingerprint* fingerprint,
                         const ChunkSink& chunk) {
  char* a = buffers->installed.get();
  char* b = buffers->snapshot.get();
  Fingerprint64 hash;
  std::int64_t pos = 0;
  for (;;) {
    const std::size_t want = blocks.ReadSize(pos, kCompareChunk);
    const std::size_t gotA = std::fread(a, 1, want, installed.get());
    const std::size_t gotB = std::fread(b, 1, want, snapshot.get());
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
    if (Status s = chunk(pos, a, b, common); !s.ok()) return s;
    const std::size_t longer = std::max(gotA, gotB);
    if (longer > common) {
      blocks.Mark(pos + static_cast<std::int64_t>(common), pos + static_cast<std::int64_t>(longer),
                  dirty);
    }
    pos += static_cast<std::int64_t>(longer);
    if (fingerprint != nullptr) fingerprint->size += static_cast<std::int64_t>(gotA);
    // Short reads on both sides: both ends (or an error, told by ferror).
    if (gotA < want && gotB < want) break;
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
// two changed ones while they hold at most `readThrough` bytes.
int RunEnd(const DictionaryIndex& index, TableKind kind, const std::vector<bool>& dirty, int first,
           std::int64_t readThrough) {
  int end = first + 1;
  std::int64_t clean = 0;
  for (int b = end; b < kBucketCount && clean <= readThrough; ++b) {
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

// Walks the runs of changed blocks of both tables side by side. While both
// list the same codes in the same order (the tools only reorder groups in
// place) the groups are compared pair by pair; from the first code where a
// block's groups part ways (another version of the dictionary) the rest of
// that block of the snapshot is held by code, one block at a time.
Status WalkChangedRuns(TableCursor& snapshot, TableCursor& installed,
                       const DictionaryIndex& installedIndex, TableKind kind,
                       const std::vector<bool>& dirty, std::int64_t readThrough,
                       const DifferenceSink& sink) {
  const OrderTable table = OrderTableOf(kind);
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
    const int end = RunEnd(installedIndex, kind, dirty, first, readThrough);
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

}  // namespace

// Where both tables have one layout (the tools only reorder groups in
// place), only the blocks whose bytes differ are walked group by group:
// those that lie inside one chunk of the byte comparison from its buffers
// at once, the others (across a chunk's end) read again afterwards.
Status DiffTable(Platform* platform, const DictionaryIndex& snapshotIndex,
                 const std::string& snapshotPath, const DictionaryIndex& installedIndex,
                 const std::string& installedPath, TableKind kind, const DifferenceSink& sink,
                 FileFingerprint* fingerprint) {
  static thread_local CompareBuffers buffers;
  const bool sameLayout = SameLayout(snapshotIndex, installedIndex, kind);
  std::vector<bool> dirty(kBucketCount, !sameLayout);
  // Both files stay open for the walk of the blocks that differ.
  Status status;
  FileHandle installedFile = OpenForReading(platform, installedPath, &status);
  if (installedFile == nullptr) return status;
  FileHandle snapshotFile = OpenForReading(platform, snapshotPath, &status);
  if (snapshotFile == nullptr) return status;
  // One pair of cursors (and their candidate lists) for both walks.
  TableCursor snapshot;
  TableCursor installed;
  if (sameLayout) {
    // Read in whole chunks straight into the compare buffers, as the walk
    // reads its blocks.
    std::setvbuf(installedFile.get(), nullptr, _IONBF, 0);
    std::setvbuf(snapshotFile.get(), nullptr, _IONBF, 0);
    const BlockMap blocks(installedIndex, kind);
    std::vector<bool> inside(kBucketCount);
    // The differences go to the sink in bucket order: once a changed block
    // is left for the second reading, so is every one after it. Every block
    // walked from the buffers thus lies before the first one read again,
    // and the runs of the second reading never reach back into them.
    bool fromBuffers = blocks.inBucketOrder();
    const ChunkSink walkInside = [&](std::int64_t pos, const char* a, const char* b,
                                     std::size_t size) {
      if (blocks.Splits(pos)) fromBuffers = false;
      if (!fromBuffers) return Status::Ok();
      bool any = false;
      std::fill(inside.begin(), inside.end(), false);
      blocks.ForEachBucketInside(pos, pos + static_cast<std::int64_t>(size), [&](int bucket) {
        const auto k = static_cast<std::size_t>(bucket);
        if (!dirty[k]) return;
        inside[k] = true;
        dirty[k] = false;
        any = true;
      });
      if (!any) return Status::Ok();
      snapshot.OpenInMemory(snapshotIndex, snapshotPath, kind,
                            reinterpret_cast<const std::uint8_t*>(b), pos, size);
      installed.OpenInMemory(installedIndex, installedPath, kind,
                             reinterpret_cast<const std::uint8_t*>(a), pos, size);
      return WalkChangedRuns(snapshot, installed, installedIndex, kind, inside, 0, sink);
    };
    if (Status s = MarkChangedBlocks(blocks, installedFile, installedPath, snapshotFile,
                                     snapshotPath, &buffers, &dirty, fingerprint, walkInside);
        !s.ok()) {
      return s;
    }
  } else if (fingerprint != nullptr) {
    if (Status s = FingerprintFile(platform, installedPath, fingerprint); !s.ok()) return s;
  }
  if (std::find(dirty.begin(), dirty.end(), true) == dirty.end()) return Status::Ok();
  if (Status s =
          snapshot.Open(platform, snapshotIndex, snapshotPath, kind, std::move(snapshotFile));
      !s.ok()) {
    return s;
  }
  if (Status s =
          installed.Open(platform, installedIndex, installedPath, kind, std::move(installedFile));
      !s.ok()) {
    return s;
  }
  return WalkChangedRuns(snapshot, installed, installedIndex, kind, dirty, kReadThroughBytes, sink);
}

}  // namespace taliq
