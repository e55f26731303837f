#include "dictionary/byte_search.h"

#include <algorithm>
#include <cstring>

#include "dictionary/open_file.h"
#include "dictionary/scan_kernels.h"

namespace taliq {
namespace {

constexpr std::size_t kReadSize = 128 * 1024;
// The bytes in front of a match that tell whether a phrase entry can start
// there.
constexpr std::size_t kEntryLookBehind = 6;

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
  if (n == 1) {
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == needle[0]) hit(i);
    }
    return;
  }
  // The first two bytes found by the scan kernel, the rest compared where
  // they stand.
  const ScanOps& ops = ActiveScanOps();
  const std::size_t end = size - n + 2;  // where a match's first two bytes must end
  for (std::size_t i = 0;; ++i) {
    i = ops.findBytePair(data, end, i, needle[0], needle[1]);
    if (i >= end) return;
    if (MatchesAt(data + i, needle)) hit(i);
  }
}

}  // namespace

std::vector<std::size_t> OccurrencesForTest(const std::vector<std::uint8_t>& data,
                                            const std::vector<std::uint8_t>& needle) {
  std::vector<std::size_t> at;
  ForEachOccurrence(data.data(), data.size(), needle, [&](std::size_t i) { at.push_back(i); });
  return at;
}

Status PhraseBlocksThatMayList(Platform* platform, const DictionaryIndex& index,
                               const std::string& path, std::span<const std::u16string> texts,
                               BucketSet* buckets) {
  buckets->reset();
  std::vector<std::vector<std::uint8_t>> needles;
  std::size_t longest = 0;
  for (const std::u16string& t : texts) {
    if (t.empty()) continue;
    std::vector<std::uint8_t> bytes;
    for (char16_t c : t) {
      bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    // A phrase entry's text ends with a zero unit.
    bytes.insert(bytes.end(), {0, 0});
    longest = std::max(longest, bytes.size());
    needles.push_back(std::move(bytes));
  }
  if (needles.empty()) return Status::Ok();
  // Where each block starts, to tell the bucket of an offset.
  std::vector<std::int64_t> starts(kBucketCount + 1);
  for (int b = 0; b < kBucketCount; ++b) {
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    if (index.PlaceBucket(b, TableKind::kPhrases, &offset, &length) !=
        DictionaryIndex::Placement::kFound) {
      // The walk reports the damage; here every bucket is kept.
      buckets->set();
      return Status::Ok();
    }
    starts[static_cast<std::size_t>(b)] = offset;
    if (b == kBucketCount - 1) starts[kBucketCount] = static_cast<std::int64_t>(offset) + length;
  }
  // The block a file offset lies in (kBucketCount past the last one). Empty
  // blocks start where the next one does: the last of them is the one.
  const auto blockOf = [&](std::int64_t at) {
    const auto it = std::upper_bound(starts.begin(), starts.end(), at);
    return static_cast<std::size_t>(std::max<std::ptrdiff_t>(it - starts.begin() - 1, 0));
  };
  // A match from `at` to `end` (file offsets, end exclusive) marks every
  // block it touches.
  const auto mark = [&](std::int64_t at, std::int64_t end) {
    for (std::size_t b = blockOf(at); b < kBucketCount && starts[b] < end; ++b) {
      if (starts[b + 1] > starts[b] && starts[b + 1] > at) buckets->set(b);
    }
  };

  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  // The last bytes of a read go to the front of the next, so that a match
  // across two reads is seen, with the bytes in front of it that tell
  // whether a phrase entry can start there.
  const std::size_t carryMax = longest - 1 + kEntryLookBehind;
  // One buffer per thread for every search, so that a search of many small
  // tables does not map and fault in fresh pages for each.
  thread_local std::vector<std::uint8_t> buffer;
  if (buffer.size() < carryMax + kReadSize) buffer.resize(carryMax + kReadSize);
  std::size_t carry = 0;
  std::int64_t base = 0;  // file offset of buffer[0]
  // Whether a phrase entry can start at buffer[i]: in front of an entry
  // stand either its group's packed code (at the block's start, or after
  // the end marker of the group before it) or the entry before it, whose
  // text end lies six bytes back. Bytes not at hand count as a yes.
  const auto mayStartPhrase = [&](std::size_t i) {
    const std::int64_t at = base + static_cast<std::int64_t>(i);
    const std::int64_t blockStart = starts[blockOf(at)];
    if (at - static_cast<std::int64_t>(kPackedCodeSize) == blockStart) return true;
    if (at - static_cast<std::int64_t>(kPackedCodeSize) < blockStart) return false;
    if (i < kEntryLookBehind) return true;
    const std::uint8_t* p = buffer.data() + i;
    const bool afterGroup = p[-5] == 0xFF && p[-4] == 0xFF;
    const bool afterEntry = at - 6 >= blockStart && p[-6] == 0 && p[-5] == 0;
    return afterGroup || afterEntry;
  };
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
        if (!mayStartPhrase(from + i)) return;
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
