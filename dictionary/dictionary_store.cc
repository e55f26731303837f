#include "dictionary/dictionary_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The AVX2 searches are compiled for that target function by function and
// run only where the processor reports it. Not on Windows: MinGW's GCC
// keeps 32-byte vectors in stack slots it cannot align there (GCC bug
// 54412), so the Windows builds use the SSE2 or portable searches.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(_WIN32)
#define TALIQ_SCAN_AVX2 1
#include <immintrin.h>
#else
#define TALIQ_SCAN_AVX2 0
#endif

#include "dictionary/coding.h"

namespace taliq {
namespace {

constexpr std::uint16_t kGroupEnd = 0xFFFF;
constexpr int kCharacterEntrySize = 8;
constexpr std::int64_t kMaxTableOffset = std::numeric_limits<std::int32_t>::max();
// The punctuation list holds this many marks; later records of the file are
// kept as they are when the list is written back.
constexpr std::size_t kPunctuationRecordSize = 4;
constexpr std::size_t kListedPunctuationBytes =
    static_cast<std::size_t>(kCandidateListCapacity) * kPunctuationRecordSize;
// The new punctuation table is written beside the old one under this name and
// then renamed over it.
constexpr char kPunctuationTempFileName[] = "~Pround.dat";

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool SeekTo(std::FILE* f, std::int64_t offset) {
#ifdef _WIN32
  return _fseeki64(f, offset, SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// Size of an open file, or -1 when it cannot be told. Leaves the position
// at the end.
std::int64_t FileSize(std::FILE* f) {
#ifdef _WIN32
  if (_fseeki64(f, 0, SEEK_END) != 0) return -1;
  return _ftelli64(f);
#else
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  return ftello(f);
#endif
}

// Writes the whole run with one call and makes sure it reached the file:
// a short write, a failed flush or a failed close all count as failure.
// Closes the file in every case.
bool WriteAllAndClose(std::FILE* f, const std::vector<std::uint8_t>& bytes) {
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

// A code packed for comparison with the three bytes of a group: the code's
// nibbles, then the 0xF that ends a code of fewer than six digits; the
// nibbles after that are ignored. Equal to unpacking the bytes and comparing
// the texts, for a code of digits.
struct PackedMatcher {
  std::uint32_t value = 0;
  std::uint32_t mask = 0;

  explicit PackedMatcher(std::u16string_view code) {
    const size_t n = code.size();
    for (size_t i = 0; i < 6; ++i) {
      std::uint32_t nibble;
      if (i < n) {
        nibble = static_cast<std::uint32_t>(code[i] - u'0');
      } else if (i == n) {
        nibble = 0xF;
      } else {
        break;
      }
      const int shift = 20 - 4 * static_cast<int>(i);
      value |= nibble << shift;
      mask |= 0xFu << shift;
    }
  }
  PackedMatcher(std::uint32_t v, std::uint32_t m) : value(v), mask(m) {}

  bool Matches(const std::uint8_t* p) const {
    const std::uint32_t packed = (static_cast<std::uint32_t>(p[0]) << 16) |
                                 (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    return (packed & mask) == value;
  }
};

// Reads one block front to back through a buffer of at most kChunk bytes
// plus a small margin, so that a lookup's memory does not depend on the
// block's length (a damaged index may claim up to 4 GB). The scans keep a
// position in the buffer and ask for the next few bytes with Ensure, which
// moves what is left to the front and reads on; nothing the scans look at
// lies more than kMaxLookahead bytes ahead of their position, except where
// they search forward and refill as they go.
class BlockStream {
 public:
  // Read size: large enough that the calls cost little beside the copy out
  // of the page cache, small enough to stay in the processor's cache while
  // it is scanned.
  static constexpr size_t kChunk = 128 * 1024;
  static constexpr size_t kMaxLookahead = 256;

  // False when the block cannot be reached or no buffer can be had; an empty
  // block is not an error.
  bool Open(std::FILE* f, std::int32_t offset, std::uint32_t length) {
    // Nothing of a table lies past 2^31 - 1.
    const std::int64_t want = std::min<std::int64_t>(length, kMaxTableOffset - offset);
    // The stream's own buffer would only add a copy and split each read
    // at its block boundaries; unbuffered, a read of the block is one read.
    std::setvbuf(f, nullptr, _IONBF, 0);
    if (!SeekTo(f, offset)) return false;
    file_ = f;
    offset_ = offset;
    remaining_ = std::max<std::int64_t>(want, 0);
    capacity_ = static_cast<size_t>(std::min<std::int64_t>(remaining_, kChunk)) + kMaxLookahead;
    buffer_.reset(new (std::nothrow) std::uint8_t[capacity_]);
    return buffer_ != nullptr;
  }

  // Makes at least n bytes (n <= kMaxLookahead) available from pos(),
  // unless the block (or the file) ends first; gives the bytes available,
  // which may be more than n.
  size_t Ensure(size_t n) {
    if (end_ - pos_ < n && remaining_ > 0) Refill();
    return end_ - pos_;
  }

  const std::uint8_t* data() const { return buffer_.get(); }
  size_t pos() const { return pos_; }
  size_t end() const { return end_; }
  // Moves the position within the bytes available.
  void Set(size_t pos) { pos_ = pos; }
  // File offset of a position in the buffer.
  std::int32_t FileOffset(size_t pos) const {
    return static_cast<std::int32_t>(offset_ + static_cast<std::int64_t>(pos));
  }

 private:
  void Refill() {
    const size_t kept = end_ - pos_;
    std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
    offset_ += static_cast<std::int64_t>(pos_);
    pos_ = 0;
    end_ = kept;
    const size_t want = static_cast<size_t>(
        std::min<std::int64_t>(remaining_, static_cast<std::int64_t>(capacity_ - kept)));
    const size_t got = std::fread(buffer_.get() + kept, 1, want, file_);
    end_ += got;
    // A short read is the file's end (a damaged table): the block ends here.
    remaining_ = got < want ? 0 : remaining_ - static_cast<std::int64_t>(got);
  }

  std::FILE* file_ = nullptr;
  std::unique_ptr<std::uint8_t[]> buffer_;
  size_t capacity_ = 0;
  size_t pos_ = 0;
  size_t end_ = 0;
  // File offset of buffer_[0], and bytes of the block not yet read.
  std::int64_t offset_ = 0;
  std::int64_t remaining_ = 0;
};

// The unit searches of the block scans come in up to three builds: plain
// C++, SSE2 (where the compiler targets it) and AVX2 (chosen at run time on
// x86 processors that have it). All of them find the same units; the scan
// test runs each against a model of the formats.

// The last few units of a search, one at a time.
inline size_t FindUnitTail(const std::uint8_t* data, size_t size, size_t pos, std::uint16_t unit) {
  while (size - pos >= 2) {
    if (DecodeFixed16(data + pos) == unit) return pos;
    pos += 2;
  }
  return size;
}

// Position of the first unit equal to `unit` at or after `pos`, stepping by
// whole units from `pos`; `size` when there is none. `unit` must read the
// same in either byte order (0x0000, 0xFFFF), so the fast filters never miss.
size_t FindUnitPortable(const std::uint8_t* data, size_t size, size_t pos, std::uint16_t unit) {
  // Four units per step: a lane of v ^ keys is zero where the unit matches.
  // The test only filters (it may flag a lane above a match, and lanes are
  // in host byte order); the bytes are then read in file order.
  const std::uint64_t keys = 0x0001000100010001ull * unit;
  while (size - pos >= 8) {
    std::uint64_t v;
    std::memcpy(&v, data + pos, 8);
    const std::uint64_t x = v ^ keys;
    if (((x - 0x0001000100010001ull) & ~x & 0x8000800080008000ull) != 0) {
      for (size_t k = 0; k < 8; k += 2) {
        if (DecodeFixed16(data + pos + k) == unit) return pos + k;
      }
    }
    pos += 8;
  }
  return FindUnitTail(data, size, pos, unit);
}

// Position of the first 0xFFFF unit at or after `pos`, or `size`.
size_t FindGroupEndPortable(const std::uint8_t* data, size_t size, size_t pos) {
  return FindUnitPortable(data, size, pos, kGroupEnd);
}

// 64 units, the width of the masks the phrase walk takes.
constexpr size_t kWindowBytes = 128;

// Walks the entries of a phrase group from an entry start, a window of 64
// units at a time, with no step from one entry to the next. Within a group
// every unit is text, a text's terminating 0x0000 or one of the two values
// after it; so a 0x0000 ends a text exactly when neither of the two units
// before it ends one. Resolving that left to right over a window's mask of
// zeros takes one round per zero that follows another within two units (in
// practice one or two rounds); the entries start three units after each
// text end, and the group ends at the first entry start that holds 0xFFFF.
class PhraseWalk {
 public:
  explicit PhraseWalk(size_t pos) : lastWindow_(pos) {}

  // Takes the window at `w`: bit i of `zeros` (`ones`) is set where its unit
  // i is 0x0000 (0xFFFF). True, with the position of the group's end marker
  // in *end, when the group ends in this window.
  bool Step(size_t w, std::uint64_t zeros, std::uint64_t ones, size_t* end) {
    std::uint64_t open = zeros & ~values_;  // zeros not yet placed
    std::uint64_t ends = 0;
    while (open != 0) {
      // A zero with no undecided zero in the two units before it ends a
      // text (a text end there would already have made it a value); the
      // two units after it are values.
      const std::uint64_t sure = open & ~(open << 1) & ~(open << 2);
      ends |= sure;
      open &= ~(sure | (sure << 1) | (sure << 2));
    }
    starts_ |= ends << 3;
    const std::uint64_t groupEnd = starts_ & ones;
    if (groupEnd != 0) {
      *end = w + 2 * static_cast<size_t>(__builtin_ctzll(groupEnd));
      return true;
    }
    if (starts_ != 0) {
      lastStarts_ = starts_;
      lastWindow_ = w;
    }
    // Text ends in the last units reach into the next window.
    values_ = (ends >> 63) | (ends >> 62);
    starts_ = ends >> 61;
    return false;
  }

  // When the windows run out: the last entry start seen, from which the
  // walk goes on one entry at a time.
  size_t Resume() const {
    return lastWindow_ + 2 * static_cast<size_t>(63 - __builtin_clzll(lastStarts_));
  }

 private:
  std::uint64_t starts_ = 1;  // entry starts in the window
  std::uint64_t values_ = 0;  // values after a text end in the previous window
  std::uint64_t lastStarts_ = 1;
  size_t lastWindow_;
};

#if defined(__SSE2__)
size_t FindUnitSse2(const std::uint8_t* data, size_t size, size_t pos, std::uint16_t unit) {
  const __m128i key = _mm_set1_epi16(static_cast<short>(unit));
  while (size - pos >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, key)));
    if (hits != 0) return pos + static_cast<size_t>(__builtin_ctz(hits));
    pos += 16;
  }
  return FindUnitTail(data, size, pos, unit);
}

// Character groups are long, so this looks at 64 bytes per step before
// narrowing down.
size_t FindGroupEndSse2(const std::uint8_t* data, size_t size, size_t pos) {
  const __m128i ones = _mm_set1_epi16(-1);
  while (size - pos >= 64) {
    const __m128i* p = reinterpret_cast<const __m128i*>(data + pos);
    const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(p), ones);
    const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(p + 1), ones);
    const __m128i c = _mm_cmpeq_epi16(_mm_loadu_si128(p + 2), ones);
    const __m128i d = _mm_cmpeq_epi16(_mm_loadu_si128(p + 3), ones);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) break;
    pos += 64;
  }
  return FindUnitSse2(data, size, pos, kGroupEnd);
}

