#include "dictionary/dictionary_store.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dictionary/coding.h"

namespace taliq {
namespace {

constexpr std::uint16_t kGroupEnd = 0xFFFF;
constexpr int kCharacterEntrySize = 8;
constexpr std::int64_t kMaxTableOffset = std::numeric_limits<std::int32_t>::max();
// Blocks up to this size are read without asking the file's size first.
constexpr std::int64_t kSmallBlock = 1 << 20;
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

// The bytes of one block as far as the file holds them (a damaged table may
// end early), read with one call. The buffer lives only for the lookup.
struct BlockBytes {
  std::unique_ptr<std::uint8_t[]> data;
  size_t size = 0;
};

bool ReadBlock(std::FILE* f, std::int32_t offset, std::uint32_t length, BlockBytes* block) {
  // Nothing of a table lies past 2^31 - 1; and a length larger than the
  // file (a damaged index) must not size the buffer, so large blocks are
  // measured against the file first.
  std::int64_t want = std::min<std::int64_t>(length, kMaxTableOffset - offset);
  if (want > kSmallBlock) {
    const std::int64_t end = FileSize(f);
    if (end >= 0) want = std::min(want, std::max<std::int64_t>(0, end - offset));
  }
  if (!SeekTo(f, offset)) return false;
  if (want <= 0) return true;
  block->data.reset(new (std::nothrow) std::uint8_t[static_cast<size_t>(want)]);
  if (block->data == nullptr) return false;
  block->size = std::fread(block->data.get(), 1, static_cast<size_t>(want), f);
  return true;
}

// Position of the first unit equal to `unit` at or after `pos`, stepping by
// whole units from `pos`; `size` when there is none. Sixteen bytes at a time
// where the compiler offers SSE2, eight otherwise. `unit` must read the same
// in either byte order (0x0000, 0xFFFF), so the fast filter never misses.
size_t FindUnit(const std::uint8_t* data, size_t size, size_t pos, std::uint16_t unit) {
#if defined(__SSE2__)
  const __m128i key = _mm_set1_epi16(static_cast<short>(unit));
  while (size - pos >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, key)));
    if (hits != 0) return pos + static_cast<size_t>(__builtin_ctz(hits));
    pos += 16;
  }
#else
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
#endif
  while (size - pos >= 2) {
    if (DecodeFixed16(data + pos) == unit) return pos;
    pos += 2;
  }
  return size;
}

// Position of the first 0xFFFF unit at or after `pos`, or `size`. Character
// groups are long, so this looks at 64 bytes per step before narrowing down.
size_t FindGroupEnd(const std::uint8_t* data, size_t size, size_t pos) {
#if defined(__SSE2__)
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
#endif
  return FindUnit(data, size, pos, 0xFFFF);
}

// Position of the 0x0000 unit that ends a phrase text starting at `pos`, or
// `size` when the bytes end first.
size_t FindTextEnd(const std::uint8_t* data, size_t size, size_t pos) {
  return FindUnit(data, size, pos, 0x0000);
}

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
      const size_t t = FindTextEnd(bytes, size, pos);
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
  const std::string path = FilePath(kIndexFileName, false);
  if (path.empty()) return 0;
  std::FILE* f = platform_->OpenFile(path, "rb");
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
  index_ = std::move(buffer);
  indexSize_ = got;
  return 1;
}

