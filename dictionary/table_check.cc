#include "dictionary/table_check.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "dictionary/block_stream.h"
#include "dictionary/coding.h"
#include "dictionary/interrupted_saves.h"
#include "dictionary/scan_kernels.h"
#include "dictionary/table_check_scan.h"
#include "platform/journal.h"

namespace taliq {
namespace {

// Per code of one block: a digest of its group's bytes (entries and end),
// in the order the groups are stored.
using BlockDigests = std::vector<std::pair<std::u16string, std::uint64_t>>;

constexpr std::uint64_t kDigestStart = 0xcbf29ce484222325ULL;

inline std::uint64_t Mix(std::uint64_t digest, std::uint64_t piece) {
  digest = (digest ^ piece) * 0x9E3779B97F4A7C15ULL;
  return digest ^ (digest >> 29);
}

// A digest of a group's bytes taken eight at a time from the group's first
// entry on, whatever pieces they arrive in: equal groups give equal digests
// however the reads of the two copies cut them.
class GroupDigest {
 public:
  void Add(const std::uint8_t* p, std::size_t n) {
    for (; n > 0 && fill_ != 0; ++p, --n) Push(*p);
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      digest_ = Mix(digest_, word);
    }
    for (; n > 0; ++p, --n) Push(*p);
  }
  std::uint64_t Value() const { return Mix(Mix(digest_, pending_), fill_); }

 private:
  void Push(std::uint8_t byte) {
    pending_ |= static_cast<std::uint64_t>(byte) << (8 * fill_);
    if (++fill_ == 8) {
      digest_ = Mix(digest_, pending_);
      pending_ = 0;
      fill_ = 0;
    }
  }

  std::uint64_t digest_ = kDigestStart;
  std::uint64_t pending_ = 0;
  unsigned fill_ = 0;
};

// One copy of a dictionary: its index's lengths and its two tables.
class CopyReader {
 public:
  CopyReader(Platform* platform, int copy, std::string folder, const CheckReport& report,
             CheckCounts* counts)
      : platform_(platform),
        copy_(copy),
        folder_(std::move(folder)),
        report_(report),
        counts_(counts) {}

  // Reads the index from `f` (null when it could not be opened); false when
  // there is none to go by (reported).
  bool LoadIndex(FileHandle f);
  // The lengths of the table's blocks, after LoadIndex.
  BlockLengths Lengths(TableKind table) const {
    BlockLengths lengths;
    for (int b = 0; b < kBucketCount; ++b) lengths[static_cast<std::size_t>(b)] = Length(table, b);
    return lengths;
  }
  // Opens the table and compares its size with the index's lengths.
  void OpenTable(TableKind table);
  // Reads block `bucket` of the open table, its groups' digests into `out`.
  void CheckBlock(TableKind table, int bucket, BlockDigests* out);
  void CheckPunctuation();
  // Reports each file a save was writing when it was interrupted (its
  // journal is still there): until the next lookup or save completes or
  // undoes that save, the file may hold part of it.
  void CheckJournals();

 private:
  void Report(const std::string& file, std::int64_t offset, std::string problem) {
    ++counts_->problems;
    if (report_.problem) report_.problem(CheckProblem{copy_, file, offset, std::move(problem)});
  }
  std::uint32_t Length(TableKind table, int bucket) const {
    return table == TableKind::kCharacters
               ? DecodeFixed16(index_.data() + kCharacterLengthsOffset + 2 * bucket)
               : DecodeFixed32(index_.data() + kPhraseLengthsOffset + 4 * bucket);
  }
  // Reads one group from its packed code; false after reporting damage.
  bool CheckGroup(BlockStream* s, TableKind table, int bucket, BlockDigests* out);