// Bit i of *zeros (*ones) is set where unit i of the 64 units at p is 0x0000
// (0xFFFF).
inline void UnitMasksSse2(const std::uint8_t* p, std::uint64_t* zeros, std::uint64_t* ones) {
  const __m128i kZero = _mm_setzero_si128();
  const __m128i kOnes = _mm_set1_epi8(-1);
  std::uint64_t z = 0;
  std::uint64_t f = 0;
  for (int k = 0; k < 4; ++k) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32 * k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32 * k + 16));
    // Signed saturation packs each unit into one byte that is 0x00 only for
    // 0x0000 and 0xFF only for 0xFFFF (-1).
    const __m128i packed = _mm_packs_epi16(a, b);
    const unsigned zk = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(packed, kZero)));
    const unsigned fk = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(packed, kOnes)));
    z |= static_cast<std::uint64_t>(zk) << (16 * k);
    f |= static_cast<std::uint64_t>(fk) << (16 * k);
  }
  *zeros = z;
  *ones = f;
}

// The phrase walk over the whole windows inside data[0, size) from the entry
// start `pos`: the position of the group's end marker (*found true) or an
// entry start at or after `pos` to go on from (*found false).
size_t SkipPhraseEntriesSse2(const std::uint8_t* data, size_t size, size_t pos, bool* found) {
  PhraseWalk walk(pos);
  for (size_t w = pos; size - w >= kWindowBytes; w += kWindowBytes) {
    std::uint64_t zeros;
    std::uint64_t ones;
    UnitMasksSse2(data + w, &zeros, &ones);
    size_t end;
    if (walk.Step(w, zeros, ones, &end)) {
      *found = true;
      return end;
    }
  }
  *found = false;
  return walk.Resume();
}
#endif  // __SSE2__

