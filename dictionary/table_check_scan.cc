#include "dictionary/table_check_scan.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "dictionary/coding.h"
#include "dictionary/phrase_walk.h"
#include "dictionary/scan_kernels.h"

// Where the C++ library has threads (not MinGW's with Windows threads), a
// large table is read in pieces by two threads.
#if defined(_GLIBCXX_HAS_GTHREADS) || (defined(_LIBCPP_VERSION) && !defined(_LIBCPP_HAS_NO_THREADS))
#define TALIQ_CHECK_THREADS 1
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#else
#define TALIQ_CHECK_THREADS 0
#endif

namespace taliq {
namespace {

constexpr std::size_t kChunk = 128 * 1024;
#if TALIQ_CHECK_THREADS
// A dictionary's tables that take this much and more together are read in
// pieces of up to kPieceSize by two threads.
constexpr std::int64_t kShareSize = 256 * 1024;
constexpr std::int64_t kPieceSize = kChunk;
#endif
// What the buffer holds at most: what is left of the last read (a phrase's
// text at most this long; a longer one ends the pass) and the next read.
constexpr std::size_t kCapacity = 2 * kChunk;
// Bytes after the buffer's capacity that the masks of its last windows
// read (zero from the start; never read into).
constexpr std::size_t kSlack = 512;
// Windows of 64 units the masks of the whole buffer take.
constexpr std::size_t kMaskWindows = (kCapacity + kSlack) / kWindowBytes;

// What the detailed check asks of a group's code: one to four digits
// (characters) or six (phrases), of the group's block. A packed code is
// looked at as two halves of three nibbles, each through a table, with no
// branch on its length:
// - heads, for the first three nibbles: twice the block they put the code
//   in, plus one when all three are digits (so that the last three count),
//   or -2 when they hold no digit first or a nibble above 9 before a 0xF;
// - characterTails and phraseTails, for the last three: whether they do
//   not end a code of the table (a nibble above 9 before a 0xF; for
//   characters also more than one digit).
struct CodeTables {
  std::array<std::int16_t, 4096> heads{};
  std::array<bool, 4096> characterTails{};
  std::array<bool, 4096> phraseTails{};
};

constexpr CodeTables MakeCodeTables() {
  CodeTables t;
  for (int v = 0; v < 4096; ++v) {
    const int n[3] = {v >> 8, (v >> 4) & 0xF, v & 0xF};
    int digits = 0;  // before a 0xF
    bool bad = false;
    for (; digits < 3 && n[digits] != 0xF; ++digits) bad = bad || n[digits] > 9;
    const int d1 = digits >= 2 ? n[1] : -1;
    const int d2 = digits >= 3 ? n[2] : -1;
    const int bucket = 121 * n[0] + 11 * (d1 + 1) + (d2 + 1);
    const auto at = static_cast<std::size_t>(v);
    t.heads[at] = bad || digits == 0 ? std::int16_t{-2}
                                     : static_cast<std::int16_t>(2 * bucket + (digits == 3));
    t.characterTails[at] = bad || digits > 1;
    t.phraseTails[at] = bad;
  }
  return t;
}
constexpr CodeTables kCodeTables = MakeCodeTables();

// Whether the packed code at p is a code of `table` in block `bucket`.
inline bool CodeBelongs(const std::uint8_t* p, TableKind table, int bucket) {
  const int head = kCodeTables.heads[static_cast<std::size_t>(p[0] << 4 | p[1] >> 4)];
  const std::size_t tail = static_cast<std::size_t>((p[1] & 0xF) << 8 | p[2]);
  const bool badTail = table == TableKind::kCharacters ? kCodeTables.characterTails[tail]
                                                       : kCodeTables.phraseTails[tail];
  return (head >> 1) == bucket && ((head & 1) & static_cast<int>(badTail)) == 0;
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

// The masks of the buffer's units at both parities: bit i of zeros[0][k]
// (ones[0][k]) is set where the unit at buffer byte 128 k + 2 i is 0x0000
// (0xFFFF); zeros[1] and ones[1] are the same one byte on. So the unit at
// byte p is bit p / 2 of the bits of zeros[p % 2].
struct UnitMaskBits {
  std::uint64_t zeros[2][kMaskWindows];
  std::uint64_t ones[2][kMaskWindows];
};

// The 64 bits of `words` from bit `bit` on.
inline std::uint64_t BitsFrom(const std::uint64_t* words, std::size_t bit) {
  const std::size_t k = bit >> 6;
  const unsigned b = bit & 63;
  return (words[k] >> b) | ((words[k + 1] << 1) << (63 - b));
}

// The phrase blocks lying whole in the buffer, walked a group at a time, a
// few blocks side by side: a walk goes from one group to the next, and the
// side-by-side walks keep the processor busy while each waits on its own.
class WholeBlockWalk {
 public:
  struct Block {
    std::size_t start;  // buffer index of the first group's code
    std::size_t end;
    int bucket;
  };

  WholeBlockWalk(const ScanOps& ops, const std::uint8_t* data, std::size_t have,
                 const UnitMaskBits& masks)
      : ops_(ops), data_(data), have_(have), masks_(masks) {}

  // Whether every group of the blocks, of `table`, is sound.
  bool Run(const Block* blocks, std::size_t count, TableKind table) const {
    return table == TableKind::kCharacters ? Run<TableKind::kCharacters>(blocks, count)
                                           : Run<TableKind::kPhrases>(blocks, count);
  }

 private:
  static constexpr std::size_t kDamaged = ~std::size_t{0};
  template <TableKind kTable>
  bool Run(const Block* blocks, std::size_t count) const;
  // From the group whose code is at s, in the block ending at `end`: where
  // the next group starts (`end` after the last), or kDamaged.
  std::size_t NextPhraseGroup(std::size_t s, std::size_t end, int bucket) const;
  std::size_t NextCharacterGroup(std::size_t s, std::size_t end, int bucket) const;

  const ScanOps& ops_;
  const std::uint8_t* const data_;
  const std::size_t have_;
  const UnitMaskBits& masks_;
};

std::size_t WholeBlockWalk::NextCharacterGroup(std::size_t s, std::size_t end, int bucket) const {
  if (end - s < kPackedCodeSize + 2 || !CodeBelongs(data_ + s, TableKind::kCharacters, bucket)) {
    return kDamaged;
  }
  const std::size_t entries = s + kPackedCodeSize;
  // As in WalkCharacters: the group's first 0xFFFF must be its end, at an
  // entry's start inside the block.
  const std::uint64_t ones = BitsFrom(masks_.ones[entries & 1], entries >> 1);
  if (ones != 0) {
    const unsigned first = static_cast<unsigned>(__builtin_ctzll(ones));
    const std::size_t at = entries + 2 * static_cast<std::size_t>(first);
    return first % 4 == 0 && at < end && end - at >= 2 ? at + 2 : kDamaged;
  }
  // A group longer than the window: walked on.
  std::size_t pos = entries;
  return WalkCharacters(ops_, GroupBytes{data_, end, have_}, &pos) == Walked::kEnded ? pos
                                                                                     : kDamaged;
}

std::size_t WholeBlockWalk::NextPhraseGroup(std::size_t s, std::size_t end, int bucket) const {
  if (end - s < kPackedCodeSize + 2 || !CodeBelongs(data_ + s, TableKind::kPhrases, bucket)) {
    return kDamaged;
  }
  const std::size_t entries = s + kPackedCodeSize;
  // The 64 units from the first entry on, as in PhraseWalk: a 0x0000 ends
  // a text when neither of the two units before it ends one; an entry
  // starts three units after a text's end, and the group ends at the first
  // entry start that holds 0xFFFF.
  const std::size_t parity = entries & 1;
  const std::uint64_t zeros = BitsFrom(masks_.zeros[parity], entries >> 1);
  const std::uint64_t ones = BitsFrom(masks_.ones[parity], entries >> 1);
  std::uint64_t open = zeros;
  std::uint64_t ends = 0;
  // Most often no zero follows another within two units: each ends a text.
  if ((open & ((open << 1) | (open << 2))) == 0) {
    ends = open;
    open = 0;
  }
  for (;;) {
    const std::uint64_t groupEnd = (1 | (ends << 3)) & ones;
    // Entry starts are all known below three units past the first zero
    // still undecided.
    const std::uint64_t first = groupEnd & (~groupEnd + 1);
    if (groupEnd != 0 && ((open << 3) & ((first << 1) - 1)) == 0) {
      const std::size_t at = entries + 2 * static_cast<std::size_t>(__builtin_ctzll(groupEnd));
      return at < end && end - at >= 2 ? at + 2 : kDamaged;
    }
    if (open == 0) break;
    const std::uint64_t sure = open & ~(open << 1) & ~(open << 2);
    ends |= sure;
    open &= ~(sure | (sure << 1) | (sure << 2));
  }
  // A group longer than the window: walked on over the next windows' masks.
  PhraseWalk walk(entries);
  for (std::size_t w = entries; w < end; w += kWindowBytes) {
    std::size_t at;
    if (walk.Step(w, BitsFrom(masks_.zeros[parity], w >> 1), BitsFrom(masks_.ones[parity], w >> 1),
                  &at)) {
      return at < end && end - at >= 2 ? at + 2 : kDamaged;
    }
  }
  return kDamaged;
}

template <TableKind kTable>
bool WholeBlockWalk::Run(const Block* blocks, std::size_t count) const {
  constexpr int kLanes = 4;
  std::size_t at[kLanes] = {};
  std::size_t end[kLanes] = {};
  int bucket[kLanes] = {};
  std::size_t next = 0;
  for (;;) {
    bool walking = false;
    for (int l = 0; l < kLanes; ++l) {
      if (at[l] == end[l]) {
        if (next == count) continue;
        at[l] = blocks[next].start;
        end[l] = blocks[next].end;
        bucket[l] = blocks[next].bucket;
        ++next;
      }
      walking = true;
      at[l] = kTable == TableKind::kCharacters ? NextCharacterGroup(at[l], end[l], bucket[l])
                                               : NextPhraseGroup(at[l], end[l], bucket[l]);
      if (at[l] == kDamaged) return false;
    }
    if (!walking) return true;
  }
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
    std::unique_ptr<std::uint8_t[]> first = std::make_unique<std::uint8_t[]>(kCapacity + kSlack);
    std::unique_ptr<std::uint8_t[]> second = std::make_unique_for_overwrite<std::uint8_t[]>(kChunk);
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

#if TALIQ_CHECK_THREADS
// One thread kept for the life of the process, which runs one job at a
// time beside the thread that gave it. It is started for the first large
// table and never stopped: the process ends with it waiting.
class Helper {
 public:
  static Helper& Get() {
    static Helper& helper = *new Helper;
    return helper;
  }

  // Starts `job` on the helper: false, with nothing started, while it runs
  // another caller's job or when no thread can be had.
  bool Start(std::function<void()> job) noexcept {
    try {
      std::lock_guard<std::mutex> lock(mutex_);
      if (busy_) return false;
      // A child a fork made has no helper, whatever its parent had.
      if (!started_ || startedIn_ != ::getpid()) {
        std::thread([this] { Loop(); }).detach();
        started_ = true;
        startedIn_ = ::getpid();
      }
      job_ = std::move(job);
      busy_ = true;
      finished_ = false;
      ready_ = true;
    } catch (...) {
      return false;
    }
    wake_.notify_one();
    return true;
  }

  // Waits until the job Start started has run.
  void Wait() {
    SpinUntil(finished_, kWaitSpin);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return finished_.load(); });
    busy_ = false;
  }

 private:
  // A check gives the helper a table every few tenths of a millisecond, and
  // waits for its last piece: waking a sleeping thread takes longer than
  // that on some machines, so each side watches a while before it sleeps.
  static constexpr std::chrono::microseconds kIdleSpin{300};
  static constexpr std::chrono::microseconds kWaitSpin{200};
  static void SpinUntil(const std::atomic<bool>& flag, std::chrono::microseconds most) {
    const auto until = std::chrono::steady_clock::now() + most;
    while (!flag.load(std::memory_order_acquire)) {
      for (int i = 0; i < 16; ++i) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
      }
      if (std::chrono::steady_clock::now() >= until) return;
    }
  }

  void Loop() {
    for (;;) {
      SpinUntil(ready_, kIdleSpin);
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return ready_.load(); });
        job = std::move(job_);
        job_ = nullptr;
        ready_ = false;
      }
      job();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
      }
      done_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::function<void()> job_;
  bool started_ = false;
  pid_t startedIn_ = 0;  // the process the helper was started in
  bool busy_ = false;
  std::atomic<bool> ready_{false};     // a job waits for the helper
  std::atomic<bool> finished_{false};  // the job has run
};

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
  Helper& helper = Helper::Get();
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
#if TALIQ_CHECK_THREADS
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