void DictionaryStore::SelectCharset(int charset, int edition) {
  if (charset == charset_ && edition == edition_) return;
  edition_ = edition;
  charset_ = charset;
  index_.reset();
  indexSize_ = 0;
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
  std::int64_t sum = kTableHeaderSize;
  std::uint32_t len;
  if (table == TableKind::Characters) {
    const std::uint8_t* lengths = index_.get() + kCharacterLengthsOffset;
    for (int b = 0; b < bucket; ++b) sum += DecodeFixed16(lengths + 2 * b);
    len = DecodeFixed16(lengths + 2 * bucket);
  } else {
    const std::uint8_t* lengths = index_.get() + kPhraseLengthsOffset;
    for (int b = 0; b < bucket; ++b) sum += DecodeFixed32(lengths + 4 * b);
    len = DecodeFixed32(lengths + 4 * bucket);
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
  characterCount_ = 0;
  matchOffset_ = 0;
  lastTable_ = LastTable::None;
  if (index_ == nullptr) LoadIndex();
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  switch (Place(code, TableKind::Characters, &offset, &length)) {
    case Placement::kBadCode:
    case Placement::kOutOfRange:
      return 0;
    case Placement::kNoIndex:
      return -1;
    case Placement::kFound:
      break;
  }
  const std::string path = FilePath(kCharacterTableFileName, false);
  std::FILE* f = path.empty() ? nullptr : platform_->OpenFile(path, "rb");
  if (f == nullptr) return 0;
  BlockBytes block;
  const bool read = length > 0 && ReadBlock(f, offset, length, &block);
  std::fclose(f);
  if (!read) return 0;

  const PackedMatcher matcher(code);
  const std::uint8_t* data = block.data.get();
  const size_t size = block.size;
  size_t pos = 0;
  while (size - pos >= 3) {
    const bool match = matcher.Matches(data + pos);
    pos += 3;
    if (!match) {
      // Characters never hold 0xFFFF, so the group ends at the first one.
      pos = FindGroupEnd(data, size, pos);
      if (pos >= size) return 0;
      pos += 2;
      continue;
    }
    RememberMatch(code, LastTable::Characters, offset + static_cast<std::int32_t>(pos));
    while (characterCount_ < kCandidateListCapacity && size - pos >= 2) {
      const std::uint16_t unit = DecodeFixed16(data + pos);
      if (unit == kGroupEnd || size - pos < kCharacterEntrySize) break;
      CandidateRecord& r = list[static_cast<size_t>(characterCount_)];
      r.text[0] = static_cast<char16_t>(unit);
      r.text[1] = 0;
      r.values[0] = DecodeFixed16(data + pos + 2);
      r.values[1] = DecodeFixed16(data + pos + 4);
      r.values[2] = DecodeFixed16(data + pos + 6);
      ++characterCount_;
      pos += kCharacterEntrySize;
    }
    return characterCount_;
  }
  return 0;
}

int DictionaryStore::LookupPhrases(std::u16string_view code, CandidateList& list) {
  phraseCount_ = 0;
  matchOffset_ = 0;
  lastTable_ = LastTable::None;
  if (index_ == nullptr) LoadIndex();
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  switch (Place(code, TableKind::Phrases, &offset, &length)) {
    case Placement::kBadCode:
    case Placement::kOutOfRange:
      return 0;
    case Placement::kNoIndex:
      return -1;
    case Placement::kFound:
      break;
  }
  const std::string path = FilePath(kPhraseTableFileName, false);
  std::FILE* f = path.empty() ? nullptr : platform_->OpenFile(path, "rb");
  if (f == nullptr) return 0;
  BlockBytes block;
  const bool read = length > 0 && ReadBlock(f, offset, length, &block);
  std::fclose(f);
  if (!read) return 0;

  const PackedMatcher matcher(code);
  const std::uint8_t* data = block.data.get();
  const size_t size = block.size;
  size_t pos = 0;
  while (size - pos >= 3) {
    const bool match = matcher.Matches(data + pos);
    pos += 3;
    if (!match) {
      // Phrase values may be anything, so a group is skipped entry by entry.
      for (;;) {
        if (size - pos < 2) return 0;
        if (DecodeFixed16(data + pos) == kGroupEnd) break;
        const size_t t = FindTextEnd(data, size, pos);
        if (t >= size || size - t < 6) return 0;
        pos = t + 6;
      }
      pos += 2;
      continue;
    }
    RememberMatch(code, LastTable::Phrases, offset + static_cast<std::int32_t>(pos));
    while (phraseCount_ < kCandidateListCapacity && size - pos >= 2) {
      if (DecodeFixed16(data + pos) == kGroupEnd) break;
      const size_t t = FindTextEnd(data, size, pos);
      if (t >= size || size - t < 6) break;  // the entry runs past the block
      const size_t units = (t - pos) / 2;
      // Texts of 50 units or more do not fit a record; they stay out of the
      // list (and a write-back of the group is then refused, see below).
      if (units <= static_cast<size_t>(kMaxCandidateText)) {
        CandidateRecord& r = list[static_cast<size_t>(phraseCount_)];
        for (size_t k = 0; k < units; ++k) {
          r.text[k] = static_cast<char16_t>(DecodeFixed16(data + pos + 2 * k));
        }
        r.text[units] = 0;
        r.values[0] = DecodeFixed16(data + t + 2);
        r.values[1] = DecodeFixed16(data + t + 4);
        ++phraseCount_;
      }
      pos = t + 6;
    }
    return phraseCount_;
  }
  return 0;
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
  std::FILE* f = path.empty() ? nullptr : platform_->OpenFile(path, "rb+");
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
  std::FILE* f = path.empty() ? nullptr : platform_->OpenFile(path, "rb");
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
  if (std::FILE* old = platform_->OpenFile(path, "rb")) {
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
  std::FILE* f = platform_->OpenFile(temp, "wb");
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
  f = platform_->OpenFile(path, "wb");
  if (f == nullptr) {
    platform_->MessageBox(kPunctuationFileMessage, u"", kMbOk);
    return 0;
  }
  return WriteAllAndClose(f, bytes) ? 1 : 0;
}

}  // namespace taliq