#if TALIQ_SCAN_AVX2
// The same searches 32 bytes to a register.
__attribute__((target("avx2"))) size_t FindUnitAvx2(const std::uint8_t* data, size_t size,
                                                      size_t pos, std::uint16_t unit) {
  const __m256i key = _mm256_set1_epi16(static_cast<short>(unit));
  while (size - pos >= 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos));
    const unsigned hits =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(v, key)));
    if (hits != 0) return pos + static_cast<size_t>(__builtin_ctz(hits));
    pos += 32;
  }
  return FindUnitTail(data, size, pos, unit);
}

__attribute__((target("avx2"))) size_t FindGroupEndAvx2(const std::uint8_t* data, size_t size,
                                                          size_t pos) {
  const __m256i ones = _mm256_set1_epi16(-1);
  while (size - pos >= 128) {
    const __m256i* p = reinterpret_cast<const __m256i*>(data + pos);
    const __m256i a = _mm256_cmpeq_epi16(_mm256_loadu_si256(p), ones);
    const __m256i b = _mm256_cmpeq_epi16(_mm256_loadu_si256(p + 1), ones);
    const __m256i c = _mm256_cmpeq_epi16(_mm256_loadu_si256(p + 2), ones);
    const __m256i d = _mm256_cmpeq_epi16(_mm256_loadu_si256(p + 3), ones);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    if (!_mm256_testz_si256(any, any)) break;
    pos += 128;
  }
  return FindUnitAvx2(data, size, pos, kGroupEnd);
}

__attribute__((target("avx2"))) inline std::uint64_t ByteMaskAvx2(__m256i x) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(x));
}

