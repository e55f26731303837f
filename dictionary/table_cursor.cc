#include "dictionary/table_cursor.h"

#include <algorithm>

#include "dictionary/coding.h"
#include "dictionary/scan_kernels.h"

namespace taliq {
namespace {

// Reads the entries of one group from the stream's position up to and past
// its end marker, listing what a lookup lists. False when the block ends
// first.
bool ReadCharacterGroup(BlockStream* s, CandidateList& list, int* count) {
  for (;;) {
    const std::size_t avail = s->Ensure(kCharacterEntrySize);
    if (avail < 2) return false;
    const std::uint8_t* p = s->data() + s->pos();
    const std::uint16_t unit = DecodeFixed16(p);
    if (unit == kGroupEnd) {
      s->Set(s->pos() + 2);
      return true;
    }
    if (avail < kCharacterEntrySize) return false;
    if (*count < kCandidateListCapacity) {
      CandidateRecord& rec = list[static_cast<std::size_t>((*count)++)];
      rec.text[0] = static_cast<char16_t>(unit);
      rec.text[1] = 0;
      rec.values[0] = DecodeFixed16(p + 2);
      rec.values[1] = DecodeFixed16(p + 4);
      rec.values[2] = DecodeFixed16(p + 6);
    }
    s->Set(s->pos() + kCharacterEntrySize);
  }
}

bool ReadPhraseGroup(BlockStream* s, CandidateList& list, int* count) {
  const ScanOps& ops = ActiveScanOps();
  for (;;) {
    if (s->Ensure(2) < 2) return false;
    if (DecodeFixed16(s->data() + s->pos()) == kGroupEnd) {
      s->Set(s->pos() + 2);
      return true;
    }
    CandidateRecord* rec =
        *count < kCandidateListCapacity ? &list[static_cast<std::size_t>(*count)] : nullptr;
    // The text up to its end, searched for in what the buffer holds and
    // read on while it holds none; a record takes its first units.
    std::size_t units = 0;
    for (;;) {
      if (s->Ensure(2) < 2) return false;
      const std::size_t start = s->pos();
      const std::size_t end = ops.findUnit(s->data(), s->end(), start, kTextEnd);
      const std::size_t stop =
          end < s->end() ? end : start + ((s->end() - start) & ~std::size_t{1});
      const std::size_t n = (stop - start) / 2;
      for (std::size_t k = 0;
           rec != nullptr && k < n && units + k < static_cast<std::size_t>(kMaxCandidateText);
           ++k) {
        rec->text[units + k] = static_cast<char16_t>(DecodeFixed16(s->data() + start + 2 * k));
      }
      units += n;
      s->Set(stop);
      if (end < s->end()) {
        s->Set(end + 2);
        break;
      }
    }
    if (s->Ensure(4) < 4) return false;
    const std::uint8_t* p = s->data() + s->pos();
    if (rec != nullptr && units <= static_cast<std::size_t>(kMaxCandidateText)) {
      rec->text[units] = 0;
      rec->values[0] = DecodeFixed16(p);
      rec->values[1] = DecodeFixed16(p + 2);
      rec->values[2] = 0;
      ++*count;
    }
    s->Set(s->pos() + 4);
  }
}

}  // namespace

Status CodeCutShort(const std::string& path, std::int64_t groupOffset, int bucket) {
  return Status::Corruption(path, groupOffset,
                            "block " + std::to_string(bucket) + " ends inside a packed code");
}

Status GroupCutShort(const std::string& path, std::int64_t groupOffset, int bucket,
                     bool truncated) {
  return Status::Corruption(
      path, groupOffset,
      truncated ? "the file ends inside the group of block " + std::to_string(bucket)
                : "block " + std::to_string(bucket) + " ends inside a code group");
}

std::int64_t TableEnd(const DictionaryIndex& index, TableKind table) {
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  if (index.PlaceBucket(kBucketCount - 1, table, &offset, &length) !=
      DictionaryIndex::Placement::kFound) {
    return kMaxTableOffset;
  }
  return static_cast<std::int64_t>(offset) + length;
}

bool TableCursor::Prepare(Platform* platform, const DictionaryIndex& index, const std::string& path,
                          TableKind table, int firstBucket, int endBucket) {
  platform_ = platform;
  index_ = &index;
  path_ = path;
  table_ = table;
  inBlock_ = false;
  bucket_ = firstBucket - 1;
  endBucket_ = endBucket;
  buckets_ = nullptr;
  tableEnd_ = TableEnd(index, table);
  stream_.reset();
  file_.reset();
  held_ = nullptr;
  if (!index.loaded()) {
    status_ = Status::Refused("no index is loaded for " + path);
    return false;
  }
  status_ = Status::Ok();
  return true;
}

Status TableCursor::Open(Platform* platform, const DictionaryIndex& index, const std::string& path,
                         TableKind table, int firstBucket, int endBucket) {
  if (Prepare(platform, index, path, table, firstBucket, endBucket)) {
    file_ = OpenDictionaryFile(platform, path, "rb", &status_);
  }
  return status_;
}

Status TableCursor::Open(Platform* platform, const DictionaryIndex& index, const std::string& path,
                         TableKind table, FileHandle file) {
  if (Prepare(platform, index, path, table, 0, kBucketCount)) file_ = std::move(file);
  return status_;
}

Status TableCursor::OpenInMemory(const DictionaryIndex& index, const std::string& path,
                                 TableKind table, const std::uint8_t* bytes,
                                 std::int64_t bytesOffset, std::size_t size) {
  if (Prepare(nullptr, index, path, table, 0, kBucketCount)) {
    held_ = bytes;
    heldOffset_ = bytesOffset;
    heldSize_ = size;
  }
  return status_;
}

void TableCursor::Restrict(int firstBucket, int endBucket) {
  inBlock_ = false;
  bucket_ = firstBucket - 1;
  endBucket_ = endBucket;
}

std::int64_t TableCursor::RunEnd(std::int32_t offset, std::uint32_t length) const {
  std::int64_t end = static_cast<std::int64_t>(offset) + length;
  for (int b = bucket_ + 1; b < endBucket_ && end < tableEnd_; ++b) {
    if (buckets_ != nullptr && !buckets_->test(static_cast<std::size_t>(b))) break;
    std::int32_t next = 0;
    std::uint32_t nextLength = 0;
    if (index_->PlaceBucket(b, table_, &next, &nextLength) != DictionaryIndex::Placement::kFound ||
        next != end) {
      break;
    }
    end += nextLength;
  }
  return std::min(end, tableEnd_);
}

bool TableCursor::NextBlock() {
  while (++bucket_ < endBucket_) {
    if (buckets_ != nullptr && !buckets_->test(static_cast<std::size_t>(bucket_))) continue;
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    if (index_->PlaceBucket(bucket_, table_, &offset, &length) !=
        DictionaryIndex::Placement::kFound) {
      status_ = Status::Corruption(
          path_, "the blocks before block " + std::to_string(bucket_) + " end past 2^31 - 1");
      return false;
    }
    if (length == 0) continue;
    if (held_ != nullptr) {
      if (!stream_) stream_.emplace();
      if (!stream_->OpenInMemory(held_, heldOffset_, heldSize_, offset, length)) {
        status_ = Status::Refused(path_ + ": block " + std::to_string(bucket_) +
                                  " is not among the bytes held");
        return false;
      }
      inBlock_ = true;
      return true;
    }
    // The blocks lie back to back: each goes on from the reads of the one
    // before, unless blocks were left out between them.
    if (stream_ && stream_->NextBlock(offset, length)) {
      inBlock_ = true;
      return true;
    }
    if (!stream_) stream_.emplace();
    switch (stream_->OpenAhead(platform_, file_.get(), offset, length, RunEnd(offset, length))) {
      case BlockStream::OpenResult::kSeekFailed:
        status_ = Status::IoError(path_, "cannot seek to offset " + std::to_string(offset));
        return false;
      case BlockStream::OpenResult::kNoMemory:
        status_ = Status::NoMemory("reading " + path_);
        return false;
      case BlockStream::OpenResult::kOpened:
        break;
    }
    inBlock_ = true;
    return true;
  }
  return false;
}

bool TableCursor::Next(WalkedGroup* group) {
  if ((file_ == nullptr && held_ == nullptr) || !status_.ok()) return false;
  // Made on the first group: a reader of the raw bytes needs no list.
  if (list_ == nullptr) list_ = std::make_unique<CandidateList>();
  for (;;) {
    if (!inBlock_ && !NextBlock()) return false;
    BlockStream& s = *stream_;
    const std::size_t avail = s.Ensure(kPackedCodeSize);
    if (avail == 0) {
      inBlock_ = false;
      continue;
    }
    const std::int64_t groupOffset = s.FileOffset(s.pos());
    if (avail < kPackedCodeSize) {
      status_ = CodeCutShort(path_, groupOffset, bucket_);
      return false;
    }
    const int units = UnpackDigits(s.data() + s.pos(), code_);
    s.Set(s.pos() + kPackedCodeSize);
    int count = 0;
    const bool whole = table_ == TableKind::kCharacters ? ReadCharacterGroup(&s, *list_, &count)
                                                        : ReadPhraseGroup(&s, *list_, &count);
    if (!whole) {
      status_ = GroupCutShort(path_, groupOffset, bucket_, s.truncated());
      return false;
    }
    *group =
        WalkedGroup{table_,      std::u16string_view(code_, static_cast<std::size_t>(units - 1)),
                    groupOffset, list_.get(),
                    count,       bucket_};
    return true;
  }
}

}  // namespace taliq
