#include "dictionary/table_find.h"

#include <algorithm>
#include <cstring>

#include "dictionary/byte_search.h"
#include "dictionary/candidate.h"
#include "dictionary/coding.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/scan_kernels.h"
#include "dictionary/table_walk.h"

namespace taliq {
namespace {

// A character is searched for in the raw bytes of the character table's
// groups: entries are eight bytes and a group ends at the first entry that
// starts with 0xFFFF, so a group is walked with one load per entry and no
// entry is decoded. Positions and counts are those of a lookup's list (the
// first 300 entries).
Status FindCharacters(Platform* platform, const DictionaryIndex& index, const std::string& path,
                      DictionaryId id, std::span<const std::u16string> texts,
                      std::vector<FindHit>* hits) {
  std::vector<std::pair<std::size_t, std::uint16_t>> units;  // text index, unit
  for (std::size_t k = 0; k < texts.size(); ++k) {
    if (texts[k].size() == 1) units.emplace_back(k, static_cast<std::uint16_t>(texts[k][0]));
  }
  TableCursor cursor;
  if (Status s = cursor.Open(platform, index, path, TableKind::kCharacters); !s.ok()) return s;
  const ScanOps& ops = ActiveScanOps();
  const std::uint16_t sought = units.empty() ? kGroupEnd : units.front().second;
  char16_t code[8] = {};
  while (cursor.EnterNextBlock()) {
    BlockStream& s = cursor.stream();
    while (s.Ensure(kPackedCodeSize) > 0) {
      const std::int64_t groupOffset = s.FileOffset(s.pos());
      if (s.end() - s.pos() < kPackedCodeSize) {
        return CodeCutShort(path, groupOffset, cursor.bucket());
      }
      // Spelt out only for a hit.
      std::uint8_t packed[kPackedCodeSize];
      std::memcpy(packed, s.data() + s.pos(), kPackedCodeSize);
      s.Set(s.pos() + kPackedCodeSize);
      const std::size_t groupHits = hits->size();
      int entries = 0;  // before the bytes at hand
      for (;;) {
        s.Ensure(kCharacterEntrySize);
        const std::uint8_t* data = s.data();
        const std::size_t end = s.end();
        const std::size_t start = s.pos();
        std::size_t p = start;
        bool ended = false;
        for (;; p += kCharacterEntrySize) {
          // Straight to the next entry that ends the group or holds the
          // character (with one character to look for).
          if (units.size() <= 1) p = ops.findCharacterEntry(data, end, p, sought);
          if (end - p < 2) break;
          const std::uint16_t unit = DecodeFixed16(data + p);
          if (unit == kGroupEnd) {
            ended = true;
            break;
          }
          if (end - p < kCharacterEntrySize) break;
          const int position = entries + static_cast<int>((p - start) / kCharacterEntrySize) + 1;
          if (position > kCandidateListCapacity) continue;
          for (const auto& [k, wanted] : units) {
            if (unit == wanted) {
              const int codeUnits = UnpackDigits(packed, code);
              hits->push_back(FindHit{k, id, TableKind::kCharacters,
                                      std::u16string(code, static_cast<std::size_t>(codeUnits - 1)),
                                      position, 0});
            }
          }
        }
        entries += static_cast<int>((p - start) / kCharacterEntrySize);
        if (ended) {
          s.Set(p + 2);
          break;
        }
        if (p == start) {
          return GroupCutShort(path, groupOffset, cursor.bucket(), s.truncated());
        }
        s.Set(p);
      }
      const int count = std::min(entries, kCandidateListCapacity);
      for (std::size_t h = groupHits; h < hits->size(); ++h) (*hits)[h].count = count;
    }
  }
  return cursor.status();
}

}  // namespace

Status FindInDictionary(Platform* platform, const std::string& folder, DictionaryId id,
                        std::span<const std::u16string> texts, std::vector<FindHit>* hits) {
  DictionaryIndex index;
  if (Status s = index.Load(platform, folder + kIndexFileName); !s.ok()) return s;
  if (std::any_of(texts.begin(), texts.end(), [](const auto& t) { return t.size() == 1; })) {
    const std::string path = folder + kCharacterTableFileName;
    if (Status s = FindCharacters(platform, index, path, id, texts, hits); !s.ok()) return s;
  }
  // Of the phrase table only the blocks that may list a text are walked.
  const std::string path = folder + kPhraseTableFileName;
  BucketSet buckets;
  if (Status s = PhraseBlocksThatMayList(platform, index, path, texts, &buckets); !s.ok()) {
    return s;
  }
  if (buckets.none()) return Status::Ok();
  return WalkTable(
      platform, index, path, TableKind::kPhrases,
      [&](const WalkedGroup& g) {
        for (int i = 0; i < g.count; ++i) {
          const CandidateRecord& entry = (*g.entries)[static_cast<std::size_t>(i)];
          for (std::size_t k = 0; k < texts.size(); ++k) {
            // The first unit tells most entries apart.
            if (entry.text[0] == texts[k][0] && entry.Text() == texts[k]) {
              hits->push_back(
                  FindHit{k, id, TableKind::kPhrases, std::u16string(g.code), i + 1, g.count});
            }
          }
        }
      },
      &buckets);
}

}  // namespace taliq