__attribute__((target("avx2"))) inline void UnitMasksAvx2(const std::uint8_t* p,
                                                          std::uint64_t* zeros,
                                                          std::uint64_t* ones) {
  const __m256i* v = reinterpret_cast<const __m256i*>(p);
  // As in the SSE2 build, one byte per unit; the pack works within each
  // 128-bit half, so the quarters are put back in unit order.
  const __m256i lo = _mm256_permute4x64_epi64(
      _mm256_packs_epi16(_mm256_loadu_si256(v), _mm256_loadu_si256(v + 1)), 0xD8);
  const __m256i hi = _mm256_permute4x64_epi64(
      _mm256_packs_epi16(_mm256_loadu_si256(v + 2), _mm256_loadu_si256(v + 3)), 0xD8);
  const __m256i kZero = _mm256_setzero_si256();
  const __m256i kOnes = _mm256_set1_epi8(-1);
  *zeros = ByteMaskAvx2(_mm256_cmpeq_epi8(lo, kZero)) |
           ByteMaskAvx2(_mm256_cmpeq_epi8(hi, kZero)) << 32;
  *ones = ByteMaskAvx2(_mm256_cmpeq_epi8(lo, kOnes)) |
          ByteMaskAvx2(_mm256_cmpeq_epi8(hi, kOnes)) << 32;
}

__attribute__((target("avx2"))) size_t SkipPhraseEntriesAvx2(const std::uint8_t* data,
                                                               size_t size, size_t pos,
                                                               bool* found) {
  PhraseWalk walk(pos);
  for (size_t w = pos; size - w >= kWindowBytes; w += kWindowBytes) {
    std::uint64_t zeros;
    std::uint64_t ones;
    UnitMasksAvx2(data + w, &zeros, &ones);
    size_t end;
    if (walk.Step(w, zeros, ones, &end)) {
      *found = true;
      return end;
    }
  }
  *found = false;
  return walk.Resume();
}
#endif  // TALIQ_SCAN_AVX2

// One build of the searches.
struct ScanOps {
  size_t (*findUnit)(const std::uint8_t* data, size_t size, size_t pos, std::uint16_t unit);
  size_t (*findGroupEnd)(const std::uint8_t* data, size_t size, size_t pos);
  // The phrase walk over whole windows; null where there is none, and the
  // phrase groups are then walked one entry at a time.
  size_t (*skipPhraseEntries)(const std::uint8_t* data, size_t size, size_t pos, bool* found);
};

constexpr ScanOps kPortableOps{FindUnitPortable, FindGroupEndPortable, nullptr};
#if defined(__SSE2__)
constexpr ScanOps kSse2Ops{FindUnitSse2, FindGroupEndSse2, SkipPhraseEntriesSse2};
#endif
#if TALIQ_SCAN_AVX2
constexpr ScanOps kAvx2Ops{FindUnitAvx2, FindGroupEndAvx2, SkipPhraseEntriesAvx2};
#endif

// The kernel in use, or -1 before the first lookup picks one.
std::atomic<int> activeKernel{-1};

ScanKernel FastestScanKernel() {
  if (ScanKernelAvailable(ScanKernel::kAvx2)) return ScanKernel::kAvx2;
  if (ScanKernelAvailable(ScanKernel::kSse2)) return ScanKernel::kSse2;
  return ScanKernel::kPortable;
}

const ScanOps& ActiveScanOps() {
  switch (ActiveScanKernel()) {
#if TALIQ_SCAN_AVX2
    case ScanKernel::kAvx2:
      return kAvx2Ops;
#endif
#if defined(__SSE2__)
    case ScanKernel::kSse2:
      return kSse2Ops;
#endif
    default:
      return kPortableOps;
  }
}

// Moves the stream to the first 0x0000 (text end) or 0xFFFF (group end)
// unit at or after its position, stepping by whole units and reading on as
// needed; false when the block ends first.
bool SeekUnit(BlockStream* s, std::uint16_t unit, const ScanOps& ops) {
  for (;;) {
    const size_t at = unit == kGroupEnd ? ops.findGroupEnd(s->data(), s->end(), s->pos())
                                        : ops.findUnit(s->data(), s->end(), s->pos(), unit);
    if (at < s->end()) {
      s->Set(at);
      return true;
    }
    // Keep the odd byte, if any: the next unit begins with it.
    s->Set(s->pos() + (s->end() - s->pos()) / 2 * 2);
    if (s->Ensure(2) < 2) return false;
  }
}

// Walks a phrase group that is not wanted, from its first entry to its end
// marker (values may hold any unit, so the marker cannot be searched for);
// false when the block ends first.
bool SkipPhraseGroup(BlockStream* s, const ScanOps& ops) {
  for (;;) {
    if (ops.skipPhraseEntries != nullptr) {
      s->Ensure(BlockStream::kMaxLookahead);
      bool found = false;
      s->Set(ops.skipPhraseEntries(s->data(), s->end(), s->pos(), &found));
      if (found) return true;
    }
    // One entry at a time where whole windows do not fit: the block's last
    // bytes, or a text that runs on past the bytes at hand.
    if (s->Ensure(2) < 2) return false;
    if (DecodeFixed16(s->data() + s->pos()) == kGroupEnd) return true;
    if (!SeekUnit(s, 0x0000, ops) || s->Ensure(6) < 6) return false;
    s->Set(s->pos() + 6);
  }
}

