#include "dictionary/table_check_scan.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "dictionary/coding.h"
#include "dictionary/scan_kernels.h"

// Where the C++ library has threads (not MinGW's with Windows threads), a
// large table is read in two halves at once.
#if defined(_GLIBCXX_HAS_GTHREADS) || (defined(_LIBCPP_VERSION) && !defined(_LIBCPP_HAS_NO_THREADS))
#define TALIQ_CHECK_THREADS 1
#include <thread>
#else
#define TALIQ_CHECK_THREADS 0
#endif

namespace taliq {
namespace {

constexpr std::size_t kChunk = 128 * 1024;
#if TALIQ_CHECK_THREADS
// Tables of this size and more are read in two halves at once.
constexpr std::int64_t kSplitSize = 4 * 1024 * 1024;
#endif
// What the buffer holds at most: what is left of the last read (a phrase's
// text at most this long; a longer one ends the pass) and the next read.
constexpr std::size_t kCapacity = 2 * kChunk;

// A packed code's first three nibbles (12 bits): the digits before a 0xF
// among them (3: none), whether one of those is not a digit, and the bucket
// the code belongs to. The last three nibbles matter only after three
// digits: the digits before a 0xF among them, and whether one is not a
// digit.
struct CodeNibbles {
  std::int16_t bucket = 0;
  std::uint8_t digits = 0;
  bool bad = false;
};
using NibbleTable = std::array<CodeNibbles, 4096>;

constexpr NibbleTable MakeNibbleTable() {
  NibbleTable t;
  for (int v = 0; v < 4096; ++v) {
    const int n[3] = {v >> 8, (v >> 4) & 0xF, v & 0xF};
    int digits = 0;
    bool bad = false;
    for (; digits < 3 && n[digits] != 0xF; ++digits) bad = bad || n[digits] > 9;
    const int d1 = digits >= 2 ? n[1] : -1;
    const int d2 = digits >= 3 ? n[2] : -1;
    t[static_cast<std::size_t>(v)] =
        CodeNibbles{static_cast<std::int16_t>(121 * n[0] + 11 * (d1 + 1) + (d2 + 1)),
                    static_cast<std::uint8_t>(digits), bad};
  }
  return t;
}
constexpr NibbleTable kNibbles = MakeNibbleTable();

// Whether the packed code at p is one to `maxDigits` digits of block
// `bucket`: what the detailed check asks of a group's code.
bool CodeBelongs(const std::uint8_t* p, std::size_t maxDigits, int bucket) {
  const CodeNibbles& head = kNibbles[static_cast<std::size_t>(p[0] << 4 | p[1] >> 4)];
  std::size_t digits = head.digits;
  bool bad = head.bad;
  if (digits == 3) {
    const CodeNibbles& tail = kNibbles[static_cast<std::size_t>((p[1] & 0xF) << 8 | p[2])];
    digits += tail.digits;
    bad = bad || tail.bad;
  }
  return !bad && digits >= 1 && digits <= maxDigits && head.bucket == bucket;
}

// The bytes a group's walk looks at: data[0, have) are at hand, of which
// data[0, limit) belong to the block.
struct GroupBytes {
  const std::uint8_t* data;
  std::size_t limit;
  std::size_t have;
};

enum class Walked { kEnded, kMore, kDamaged };

// Goes through a group's entries from the entry start *pos: kEnded with
// *pos just past its end marker; kMore when the bytes run out first, *pos
// at an entry start to go on from after the next read; kDamaged when the
// group cannot be sound. Searches may reach past the block's end into the
// bytes at hand: what they find before it does not depend on what follows,
// and a group whose end lies beyond it has none in its block.
Walked WalkCharacters(const ScanOps& ops, const GroupBytes& b, std::size_t* pos) {
  // No unit of a sound character group but its end is 0xFFFF: the first
  // one must stand at an entry's start.
  const std::size_t end = ops.findGroupEnd(b.data, b.have, *pos);
  if (end < b.have) {
    if (end + 2 > b.limit || (end - *pos) % kCharacterEntrySize != 0) return Walked::kDamaged;
    *pos = end + 2;
    return Walked::kEnded;
  }
  *pos += (b.limit - *pos) / kCharacterEntrySize * kCharacterEntrySize;
  return Walked::kMore;
}

Walked WalkPhrases(const ScanOps& ops, const GroupBytes& b, std::size_t* pos) {
  // From an entry's start: its text up to the 0x0000 that ends it, then two
  // values; the group ends at an entry start that holds 0xFFFF.
  std::size_t p = *pos;
  const auto endsHere = [&] { return b.limit - p >= 2 && DecodeFixed16(b.data + p) == kGroupEnd; };
  for (;;) {
    if (endsHere()) break;
    if (ops.skipPhraseEntries != nullptr && b.limit - p >= 2) {
      bool found = false;
      const std::size_t at = ops.skipPhraseEntries(b.data, b.have, p, &found);
      if (found) {
        if (at + 2 > b.limit) return Walked::kDamaged;
        *pos = at + 2;
        return Walked::kEnded;
      }
      if (at > b.limit) return Walked::kDamaged;
      p = at;
      if (endsHere()) break;
    }
    // One entry, if it lies whole in the bytes at hand.
    if (b.limit - p < 2) break;
    const std::size_t textEnd = ops.findUnit(b.data, b.limit, p, kTextEnd);
    if (textEnd >= b.limit || b.limit - (textEnd + 2) < 4) break;
    p = textEnd + 6;
  }
  if (!endsHere()) {
    *pos = p;
    return Walked::kMore;
  }
  *pos = p + 2;
  return Walked::kEnded;
}

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
        std::make_unique_for_overwrite<std::uint8_t[]>(kCapacity);
    std::unique_ptr<std::uint8_t[]> second = std::make_unique_for_overwrite<std::uint8_t[]>(kChunk);
  };
  static Buffers& ThreadBuffers() {
    thread_local Buffers buffers;
    return buffers;
  }
  std::uint8_t* const buffer_ = ThreadBuffers().first.get();
  std::uint8_t* const other_ = ThreadBuffers().second.get();
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
  const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kChunk, end_ - read_));
  if (kCapacity - have_ < n) return false;
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

