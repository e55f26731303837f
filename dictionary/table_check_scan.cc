#include "dictionary/table_check_scan.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "dictionary/helper_thread.h"
#include "dictionary/phrase_walk.h"
#include "dictionary/scan_kernels.h"
#include "dictionary/table_check_walk.h"

namespace taliq {
namespace {

#if TALIQ_HELPER_THREAD
// A dictionary's tables that take this much and more together are read in
// pieces of up to kPieceSize by two threads.
constexpr std::int64_t kShareSize = 256 * 1024;
constexpr std::int64_t kPieceSize = kCheckChunk;
#endif

class QuickPass {
 public:
  // Reads both files from file offset `from` (where they must stand) to
  // `to`.
  QuickPass(Platform* platform, std::FILE* first, std::FILE* second, std::int64_t from,
            std::int64_t to)
      : platform_(platform), first_(first), second_(second), end_(to), base_(from), read_(from) {}

  // Goes through the blocks firstBucket .. endBucket - 1, the first of
  // which starts at `blockStart`, up to the end of what is to be read.
  bool Run(const BlockLengths& lengths, TableKind table, int firstBucket, int endBucket,
           std::int64_t blockStart);

 private:
  // Reads the next piece of both files after what is left from pos_ on;
  // false at the end, on a failed read, when the copies differ or the
  // buffer is full.
  bool Fill();
  // Where the bytes at hand end, or the block if sooner (a buffer index).
  std::size_t Limit(std::int64_t blockEnd) const {
    return static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(have_), blockEnd - base_));
  }
  // More bytes of the block: false when the block ends first (it ends
  // inside what is being read) or the pass cannot go on.
  bool More(std::int64_t blockEnd) {
    return base_ + static_cast<std::int64_t>(have_) < blockEnd && Fill();
  }
  GroupBytes AtHand(std::int64_t blockEnd) const { return {buffer_, Limit(blockEnd), have_}; }

  Platform* const platform_;
  std::FILE* const first_;
  std::FILE* const second_;
  const std::int64_t end_;  // where the reads stop
  const ScanOps& ops_ = ActiveScanOps();
  // The buffers of every pass on this thread: a check of many small tables
  // reads into pages already mapped instead of faulting in fresh ones.
  struct Buffers {
    std::unique_ptr<std::uint8_t[]> first =
        std::make_unique<std::uint8_t[]>(kCheckCapacity + kCheckSlack);
    std::unique_ptr<std::uint8_t[]> second =
        std::make_unique_for_overwrite<std::uint8_t[]>(kCheckChunk);
    std::unique_ptr<UnitMaskBits> masks = std::make_unique_for_overwrite<UnitMaskBits>();
    std::vector<WholeBlockWalk::Block> blocks;
  };
  static Buffers& ThreadBuffers() {
    thread_local Buffers buffers;
    return buffers;
  }
  // Walks the blocks firstBucket .. endBucket - 1 of `table`, which lie
  // whole in the bytes at hand from pos_ on.
  bool WalkWholeBlocks(const BlockLengths& lengths, TableKind table, int firstBucket,
                       int endBucket);

  std::uint8_t* const buffer_ = ThreadBuffers().first.get();
  std::uint8_t* const other_ = ThreadBuffers().second.get();
  UnitMaskBits& masks_ = *ThreadBuffers().masks;
  std::vector<WholeBlockWalk::Block>& blocks_ = ThreadBuffers().blocks;
  std::size_t have_ = 0;
  std::size_t pos_ = 0;
  std::int64_t base_ = 0;  // file offset of buffer_[0]
  std::int64_t read_ = 0;  // bytes read of each file
};

bool QuickPass::Fill() {
  if (read_ >= end_) return false;
  std::memmove(buffer_, buffer_ + pos_, have_ - pos_);
  base_ += static_cast<std::int64_t>(pos_);
  have_ -= pos_;
  pos_ = 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kCheckChunk, end_ - read_));
  if (kCheckCapacity - have_ < n) return false;
  std::uint8_t* at = buffer_ + have_;
  std::size_t got = 0;
  if (!platform_->Read(first_, at, n, &got) || got != n) return false;
  if (second_ != nullptr) {
    if (!platform_->Read(second_, other_, n, &got) || got != n || std::memcmp(at, other_, n) != 0) {
      return false;
    }
  }
  have_ += n;
  read_ += static_cast<std::int64_t>(n);
  return true;
}

