#include "dictionary/byte_search.h"

#include <algorithm>
#include <cstring>

#include "dictionary/open_file.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace taliq {
namespace {

constexpr std::size_t kReadSize = 128 * 1024;

bool MatchesAt(const std::uint8_t* p, const std::vector<std::uint8_t>& needle) {
  return std::memcmp(p, needle.data(), needle.size()) == 0;
}

// Calls `hit` with the offset of every occurrence of `needle` (at least one
// byte) in data[0, size), in ascending order.
template <class Hit>
void ForEachOccurrence(const std::uint8_t* data, std::size_t size,
                       const std::vector<std::uint8_t>& needle, Hit hit) {
  const std::size_t n = needle.size();
  if (n == 0 || size < n) return;
  const std::size_t last = size - n;  // the last offset a match can start at
  std::size_t i = 0;
  if (n >= 2) {
#if defined(__SSE2__)
    // Sixteen offsets at a time: the first two bytes of the needle compared
    // at once, the rest only where both matched.
    const __m128i first = _mm_set1_epi8(static_cast<char>(needle[0]));
    const __m128i second = _mm_set1_epi8(static_cast<char>(needle[1]));
    for (; i + 16 <= last; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
      unsigned mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
      while (mask != 0) {
        const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
        if (MatchesAt(data + at, needle)) hit(at);
        mask &= mask - 1;
      }
    }
#endif
  }
  for (; i <= last; ++i) {
    if (data[i] == needle[0] && MatchesAt(data + i, needle)) hit(i);
  }
}

}  // namespace

std::vector<std::size_t> OccurrencesForTest(const std::vector<std::uint8_t>& data,
                                            const std::vector<std::uint8_t>& needle) {
  std::vector<std::size_t> at;
  ForEachOccurrence(data.data(), data.size(), needle, [&](std::size_t i) { at.push_back(i); });
  return at;
}

Status BucketsHoldingTexts(Platform* platform, const DictionaryIndex& index,
                           const std::string& path, TableKind table,
                           std::span<const std::u16string> texts, BucketSet* buckets) {
  buckets->reset();
  std::vector<std::vector<std::uint8_t>> needles;
  std::size_t longest = 0;
  for (const std::u16string& t : texts) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : t) {
      bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    longest = std::max(longest, bytes.size());
    if (!bytes.empty()) needles.push_back(std::move(bytes));
  }
  if (needles.empty()) return Status::Ok();
  // Where each block starts, to tell the bucket of an offset.
  std::vector<std::int64_t> starts(kBucketCount + 1);
  for (int b = 0; b < kBucketCount; ++b) {
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    if (index.PlaceBucket(b, table, &offset, &length) != DictionaryIndex::Placement::kFound) {
      // The walk reports the damage; here every bucket is kept.
      buckets->set();
      return Status::Ok();
    }
    starts[static_cast<std::size_t>(b)] = offset;
    if (b == kBucketCount - 1) starts[kBucketCount] = static_cast<std::int64_t>(offset) + length;
  }
  // A match from `at` to `end` (file offsets, end exclusive) marks every
  // block it touches.
  const auto mark = [&](std::int64_t at, std::int64_t end) {
    auto it = std::upper_bound(starts.begin(), starts.end() - 1, at);
    for (std::size_t b =
             static_cast<std::size_t>(std::max<std::ptrdiff_t>(it - starts.begin() - 1, 0));
         b < kBucketCount && starts[b] < end; ++b) {
      if (starts[b + 1] > starts[b] && starts[b + 1] > at) buckets->set(b);
    }
  };

  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  // The last longest - 1 bytes of a read go to the front of the next, so
  // that a match across two reads is seen.
  const std::size_t carryMax = longest - 1;
  std::vector<std::uint8_t> buffer(carryMax + kReadSize);
  std::size_t carry = 0;
  std::int64_t base = 0;  // file offset of buffer[0]
  for (;;) {
    std::size_t got = 0;
    if (!platform->Read(f.get(), buffer.data() + carry, kReadSize, &got)) {
      return Status::IoError(path, "read failed");
    }
    const std::size_t size = carry + got;
    for (const std::vector<std::uint8_t>& needle : needles) {
      // Offsets before `from` were searched with the previous read.
      const std::size_t from = carry >= needle.size() - 1 ? carry - (needle.size() - 1) : 0;
      ForEachOccurrence(buffer.data() + from, size - from, needle, [&](std::size_t i) {
        const std::int64_t at = base + static_cast<std::int64_t>(from + i);
        mark(at, at + static_cast<std::int64_t>(needle.size()));
      });
    }
    if (got < kReadSize) {
      // A table that is not as long as its blocks is damaged: every block
      // is kept, so that the walk reads up to the damage and reports it.
      if (base + static_cast<std::int64_t>(size) != starts[kBucketCount]) buckets->set();
      return Status::Ok();
    }
    carry = std::min(carryMax, size);
    std::memmove(buffer.data(), buffer.data() + size - carry, carry);
    base += static_cast<std::int64_t>(size - carry);
  }
}

}  // namespace taliq
