// TableCursor: the code groups of a table one at a time, block by block in
// bucket order, through the bounded block reader. WalkTable drives one to
// the end; a caller that reads two tables side by side drives two.
#ifndef TALIQ_DICTIONARY_TABLE_CURSOR_H_
#define TALIQ_DICTIONARY_TABLE_CURSOR_H_

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dictionary/block_stream.h"
#include "dictionary/candidate.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/format.h"
#include "dictionary/open_file.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// One code group as a lookup of its code would list it.
struct WalkedGroup {
  TableKind table = TableKind::kCharacters;
  // The code as its packed bytes spell it (the digits before the first 0xF
  // nibble; a damaged code may hold other characters).
  std::u16string_view code;
  // File offset of the group's packed code.
  std::int64_t offset = 0;
  // The entries a lookup lists, in stored order: the first 300, phrases of
  // 50 units or more left out.
  const CandidateList* entries = nullptr;
  int count = 0;
  // The block the group lies in.
  int bucket = 0;
};

// Buckets whose blocks a walk reads.
using BucketSet = std::bitset<kBucketCount>;

// How a walk of the table at `path` ends at the group at `groupOffset` of
// block `bucket`: the block ends inside its packed code, or (the file ends,
// when `truncated`) before the group's end.
Status CodeCutShort(const std::string& path, std::int64_t groupOffset, int bucket);
Status GroupCutShort(const std::string& path, std::int64_t groupOffset, int bucket, bool truncated);

// Where the last block of the table ends, as the index places it
// (kMaxTableOffset when it cannot).
std::int64_t TableEnd(const DictionaryIndex& index, TableKind table);

class TableCursor {
 public:
  TableCursor() = default;
  TableCursor(const TableCursor&) = delete;
  TableCursor& operator=(const TableCursor&) = delete;

  // Opens the table at `path`, whose blocks the loaded `index` places, to
  // read the blocks firstBucket .. endBucket - 1. The index must outlive
  // the cursor.
  Status Open(Platform* platform, const DictionaryIndex& index, const std::string& path,
              TableKind table, int firstBucket = 0, int endBucket = kBucketCount);

  // The same for a table already open at `path`, read from any position:
  // a caller that has just read the file through keeps its handle instead
  // of opening it again.
  Status Open(Platform* platform, const DictionaryIndex& index, const std::string& path,
              TableKind table, FileHandle file);

  // The same over bytes held in memory: `bytes` are the table's bytes
  // [bytesOffset, bytesOffset + size) and must outlive the walk. A block
  // that does not lie wholly inside them ends the walk with kRefused, so
  // the caller restricts the walk to blocks inside.
  Status OpenInMemory(const DictionaryIndex& index, const std::string& path, TableKind table,
                      const std::uint8_t* bytes, std::int64_t bytesOffset, std::size_t size);

  // Goes on with the blocks firstBucket .. endBucket - 1 of the open table
  // (the next Next gives the first group of firstBucket).
  void Restrict(int firstBucket, int endBucket);

  // From the next block on, only the blocks of `buckets` (which must
  // outlive the cursor; nullptr: every block).
  void OnlyBuckets(const BucketSet* buckets) { buckets_ = buckets; }

  // The next group: true with `*group` filled (valid until the next call),
  // false at the end or when the table could not be read on (status()).
  bool Next(WalkedGroup* group);

  // For a reader of its own over the raw bytes, instead of Next: moves to
  // the next block to read that is not empty, whose bytes stream() then
  // shows from the block's start (block bucket()). False at the end or on a
  // failure (status()).
  bool EnterNextBlock() { return NextBlock(); }
  BlockStream& stream() { return *stream_; }
  int bucket() const { return bucket_; }
  const std::string& path() const { return path_; }

  // Ok at the end of the table, or why reading stopped: kRefused (no index
  // loaded), kNotFound / kCannotOpen (the file), kIoError (a seek),
  // kCorruption with the offset where a block or the file ran out inside a
  // group (the groups before it were given).
  const Status& status() const { return status_; }

 private:
  // Everything of Open but the file; false when no index is loaded.
  bool Prepare(Platform* platform, const DictionaryIndex& index, const std::string& path,
               TableKind table, int firstBucket, int endBucket);
  // Moves to the next block that is not empty; false at the end or on a
  // failure.
  bool NextBlock();
  // Where a read-ahead from the block at `offset` may stop: the end of the
  // run of back-to-back blocks the cursor is to read from there on (a walk
  // of the whole table: the table's end).
  std::int64_t RunEnd(std::int32_t offset, std::uint32_t length) const;

  Platform* platform_ = nullptr;
  const DictionaryIndex* index_ = nullptr;
  std::string path_;
  TableKind table_ = TableKind::kCharacters;
  FileHandle file_;
  // One stream for the whole walk: it reads on past each block into the
  // next, up to the table's end.
  std::optional<BlockStream> stream_;
  std::int64_t tableEnd_ = 0;
  const BucketSet* buckets_ = nullptr;
  bool inBlock_ = false;
  int bucket_ = 0;
  int endBucket_ = 0;
  std::unique_ptr<CandidateList> list_;
  char16_t code_[8] = {};
  // After OpenInMemory: the bytes the blocks are shown from.
  const std::uint8_t* held_ = nullptr;
  std::int64_t heldOffset_ = 0;
  std::size_t heldSize_ = 0;
  Status status_;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_CURSOR_H_