bool QuickPass::WalkWholeBlocks(const BlockLengths& lengths, TableKind table, int firstBucket,
                                int endBucket) {
  blocks_.clear();
  std::size_t at = pos_;
  for (int bucket = firstBucket; bucket < endBucket; ++bucket) {
    const std::size_t length = lengths[static_cast<std::size_t>(bucket)];
    if (length > 0) blocks_.push_back({at, at + length, bucket});
    at += length;
  }
  // The masks of every window the walks can look at: up to 64 units past
  // the last entry start, and one window more for the bits that follow.
  const std::size_t firstWindow = pos_ / kWindowBytes;
  const std::size_t endWindow = at / kWindowBytes + 2;
  const std::size_t windows = endWindow - firstWindow;
  for (std::size_t parity = 0; parity < 2; ++parity) {
    ops_.unitMasks(buffer_ + kWindowBytes * firstWindow + parity, windows,
                   masks_.zeros[parity] + firstWindow, masks_.ones[parity] + firstWindow);
  }
  return WholeBlockWalk(ops_, buffer_, have_, masks_).Run(blocks_.data(), blocks_.size(), table);
}

bool QuickPass::Run(const BlockLengths& lengths, TableKind table, int firstBucket, int endBucket,
                    std::int64_t blockStart) {
  while (base_ + static_cast<std::int64_t>(have_) < blockStart) {
    if (!Fill()) return false;
  }
  pos_ = static_cast<std::size_t>(blockStart - base_);
  const auto walk = table == TableKind::kCharacters ? WalkCharacters : WalkPhrases;
  std::int64_t blockEnd = blockStart;
  for (int bucket = firstBucket; bucket < endBucket; ++bucket) {
    {
      // The blocks from here on that lie whole in the bytes at hand are
      // walked together.
      int last = bucket;
      std::int64_t runEnd = blockEnd;
      const std::int64_t atHand = base_ + static_cast<std::int64_t>(have_);
      while (last < endBucket && runEnd + lengths[static_cast<std::size_t>(last)] <= atHand) {
        runEnd += lengths[static_cast<std::size_t>(last++)];
      }
      if (last > bucket) {
        if (!WalkWholeBlocks(lengths, table, bucket, last)) return false;
        pos_ = static_cast<std::size_t>(runEnd - base_);
        blockEnd = runEnd;
        bucket = last - 1;
        continue;
      }
    }
    blockEnd += lengths[static_cast<std::size_t>(bucket)];
    while (base_ + static_cast<std::int64_t>(pos_) < blockEnd) {
      // The groups whose codes are at hand; pos_ is kept up to date only
      // where a read needs it.
      GroupBytes bytes = AtHand(blockEnd);
      std::size_t pos = pos_;
      while (bytes.limit - pos >= kPackedCodeSize) {
        if (!CodeBelongs(bytes.data + pos, table, bucket)) return false;
        pos += kPackedCodeSize;
        Walked walked;
        while ((walked = walk(ops_, bytes, &pos)) == Walked::kMore) {
          pos_ = pos;
          if (!More(blockEnd)) return false;
          bytes = AtHand(blockEnd);
          pos = pos_;
        }
        if (walked == Walked::kDamaged) return false;
      }
      pos_ = pos;
      // A code cut by the end of the bytes at hand, or by the block's end.
      if (base_ + static_cast<std::int64_t>(pos_) < blockEnd && !More(blockEnd)) return false;
    }
  }
  return read_ == end_;
}

// Opens a table to be read from `from`, when it is `total` bytes long.
FileHandle OpenTableAt(Platform* platform, const std::string& path, std::int64_t total,
                       std::int64_t from) {
  FileHandle f = platform->OpenFile(path, "rb");
  if (f == nullptr) return f;
  // Unbuffered before the size is taken: a buffered stream reads the
  // file's last bytes to find its end.
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  if (platform->FileSize(f.get()) != total || !platform->Seek(f.get(), from)) f.reset();
  return f;
}

// The two tables, opened to be read from `from` (`second` null when there
// is no second copy).
struct TablePair {
  FileHandle first;
  FileHandle second;
};
bool OpenPair(Platform* platform, const std::string& first, const std::string& second,
              std::int64_t total, std::int64_t from, TablePair* pair) {
  pair->first = OpenTableAt(platform, first, total, from);
  if (pair->first == nullptr) return false;
  if (second.empty()) return true;
  pair->second = OpenTableAt(platform, second, total, from);
  return pair->second != nullptr;
}

// Reads the blocks firstBucket .. endBucket - 1 of `files` (their bytes from
// `from` to `to`; the first block starts at `blockStart`). Nothing escapes:
// a failure (no memory for the buffers) only leaves the table to the
// detailed reading.
bool ReadRange(Platform* platform, const TablePair& files, const BlockLengths& lengths,
               TableKind table, int firstBucket, int endBucket, std::int64_t from,
               std::int64_t blockStart, std::int64_t to) noexcept {
  try {
    QuickPass pass(platform, files.first.get(), files.second.get(), from, to);
    return pass.Run(lengths, table, firstBucket, endBucket, blockStart);
  } catch (...) {
    return false;
  }
}