bool QuickPass::Run(const BlockLengths& lengths, TableKind table, int firstBucket, int endBucket,
                    std::int64_t blockStart) {
  while (base_ + static_cast<std::int64_t>(have_) < blockStart) {
    if (!Fill()) return false;
  }
  pos_ = static_cast<std::size_t>(blockStart - base_);
  const std::size_t maxDigits = table == TableKind::kCharacters ? 4 : 6;
  const auto walk = table == TableKind::kCharacters ? WalkCharacters : WalkPhrases;
  std::int64_t blockEnd = blockStart;
  for (int bucket = firstBucket; bucket < endBucket; ++bucket) {
    blockEnd += lengths[static_cast<std::size_t>(bucket)];
    while (base_ + static_cast<std::int64_t>(pos_) < blockEnd) {
      // The groups whose codes are at hand; pos_ is kept up to date only
      // where a read needs it.
      GroupBytes bytes = AtHand(blockEnd);
      std::size_t pos = pos_;
      while (bytes.limit - pos >= kPackedCodeSize) {
        if (!CodeBelongs(bytes.data + pos, maxDigits, bucket)) return false;
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
  if (f != nullptr && (platform->FileSize(f.get()) != total || !platform->Seek(f.get(), from))) {
    f.reset();
  }
  if (f != nullptr) std::setvbuf(f.get(), nullptr, _IONBF, 0);
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

}  // namespace

bool TableIsSoundAndSame(Platform* platform, const std::string& first, const std::string& second,
                         const BlockLengths& lengths, TableKind table) {
  std::int64_t total = kTableHeaderSize;
  for (std::uint32_t length : lengths) total += length;
  if (total > kMaxTableOffset) return false;
#if TALIQ_CHECK_THREADS
  // A large table is read in two halves at once, split where a block
  // starts, the second half on a thread of its own.
  if (total >= kSplitSize) {
    std::int64_t middle = kTableHeaderSize;
    int split = 0;
    while (split < kBucketCount && middle < total / 2) {
      middle += lengths[static_cast<std::size_t>(split++)];
    }
    if (split > 0 && split < kBucketCount && middle < total) {
      // The files are opened here; the worker only reads from its own.
      TablePair low;
      TablePair high;
      if (!OpenPair(platform, first, second, total, 0, &low) ||
          !OpenPair(platform, first, second, total, middle, &high)) {
        return false;
      }
      bool secondHalf = false;
      const auto readHigh = [&]() noexcept {
        secondHalf =
            ReadRange(platform, high, lengths, table, split, kBucketCount, middle, middle, total);
      };
      std::thread worker;
      try {
        worker = std::thread(readHigh);
      } catch (...) {
        readHigh();  // no thread to be had: one half after the other
      }
      const bool firstHalf =
          ReadRange(platform, low, lengths, table, 0, split, 0, kTableHeaderSize, middle);
      if (worker.joinable()) worker.join();
      return firstHalf && secondHalf;
    }
  }
#endif
  TablePair files;
  return OpenPair(platform, first, second, total, 0, &files) &&
         ReadRange(platform, files, lengths, table, 0, kBucketCount, 0, kTableHeaderSize, total);
}

}  // namespace taliq