// Records filled by a scan, and where the matched group's entries begin.
struct ScanResult {
  int count = 0;
  bool matched = false;
  std::int32_t entryOffset = 0;
};

ScanResult ScanCharacterBlock(BlockStream* s, const PackedMatcher& matcher, const ScanOps& ops,
                              CandidateList& list) {
  ScanResult r;
  while (s->Ensure(3) >= 3) {
    const bool match = matcher.Matches(s->data() + s->pos());
    s->Set(s->pos() + 3);
    if (!match) {
      // Characters never hold 0xFFFF, so the group ends at the first one.
      if (!SeekUnit(s, kGroupEnd, ops)) return r;
      s->Set(s->pos() + 2);
      continue;
    }
    r.matched = true;
    r.entryOffset = s->FileOffset(s->pos());
    // The entries wholly in the buffer, then the next bytes, until the
    // group ends, the list is full or the block ends (a partial entry there
    // is left out).
    while (r.count < kCandidateListCapacity) {
      const size_t avail = s->Ensure(kCharacterEntrySize);
      const size_t whole = std::min<size_t>(
          avail / kCharacterEntrySize, static_cast<size_t>(kCandidateListCapacity - r.count));
      if (whole == 0) break;
      const std::uint8_t* p = s->data() + s->pos();
      size_t n = 0;
      for (; n < whole; ++n, p += kCharacterEntrySize) {
        const std::uint16_t unit = DecodeFixed16(p);
        if (unit == kGroupEnd) break;
        CandidateRecord& rec = list[static_cast<size_t>(r.count) + n];
        rec.text[0] = static_cast<char16_t>(unit);
        rec.text[1] = 0;
        rec.values[0] = DecodeFixed16(p + 2);
        rec.values[1] = DecodeFixed16(p + 4);
        rec.values[2] = DecodeFixed16(p + 6);
      }
      r.count += static_cast<int>(n);
      s->Set(s->pos() + n * kCharacterEntrySize);
      if (n < whole) break;
    }
    return r;
  }
  return r;
}

// The longest phrase entry a record can take: 49 units, terminator, values.
constexpr size_t kListedEntryBytes = 2 * (kMaxCandidateText + 1) + 4;
static_assert(kListedEntryBytes <= BlockStream::kMaxLookahead);

ScanResult ScanPhraseBlock(BlockStream* s, const PackedMatcher& matcher, const ScanOps& ops,
                           CandidateList& list) {
  ScanResult r;
  while (s->Ensure(3) >= 3) {
    const bool match = matcher.Matches(s->data() + s->pos());
    s->Set(s->pos() + 3);
    if (!match) {
      if (!SkipPhraseGroup(s, ops)) return r;
      s->Set(s->pos() + 2);
      continue;
    }
    r.matched = true;
    r.entryOffset = s->FileOffset(s->pos());
    while (r.count < kCandidateListCapacity) {
      // With these bytes at hand, any entry short enough to be listed lies
      // wholly in the buffer (unless the block ends inside it).
      if (s->Ensure(kListedEntryBytes) < 2) break;
      const std::uint8_t* data = s->data();
      const size_t start = s->pos();
      if (DecodeFixed16(data + start) == kGroupEnd) break;
      const size_t t = ops.findUnit(data, s->end(), start, 0x0000);
      if (t < s->end() && (t - start) / 2 <= static_cast<size_t>(kMaxCandidateText)) {
        if (s->end() - t < 6) break;  // the block ends inside the entry
        const size_t units = (t - start) / 2;
        CandidateRecord& rec = list[static_cast<size_t>(r.count)];
        for (size_t k = 0; k < units; ++k) {
          rec.text[k] = static_cast<char16_t>(DecodeFixed16(data + start + 2 * k));
        }
        rec.text[units] = 0;
        rec.values[0] = DecodeFixed16(data + t + 2);
        rec.values[1] = DecodeFixed16(data + t + 4);
        ++r.count;
        s->Set(t + 6);
        continue;
      }
      // Texts of 50 units or more do not fit a record; they stay out of the
      // list (and a write-back of the group is then refused, see below).
      if (!SeekUnit(s, 0x0000, ops) || s->Ensure(6) < 6) break;
      s->Set(s->pos() + 6);
    }
    return r;
  }
  return r;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The bytes one record takes in a table (the layouts of the lookups).
void AppendEntry(const CandidateRecord& r, bool phrase, std::vector<std::uint8_t>* out) {
  if (phrase) {
    for (char16_t c : r.Text()) PutFixed16(out, c);
    PutFixed16(out, 0);
    PutFixed16(out, r.values[0]);
    PutFixed16(out, r.values[1]);
  } else {
    PutFixed16(out, r.text[0]);
    PutFixed16(out, r.values[0]);
    PutFixed16(out, r.values[1]);
    PutFixed16(out, r.values[2]);
  }
}

// One entry's bytes inside a buffer.
struct EntryBytes {
  const std::uint8_t* data;
  size_t size;

  bool operator<(const EntryBytes& o) const {
    return std::lexicographical_compare(data, data + size, o.data, o.data + o.size);
  }
  bool operator==(const EntryBytes& o) const {
    return size == o.size && std::equal(data, data + size, o.data);
  }
};

// Splits `bytes` into exactly `count` entries of the table's layout. False
// when they do not divide so, or when an entry starts with the group's end
// marker, or (characters) holds a 0xFFFF unit anywhere.
bool SplitEntries(const std::uint8_t* bytes, size_t size, int count, bool phrase,
                  std::vector<EntryBytes>* entries) {
  size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    if (size - pos < 2 || DecodeFixed16(bytes + pos) == kGroupEnd) return false;
    size_t end;
    if (phrase) {
      const size_t t = FindUnitPortable(bytes, size, pos, 0x0000);
      if (t >= size || size - t < 6) return false;
      end = t + 6;
    } else {
      if (size - pos < kCharacterEntrySize) return false;
      for (size_t k = 0; k < kCharacterEntrySize; k += 2) {
        if (DecodeFixed16(bytes + pos + k) == kGroupEnd) return false;
      }
      end = pos + kCharacterEntrySize;
    }
    entries->push_back({bytes + pos, end - pos});
    pos = end;
  }
  return pos == size;
}