  Platform* const platform_;
  const int copy_;
  const std::string folder_;
  const CheckReport& report_;
  CheckCounts* const counts_;
  std::vector<std::uint8_t> index_;  // the two length arrays' bytes
  FileHandle table_;
  std::string tablePath_;
  std::int64_t blockOffset_ = 0;  // where the next block starts
  std::int64_t tableEnd_ = 0;     // where the index says the last one ends
  BlockStream stream_;
};

bool CopyReader::LoadIndex(FileHandle f) {
  const std::string path = folder_ + kIndexFileName;
  if (f == nullptr) {
    Report(path, 0, "the index is missing");
    return false;
  }
  std::setvbuf(f.get(), nullptr, _IONBF, 0);  // one read, straight into index_
  index_.assign(kMinIndexSize, 0);
  const std::size_t got = std::fread(index_.data(), 1, kMinIndexSize, f.get());
  if (got < kMinIndexSize) {
    Report(path, static_cast<std::int64_t>(got),
           "the index is short: " + std::to_string(got) + " bytes, not " +
               std::to_string(kMinIndexSize));
    return false;
  }
  return true;
}

void CopyReader::OpenTable(TableKind table) {
  stream_ = BlockStream();
  tablePath_ = folder_ + TableFileName(table);
  table_ = platform_->OpenFile(tablePath_, "rb");
  blockOffset_ = kTableHeaderSize;
  if (table_ == nullptr) {
    Report(tablePath_, 0, "the table is missing");
    return;
  }
  std::int64_t sum = kTableHeaderSize;
  for (int b = 0; b < kBucketCount; ++b) sum += Length(table, b);
  tableEnd_ = sum;
  const std::int64_t size = platform_->FileSize(table_.get());
  if (size != sum) {
    Report(tablePath_, size,
           "the block lengths add up to " + std::to_string(sum) + " bytes with the header, " +
               "the table has " + std::to_string(size));
  }
}

bool CopyReader::CheckGroup(BlockStream* s, TableKind table, int bucket, BlockDigests* out) {
  const ScanOps& ops = ActiveScanOps();
  const std::int64_t at = s->FileOffset(s->pos());
  const auto damaged = [&](std::int64_t offset, const std::string& what) {
    Report(tablePath_, offset, what);
    return false;
  };
  if (s->Ensure(kPackedCodeSize) < kPackedCodeSize) {
    return damaged(at, "block " + std::to_string(bucket) + " ends inside a packed code");
  }
  std::u16string code;
  bool digits = true;
  for (int i = 0; i < 6; ++i) {
    const std::uint8_t byte = s->data()[s->pos() + static_cast<std::size_t>(i / 2)];
    const int nibble = i % 2 == 0 ? byte >> 4 : byte & 0xF;
    if (nibble == 0xF) break;
    if (nibble > 9) digits = false;
    code.push_back(static_cast<char16_t>(u'0' + (nibble > 9 ? 0 : nibble)));
  }
  s->Set(s->pos() + kPackedCodeSize);
  const std::size_t maxDigits = table == TableKind::kCharacters ? 4 : 6;
  if (!digits || code.empty() || code.size() > maxDigits) {
    return damaged(at, "the group's code is not 1 to " + std::to_string(maxDigits) + " digits");
  }
  if (BucketOf(code) != bucket) {
    return damaged(at, "the group of code " + std::string(code.begin(), code.end()) +
                           " lies in block " + std::to_string(bucket) + ", not in block " +
                           std::to_string(BucketOf(code)));
  }
  GroupDigest digest;
  const auto take = [&](std::size_t n) {
    digest.Add(s->data() + s->pos(), n);
    s->Set(s->pos() + n);
  };
  for (;;) {
    const std::int64_t entry = s->FileOffset(s->pos());
    if (s->Ensure(2) < 2)
      return damaged(entry, "the group of " + std::string(code.begin(), code.end()) +
                                " has no end in its block");
    if (DecodeFixed16(s->data() + s->pos()) == kGroupEnd) {
      take(2);
      break;
    }
    if (table == TableKind::kCharacters) {
      if (s->Ensure(kCharacterEntrySize) < kCharacterEntrySize) {
        return damaged(entry, "the group of " + std::string(code.begin(), code.end()) +
                                  " has no end in its block");
      }
      bool unit = true;
      for (std::size_t k = 2; unit && k < kCharacterEntrySize; k += 2) {
        unit = DecodeFixed16(s->data() + s->pos() + k) != kGroupEnd;
      }
      if (!unit) return damaged(entry, "a character entry that is not one unit and three values");
      take(kCharacterEntrySize);
      continue;
    }
    // The text up to its end, searched for in what the buffer holds and
    // read on while it holds none.
    for (;;) {
      if (s->Ensure(2) < 2) return damaged(entry, "a text without its end in its block");
      const std::size_t end = ops.findUnit(s->data(), s->end(), s->pos(), kTextEnd);
      if (end < s->end()) {
        take(end + 2 - s->pos());
        break;
      }
      take((s->end() - s->pos()) & ~std::size_t{1});
    }
    if (s->Ensure(4) < 4) return damaged(entry, "a phrase entry cut by the end of its block");
    take(4);
  }
  out->emplace_back(std::move(code), digest.Value());
  return true;
}

void CopyReader::CheckBlock(TableKind table, int bucket, BlockDigests* out) {
  const std::uint32_t length = Length(table, bucket);
  const std::int64_t offset = blockOffset_;
  blockOffset_ += length;
  if (table_ == nullptr || length == 0) return;
  if (offset + length > kMaxTableOffset) {
    Report(tablePath_, offset, "block " + std::to_string(bucket) + " ends past 2^31 - 1");
    return;
  }
  // The blocks lie back to back: each goes on from the reads of the one
  // before.
  BlockStream& s = stream_;
  if (!s.NextBlock(static_cast<std::int32_t>(offset), length) &&
      s.OpenAhead(platform_, table_.get(), static_cast<std::int32_t>(offset), length, tableEnd_) !=
          BlockStream::OpenResult::kOpened) {
    Report(tablePath_, offset, "block " + std::to_string(bucket) + " cannot be read");
    return;
  }
  while (s.Ensure(1) > 0) {
    if (!CheckGroup(&s, table, bucket, out)) {
      // Read the next block afresh.
      stream_ = BlockStream();
      return;
    }
  }
}

void CopyReader::CheckJournals() {
  for (const std::string& file : FilesWithJournals(platform_, folder_)) {
    Report(folder_ + file, 0,
           "a save of this file was interrupted: its journal " + JournalPath(file) +
               " is still there (opening the dictionary completes or undoes the save)");
  }
}

void CopyReader::CheckPunctuation() {
  const std::string path = folder_ + kPunctuationFileName;
  FileHandle f = platform_->OpenFile(path, "rb");
  if (f == nullptr) {
    Report(path, 0, "the punctuation table is missing");
    return;
  }
  std::setvbuf(f.get(), nullptr, _IONBF, 0);  // the size without reading the end
  const std::int64_t size = platform_->FileSize(f.get());
  if (size % static_cast<std::int64_t>(kPunctuationRecordSize) != 0) {
    Report(path, size - size % 4,
           "the punctuation table's " + std::to_string(size) + " bytes are not whole marks");
  }
}

}  // namespace

