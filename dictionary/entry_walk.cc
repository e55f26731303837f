#include "dictionary/entry_walk.h"

#include "dictionary/block_stream.h"
#include "dictionary/coding.h"
#include "dictionary/open_file.h"

namespace taliq {
namespace {

using Visit = std::function<void(const WalkedEntry&)>;

// What a group with no entries is visited as.
WalkedEntry EmptyGroup(const WalkedEntry& group) {
  WalkedEntry e;
  e.code = group.code;
  e.groupOffset = group.groupOffset;
  return e;
}

// Visits the entries of one group from the stream's position up to and past
// its end marker (`entry` holds the group's code and offset). False when the
// block ends first.
bool VisitCharacterGroup(BlockStream* s, WalkedEntry* entry, const Visit& visit) {
  entry->valueCount = 3;
  for (int position = 1;; ++position) {
    const std::size_t avail = s->Ensure(kCharacterEntrySize);
    if (avail < 2) return false;
    const std::uint8_t* p = s->data() + s->pos();
    const char16_t unit = static_cast<char16_t>(DecodeFixed16(p));
    if (unit == kGroupEnd) {
      s->Set(s->pos() + 2);
      if (position == 1) visit(EmptyGroup(*entry));
      return true;
    }
    if (avail < kCharacterEntrySize) return false;
    entry->position = position;
    entry->text = std::u16string_view(&unit, 1);
    entry->values = {DecodeFixed16(p + 2), DecodeFixed16(p + 4), DecodeFixed16(p + 6)};
    visit(*entry);
    s->Set(s->pos() + kCharacterEntrySize);
  }
}

bool VisitPhraseGroup(BlockStream* s, WalkedEntry* entry, std::u16string* text,
                      const Visit& visit) {
  entry->valueCount = 2;
  for (int position = 1;; ++position) {
    if (s->Ensure(2) < 2) return false;
    if (DecodeFixed16(s->data() + s->pos()) == kGroupEnd) {
      s->Set(s->pos() + 2);
      if (position == 1) visit(EmptyGroup(*entry));
      return true;
    }
    text->clear();
    for (;;) {
      if (s->Ensure(2) < 2) return false;
      const std::uint16_t unit = DecodeFixed16(s->data() + s->pos());
      s->Set(s->pos() + 2);
      if (unit == kTextEnd) break;
      text->push_back(static_cast<char16_t>(unit));
    }
    if (s->Ensure(4) < 4) return false;
    const std::uint8_t* p = s->data() + s->pos();
    entry->position = position;
    entry->text = *text;
    entry->values = {DecodeFixed16(p), DecodeFixed16(p + 2), 0};
    visit(*entry);
    s->Set(s->pos() + 4);
  }
}

}  // namespace

BucketSet BucketsOfPrefix(std::u16string_view prefix) {
  BucketSet set;
  if (BucketOf(prefix) < 0) return set;
  if (prefix.size() >= 3) {
    set.set(static_cast<std::size_t>(BucketOf(prefix.substr(0, 3))));
    return set;
  }
  // Every code of up to three digits that extends the prefix names a
  // bucket that may hold codes starting with it.
  std::u16string code(prefix);
  const auto add = [&](auto& self) -> void {
    set.set(static_cast<std::size_t>(BucketOf(code)));
    if (code.size() == 3) return;
    for (char16_t d = u'0'; d <= u'9'; ++d) {
      code.push_back(d);
      self(self);
      code.pop_back();
    }
  };
  add(add);
  return set;
}

Status WalkEntries(Platform* platform, const DictionaryIndex& index, const std::string& path,
                   TableKind table, const BucketSet* buckets, const Visit& visit) {
  if (!index.loaded()) return Status::Refused("no index is loaded for " + path);
  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  char16_t code[8] = {};
  std::u16string text;
  const std::int64_t tableEnd = TableEnd(index, table);
  BlockStream s;
  for (int bucket = 0; bucket < kBucketCount; ++bucket) {
    if (buckets != nullptr && !buckets->test(static_cast<std::size_t>(bucket))) continue;
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    if (index.PlaceBucket(bucket, table, &offset, &length) != DictionaryIndex::Placement::kFound) {
      return Status::Corruption(
          path, "the blocks before block " + std::to_string(bucket) + " end past 2^31 - 1");
    }
    if (length == 0) continue;
    // The blocks lie back to back: each goes on from the reads of the one
    // before, unless blocks were left out between them.
    if (!s.NextBlock(offset, length)) {
      switch (s.OpenAhead(platform, f.get(), offset, length, tableEnd)) {
        case BlockStream::OpenResult::kSeekFailed:
          return Status::IoError(path, "cannot seek to offset " + std::to_string(offset));
        case BlockStream::OpenResult::kNoMemory:
          return Status::NoMemory("reading " + path);
        case BlockStream::OpenResult::kOpened:
          break;
      }
    }
    for (;;) {
      const std::size_t avail = s.Ensure(kPackedCodeSize);
      if (avail == 0) break;
      const std::int64_t groupOffset = s.FileOffset(s.pos());
      if (avail < kPackedCodeSize) {
        return CodeCutShort(path, groupOffset, bucket);
      }
      const int units = UnpackDigits(s.data() + s.pos(), code);
      s.Set(s.pos() + kPackedCodeSize);
      WalkedEntry entry;
      entry.code = std::u16string_view(code, static_cast<std::size_t>(units - 1));
      entry.groupOffset = groupOffset;
      const bool whole = table == TableKind::kCharacters
                             ? VisitCharacterGroup(&s, &entry, visit)
                             : VisitPhraseGroup(&s, &entry, &text, visit);
      if (!whole) {
        return GroupCutShort(path, groupOffset, bucket, s.truncated());
      }
    }
  }
  return Status::Ok();
}

}  // namespace taliq