// Whether both hold the same entries, each as often, in any order.
bool SameEntries(std::vector<EntryBytes> a, std::vector<EntryBytes> b) {
  if (a.size() != b.size()) return false;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

}  // namespace

bool ScanKernelAvailable(ScanKernel kernel) {
  switch (kernel) {
    case ScanKernel::kPortable:
      return true;
    case ScanKernel::kSse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case ScanKernel::kAvx2:
#if TALIQ_SCAN_AVX2
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

bool UseScanKernel(ScanKernel kernel) {
  if (!ScanKernelAvailable(kernel)) return false;
  activeKernel.store(static_cast<int>(kernel), std::memory_order_relaxed);
  return true;
}

ScanKernel ActiveScanKernel() {
  int kernel = activeKernel.load(std::memory_order_relaxed);
  if (kernel < 0) {
    // Every thread that gets here picks the same.
    kernel = static_cast<int>(FastestScanKernel());
    activeKernel.store(kernel, std::memory_order_relaxed);
  }
  return static_cast<ScanKernel>(kernel);
}

int BucketOf(std::u16string_view code) {
  if (code.empty() || code.size() > 6) return -1;
  for (char16_t c : code) {
    if (!IsDigit(c)) return -1;
  }
  int bucket = 121 * (code[0] - u'0');
  if (code.size() >= 2) bucket += 11 * (code[1] - u'0' + 1);
  if (code.size() >= 3) bucket += code[2] - u'0' + 1;
  return bucket;
}

int UnpackDigits(const std::uint8_t packed[3], char16_t* out) {
  int i = 0;
  for (; i < 6; ++i) {
    const std::uint8_t byte = packed[i / 2];
    const int nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
    out[i] = static_cast<char16_t>(nibble + 48);
    if (nibble == 0xF) break;
  }
  out[i] = 0;
  return i + 1;
}

}  // namespace taliq

namespace taliq {

DictionaryStore::DictionaryStore(Platform* platform) : platform_(platform) {
  ReportLoadFailure(LoadIndex(), kIndexLoadFailedMessage);
}

DictionaryStore::~DictionaryStore() = default;

void DictionaryStore::ReportLoadFailure(int result, const char16_t* missingMessage) {
  if (result == 0) {
    platform_->MessageBox(missingMessage, u"", kMbOk);
  } else if (result == -1) {
    platform_->MessageBox(kOutOfMemoryMessage, u"", kMbOk);
  }
}

std::string DictionaryStore::ResolveDictionaryFolder(int charset, int edition,
                                                     bool trimAtParenthesis) {
  std::string folder;
  if (!platform_->ProgramFilesFolderA(&folder) || folder.empty()) return std::string();
  if (trimAtParenthesis) {
    // "C:\Program Files (x86)" names the native copy as "C:\Program Files":
    // cut the blank before the first "(" and everything after it.
    const size_t p = folder.find('(');
    if (p != std::string::npos && p < 128) {
      if (p == 0) return std::string();
      folder.resize(p - 1);
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
  folder += charset == 0 ? "chs" : "cht";
  if (edition == 1) folder += "_2002";
  folder += sep;
  return folder;
}

std::string DictionaryStore::FilePath(std::string_view fileName, bool trimAtParenthesis) {
  std::string folder = ResolveDictionaryFolder(charset_, edition_, trimAtParenthesis);
  if (folder.empty()) return folder;
  folder.append(fileName);
  return folder;
}

int DictionaryStore::LoadIndex() {
  index_.reset();
  indexSize_ = 0;
  blockOffsets_.reset();
  const std::string path = FilePath(kIndexFileName, false);
  if (path.empty()) return 0;
  std::FILE* f = platform_->OpenFile(path, "rb").release();
  if (f == nullptr) return 0;
  const std::int64_t size = FileSize(f);
  // An index too short to hold both length arrays is as good as missing:
  // nothing may be read beyond the loaded bytes.
  if (size < static_cast<std::int64_t>(kMinIndexSize) ||
      static_cast<std::uint64_t>(size) > std::numeric_limits<size_t>::max()) {
    std::fclose(f);
    return 0;
  }
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[static_cast<size_t>(size)]);
  if (buffer == nullptr) {
    std::fclose(f);
    return -1;
  }
  size_t got = 0;
  if (SeekTo(f, 0)) got = std::fread(buffer.get(), 1, static_cast<size_t>(size), f);
  std::fclose(f);
  if (got < kMinIndexSize) return 0;
  std::unique_ptr<std::int64_t[]> offsets(new (std::nothrow) std::int64_t[2 * kBucketCount]);
  if (offsets == nullptr) return -1;
  // Each lookup would otherwise add up to 1209 lengths to place its block.
  std::int64_t characters = kTableHeaderSize;
  std::int64_t phrases = kTableHeaderSize;
  for (int b = 0; b < kBucketCount; ++b) {
    offsets[b] = characters;
    offsets[kBucketCount + b] = phrases;
    characters += DecodeFixed16(buffer.get() + kCharacterLengthsOffset + 2 * b);
    phrases += DecodeFixed32(buffer.get() + kPhraseLengthsOffset + 4 * b);
  }
  index_ = std::move(buffer);
  indexSize_ = got;
  blockOffsets_ = std::move(offsets);
  return 1;
}

void DictionaryStore::SelectCharset(int charset, int edition) {
  if (charset == charset_ && edition == edition_) return;
  edition_ = edition;
  charset_ = charset;
  ReportLoadFailure(LoadIndex(), kTableLoadFailedMessage);
}

DictionaryStore::Placement DictionaryStore::Place(std::u16string_view code, TableKind table,
                                                  std::int32_t* offset,
                                                  std::uint32_t* length) const {
  const int bucket = BucketOf(code);
  if (bucket < 0 || (table == TableKind::Characters && code.size() > 4)) {
    return Placement::kBadCode;
  }
  if (index_ == nullptr) return Placement::kNoIndex;
  std::int64_t sum;
  std::uint32_t len;
  if (table == TableKind::Characters) {
    sum = blockOffsets_[bucket];
    len = DecodeFixed16(index_.get() + kCharacterLengthsOffset + 2 * bucket);
  } else {
    sum = blockOffsets_[kBucketCount + bucket];
    len = DecodeFixed32(index_.get() + kPhraseLengthsOffset + 4 * bucket);
  }
  // Block offsets are 32-bit signed; lengths that sum past that are damage.
  if (sum > kMaxTableOffset) return Placement::kOutOfRange;
  *offset = static_cast<std::int32_t>(sum);
  *length = len;
  return Placement::kFound;
}

int DictionaryStore::FindBlock(std::u16string_view code, TableKind table, std::int32_t* offset,
                               std::uint32_t* length) const {
  return Place(code, table, offset, length) == Placement::kFound ? 0 : -1;
}

void DictionaryStore::RememberMatch(std::u16string_view code, LastTable table,
                                    std::int32_t entryOffset) {
  const PackedMatcher matcher(code);
  matchOffset_ = entryOffset;
  lastTable_ = table;
  matchCodeValue_ = matcher.value;
  matchCodeMask_ = matcher.mask;
  matchTraditional_ = charset_ != 0;
  match2002_ = edition_ == 1;
}

int DictionaryStore::LookupCharacters(std::u16string_view code, CandidateList& list) {
  const int result = Lookup(code, TableKind::Characters, list);
  characterCount_ = std::max(result, 0);  // -1 (no index) lists nothing
  return result;
}

int DictionaryStore::LookupPhrases(std::u16string_view code, CandidateList& list) {
  const int result = Lookup(code, TableKind::Phrases, list);
  phraseCount_ = std::max(result, 0);
  return result;
}

int DictionaryStore::Lookup(std::u16string_view code, TableKind table, CandidateList& list) {
  matchOffset_ = 0;
  lastTable_ = LastTable::None;
  if (index_ == nullptr) LoadIndex();
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  switch (Place(code, table, &offset, &length)) {
    case Placement::kBadCode:
    case Placement::kOutOfRange:
      return 0;
    case Placement::kNoIndex:
      return -1;
    case Placement::kFound:
      break;
  }
  const bool phrases = table != TableKind::Characters;
  const std::string path =
      FilePath(phrases ? kPhraseTableFileName : kCharacterTableFileName, false);
  File f(path.empty() ? nullptr : platform_->OpenFile(path, "rb").release());
  if (f == nullptr) return 0;
  BlockStream block;
  if (length == 0 || !block.Open(f.get(), offset, length)) return 0;
  const PackedMatcher matcher(code);
  const ScanOps& ops = ActiveScanOps();
  const ScanResult r = phrases ? ScanPhraseBlock(&block, matcher, ops, list)
                               : ScanCharacterBlock(&block, matcher, ops, list);
  if (r.matched) {
    RememberMatch(code, phrases ? LastTable::Phrases : LastTable::Characters, r.entryOffset);
  }
  return r.count;
}

int DictionaryStore::WriteCandidates(const CandidateList& list, int count,
                                     bool trimAtParenthesis) {
  if (count <= 0 || count > kCandidateListCapacity) return 0;
  // Only the group of the last lookup, in the dictionary it was read from,
  // may be rewritten.
  if (matchOffset_ <= 0 || lastTable_ == LastTable::None) return 0;
  if (matchTraditional_ != (charset_ != 0) || match2002_ != (edition_ == 1)) return 0;
  const bool phrase = lastTable_ == LastTable::Phrases;

  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(count) * (phrase ? 2 * kMaxCandidateText + 6 : 8));
  for (int i = 0; i < count; ++i) {
    const CandidateRecord& r = list[static_cast<size_t>(i)];
    if (!phrase && r.Text().size() != 1) return 0;
    AppendEntry(r, phrase, &bytes);
  }
  std::vector<EntryBytes> wanted;
  wanted.reserve(static_cast<size_t>(count));
  if (!SplitEntries(bytes.data(), bytes.size(), count, phrase, &wanted)) return 0;

  const std::string path =
      FilePath(phrase ? kPhraseTableFileName : kCharacterTableFileName, trimAtParenthesis);
  std::FILE* f = path.empty() ? nullptr : platform_->OpenFile(path, "rb+").release();
  if (f == nullptr) return 0;

  // The bytes about to be overwritten must hold exactly the entries being
  // written, behind the packed code of the looked-up code. This refuses a
  // group with entries the list left out, a file that changed since the
  // lookup, a second copy that differs from the first, and a list meant for
  // the other table; any of them would otherwise corrupt the table.
  std::vector<std::uint8_t> current(3 + bytes.size());
  std::vector<EntryBytes> present;
  present.reserve(static_cast<size_t>(count));
  const bool same =
      SeekTo(f, static_cast<std::int64_t>(matchOffset_) - 3) &&
      std::fread(current.data(), 1, current.size(), f) == current.size() &&
      PackedMatcher(matchCodeValue_, matchCodeMask_).Matches(current.data()) &&
      SplitEntries(current.data() + 3, bytes.size(), count, phrase, &present) &&
      SameEntries(wanted, present);
  if (!same || !SeekTo(f, matchOffset_)) {
    std::fclose(f);
    return 0;
  }
  // One write for the whole run, so a reader never meets a half-moved entry.
  if (!WriteAllAndClose(f, bytes)) return 0;
  return static_cast<int>(bytes.size());
}

int DictionaryStore::ReadPunctuation(CandidateList& list) {
  characterCount_ = 0;
  const std::string path = FilePath(kPunctuationFileName, false);
  std::FILE* f = path.empty() ? nullptr : platform_->OpenFile(path, "rb").release();
  if (f == nullptr) return 0;
  std::uint8_t bytes[kListedPunctuationBytes];
  const size_t got = std::fread(bytes, 1, sizeof(bytes), f);
  std::fclose(f);
  for (size_t pos = 0; pos + kPunctuationRecordSize <= got; pos += kPunctuationRecordSize) {
    list[static_cast<size_t>(characterCount_)].SetMark(
        static_cast<char16_t>(DecodeFixed16(bytes + pos)));
    ++characterCount_;
  }
  return characterCount_;
}

int DictionaryStore::WritePunctuation(const CandidateList& list, int count) {
  count = std::clamp(count, 0, kCandidateListCapacity);
  const std::string folder = ResolveDictionaryFolder(charset_, edition_, false);
  if (folder.empty()) {
    platform_->MessageBox(kPunctuationFileMessage, u"", kMbOk);
    return 0;
  }
  const std::string path = folder + kPunctuationFileName;
  const std::string temp = folder + kPunctuationTempFileName;

  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(count) * kPunctuationRecordSize);
  for (int i = 0; i < count; ++i) {
    PutFixed16(&bytes, list[static_cast<size_t>(i)].Mark());
    PutFixed16(&bytes, 0x0020);
  }
  // The list holds only the first 300 marks; the rest of the file goes back
  // unchanged after them.
  if (std::FILE* old = platform_->OpenFile(path, "rb").release()) {
    const std::int64_t size = FileSize(old);
    if (size > static_cast<std::int64_t>(kListedPunctuationBytes) &&
        SeekTo(old, static_cast<std::int64_t>(kListedPunctuationBytes))) {
      const size_t rest = static_cast<size_t>(size) - kListedPunctuationBytes;
      const size_t at = bytes.size();
      bytes.resize(at + rest);
      bytes.resize(at + std::fread(bytes.data() + at, 1, rest, old));
    }
    std::fclose(old);
  }

  // Write the new table beside the old one and rename it over, so that a
  // failure never leaves an empty or half-written table.
  std::FILE* f = platform_->OpenFile(temp, "wb").release();
  if (f == nullptr) {
    platform_->MessageBox(kPunctuationFileMessage, u"", kMbOk);
    return 0;
  }
  if (!WriteAllAndClose(f, bytes)) {
    platform_->RemoveFile(temp);
    return 0;
  }
  if (platform_->ReplaceFile(temp, path)) return 1;
  platform_->RemoveFile(temp);

  // The platform refused the rename: rewrite the table in place.
  f = platform_->OpenFile(path, "wb").release();
  if (f == nullptr) {
    platform_->MessageBox(kPunctuationFileMessage, u"", kMbOk);
    return 0;
  }
  return WriteAllAndClose(f, bytes) ? 1 : 0;
}

}  // namespace taliq