#if TALIQ_HELPER_THREAD
// Pieces of whole blocks, which this thread and the helper take in turn
// until none are left. A table that takes one read is one piece, read from
// one pair of files by whichever thread takes it; a larger one is read in
// pieces of as many blocks as one read takes (a larger block is a piece of
// its own), from a pair of files for each thread. All are opened here.
void ReadShared(Platform* platform, std::span<const QuickTable> tables, const std::int64_t* totals,
                bool* sound) {
  struct Piece {
    std::size_t table;
    int firstBucket;
    int endBucket;
    std::int64_t from;  // the header goes with a table's first piece
    std::int64_t blockStart;
    std::int64_t to;
  };
  struct Files {
    TablePair pair;
    std::int64_t at = 0;  // where they stand
  };
  struct Table {
    Files mine;
    Files helpers;  // for a table of more than one piece
    std::atomic<bool> sound{false};
  };
  std::vector<Piece> pieces;
  auto state = std::make_unique<Table[]>(tables.size());
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const QuickTable& q = tables[t];
    if (totals[t] < 0) continue;
    const std::size_t firstPiece = pieces.size();
    std::int64_t at = kTableHeaderSize;
    Piece piece{t, 0, 0, 0, at, at};
    for (int bucket = 0; bucket < kBucketCount; ++bucket) {
      const std::int64_t length = q.lengths[static_cast<std::size_t>(bucket)];
      if (at + length - piece.from > kPieceSize && piece.endBucket > piece.firstBucket) {
        pieces.push_back(piece);
        piece = Piece{t, bucket, bucket, at, at, at};
      }
      at += length;
      piece.endBucket = bucket + 1;
      piece.to = at;
    }
    pieces.push_back(piece);
    const bool whole = pieces.size() - firstPiece == 1;
    if (!OpenPair(platform, q.first, q.second, totals[t], 0, &state[t].mine.pair) ||
        (!whole && !OpenPair(platform, q.first, q.second, totals[t], 0, &state[t].helpers.pair))) {
      pieces.resize(firstPiece);
      continue;
    }
    state[t].sound = true;
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&](bool helper) noexcept {
    for (std::size_t i; (i = next++) < pieces.size();) {
      const Piece& p = pieces[i];
      Table& table = state[p.table];
      if (!table.sound.load(std::memory_order_relaxed)) continue;
      Files& files = helper && table.helpers.pair.first != nullptr ? table.helpers : table.mine;
      const bool placed =
          p.from == files.at ||
          (platform->Seek(files.pair.first.get(), p.from) &&
           (files.pair.second == nullptr || platform->Seek(files.pair.second.get(), p.from)));
      if (!placed ||
          !ReadRange(platform, files.pair, tables[p.table].lengths, tables[p.table].table,
                     p.firstBucket, p.endBucket, p.from, p.blockStart, p.to)) {
        table.sound = false;
      }
      files.at = p.to;
    }
  };
  HelperThread& helper = HelperThread::Get();
  const bool shared = pieces.size() > 1 && helper.Start([&] { work(true); });
  work(false);
  if (shared) helper.Wait();
  for (std::size_t t = 0; t < tables.size(); ++t) sound[t] = state[t].sound;
}
#endif

}  // namespace

void TablesAreSoundAndSame(Platform* platform, std::span<const QuickTable> tables, bool* sound) {
  // Each table's size, or -1 where it is too large to be one.
  std::vector<std::int64_t> totals(tables.size());
  std::int64_t all = 0;
  for (std::size_t t = 0; t < tables.size(); ++t) {
    std::int64_t total = kTableHeaderSize;
    for (std::uint32_t length : tables[t].lengths) total += length;
    totals[t] = total > kMaxTableOffset ? -1 : total;
    all += std::max<std::int64_t>(totals[t], 0);
  }
#if TALIQ_HELPER_THREAD
  if (all >= kShareSize) {
    ReadShared(platform, tables, totals.data(), sound);
    return;
  }
#endif
  for (std::size_t t = 0; t < tables.size(); ++t) {
    TablePair files;
    sound[t] = totals[t] >= 0 &&
               OpenPair(platform, tables[t].first, tables[t].second, totals[t], 0, &files) &&
               ReadRange(platform, files, tables[t].lengths, tables[t].table, 0, kBucketCount, 0,
                         kTableHeaderSize, totals[t]);
  }
}

}  // namespace taliq