CheckCounts CheckDictionary(Platform* platform, const std::string& first, const std::string& second,
                            const CheckReport& report) {
  CheckCounts counts;
  CopyReader a(platform, 0, first, report, &counts);
  std::unique_ptr<CopyReader> b;
  FileHandle bIndexFile;
  if (!second.empty()) {
    // A second copy without an index is not installed: it is left out.
    bIndexFile = platform->OpenFile(second + kIndexFileName, "rb");
    if (bIndexFile != nullptr)
      b = std::make_unique<CopyReader>(platform, 1, second, report, &counts);
  }
  counts.secondCopy = b != nullptr;
  FileHandle aIndexFile = platform->OpenFile(first + kIndexFileName, "rb");
  // Neither an index nor a table in the first copy, and no second copy: the
  // dictionary is not installed.
  if (b == nullptr && aIndexFile == nullptr &&
      platform->OpenFile(first + kCharacterTableFileName, "rb") == nullptr &&
      platform->OpenFile(first + kPhraseTableFileName, "rb") == nullptr) {
    counts.notInstalled = true;
    return counts;
  }
  a.CheckJournals();
  if (b != nullptr) b->CheckJournals();
  const bool aIndex = a.LoadIndex(std::move(aIndexFile));
  const bool bIndex = b != nullptr && b->LoadIndex(std::move(bIndexFile));
  // A table both copies hold sound and alike needs no closer look.
  constexpr TableKind kTables[] = {TableKind::kCharacters, TableKind::kPhrases};
  bool quick[2] = {false, false};
  if (aIndex) {
    std::vector<QuickTable> tables;
    std::vector<std::size_t> which;
    for (std::size_t t = 0; t < 2; ++t) {
      const TableKind table = kTables[t];
      BlockLengths lengths = a.Lengths(table);
      if (bIndex && lengths != b->Lengths(table)) continue;
      tables.push_back(QuickTable{first + TableFileName(table),
                                  bIndex ? second + TableFileName(table) : std::string(), lengths,
                                  table});
      which.push_back(t);
    }
    bool sound[2] = {false, false};
    TablesAreSoundAndSame(platform, tables, sound);
    for (std::size_t k = 0; k < which.size(); ++k) quick[which[k]] = sound[k];
  }
  std::vector<std::pair<TableKind, std::u16string>> differing;
  for (std::size_t t = 0; t < 2; ++t) {
    const TableKind table = kTables[t];
    if (quick[t]) continue;
    if (aIndex) a.OpenTable(table);
    if (bIndex) b->OpenTable(table);
    for (int bucket = 0; bucket < kBucketCount; ++bucket) {
      BlockDigests da, db;
      if (aIndex) a.CheckBlock(table, bucket, &da);
      if (bIndex) b->CheckBlock(table, bucket, &db);
      if (!aIndex || !bIndex || da == db) continue;
      // The codes in order; of a code stored twice in a block the last
      // group counts.
      for (BlockDigests* d : {&da, &db}) {
        std::stable_sort(d->begin(), d->end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        std::size_t kept = 0;
        for (std::size_t k = 0; k < d->size(); ++k) {
          if (kept > 0 && (*d)[kept - 1].first == (*d)[k].first) {
            (*d)[kept - 1].second = (*d)[k].second;
          } else {
            if (kept != k) (*d)[kept] = std::move((*d)[k]);
            ++kept;
          }
        }
        d->resize(kept);
      }
      auto i = da.begin();
      auto j = db.begin();
      while (i != da.end() || j != db.end()) {
        if (j == db.end() || (i != da.end() && i->first < j->first)) {
          differing.emplace_back(table, (i++)->first);
        } else if (i == da.end() || j->first < i->first) {
          differing.emplace_back(table, (j++)->first);
        } else {
          if (i->second != j->second) differing.emplace_back(table, i->first);
          ++i;
          ++j;
        }
      }
    }
  }
  a.CheckPunctuation();
  if (b != nullptr) b->CheckPunctuation();
  counts.differing = static_cast<int>(differing.size());
  if (report.differs) {
    for (const auto& [table, code] : differing) report.differs(table, code);
  }
  return counts;
}

}  // namespace taliq
