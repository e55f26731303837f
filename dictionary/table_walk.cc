#include "dictionary/table_walk.h"

#include <memory>

#include "dictionary/block_stream.h"
#include "dictionary/coding.h"
#include "dictionary/open_file.h"

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
  for (;;) {
    if (s->Ensure(2) < 2) return false;
    if (DecodeFixed16(s->data() + s->pos()) == kGroupEnd) {
      s->Set(s->pos() + 2);
      return true;
    }
    CandidateRecord* rec =
        *count < kCandidateListCapacity ? &list[static_cast<std::size_t>(*count)] : nullptr;
    std::size_t units = 0;
    for (;;) {
      if (s->Ensure(2) < 2) return false;
      const std::uint16_t unit = DecodeFixed16(s->data() + s->pos());
      s->Set(s->pos() + 2);
      if (unit == kTextEnd) break;
      if (rec != nullptr && units < static_cast<std::size_t>(kMaxCandidateText)) {
        rec->text[units] = static_cast<char16_t>(unit);
      }
      ++units;
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

Status WalkTable(Platform* platform, const DictionaryIndex& index, const std::string& path,
                 TableKind table, const std::function<void(const WalkedGroup&)>& visit) {
  if (!index.loaded()) return Status::Refused("no index is loaded for " + path);
  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  auto list = std::make_unique<CandidateList>();
  char16_t code[8] = {};
  for (int bucket = 0; bucket < kBucketCount; ++bucket) {
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    if (index.PlaceBucket(bucket, table, &offset, &length) != DictionaryIndex::Placement::kFound) {
      return Status::Corruption(
          path, "the blocks before block " + std::to_string(bucket) + " end past 2^31 - 1");
    }
    if (length == 0) continue;
    BlockStream s;
    switch (s.Open(platform, f.get(), offset, length)) {
      case BlockStream::OpenResult::kSeekFailed:
        return Status::IoError(path, "cannot seek to offset " + std::to_string(offset));
      case BlockStream::OpenResult::kNoMemory:
        return Status::NoMemory("reading " + path);
      case BlockStream::OpenResult::kOpened:
        break;
    }
    for (;;) {
      const std::size_t avail = s.Ensure(kPackedCodeSize);
      if (avail == 0) break;
      const std::int64_t groupOffset = s.FileOffset(s.pos());
      if (avail < kPackedCodeSize) {
        return Status::Corruption(path, groupOffset,
                                  "block " + std::to_string(bucket) + " ends inside a packed code");
      }
      const int units = UnpackDigits(s.data() + s.pos(), code);
      s.Set(s.pos() + kPackedCodeSize);
      int count = 0;
      const bool whole = table == TableKind::kCharacters ? ReadCharacterGroup(&s, *list, &count)
                                                         : ReadPhraseGroup(&s, *list, &count);
      if (!whole) {
        return Status::Corruption(
            path, groupOffset,
            s.truncated() ? "the file ends inside the group of block " + std::to_string(bucket)
                          : "block " + std::to_string(bucket) + " ends inside a code group");
      }
      visit(WalkedGroup{table, std::u16string_view(code, static_cast<std::size_t>(units - 1)),
                        groupOffset, list.get(), count});
    }
  }
  return Status::Ok();
}

}  // namespace taliq
