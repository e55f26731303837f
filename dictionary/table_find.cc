#include "dictionary/table_find.h"

#include "dictionary/byte_search.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/table_walk.h"

namespace taliq {

Status FindInDictionary(Platform* platform, const std::string& folder, DictionaryId id,
                        std::span<const std::u16string> texts, std::vector<FindHit>* hits) {
  DictionaryIndex index;
  if (Status s = index.Load(platform, folder + kIndexFileName); !s.ok()) return s;
  std::vector<std::u16string> characters;
  for (const std::u16string& t : texts) {
    if (t.size() == 1) characters.push_back(t);
  }
  for (TableKind table : {TableKind::kCharacters, TableKind::kPhrases}) {
    if (table == TableKind::kCharacters && characters.empty()) continue;
    const std::string path = folder + TableFileName(table);
    // Only the blocks that hold a text's bytes somewhere are walked.
    BucketSet buckets;
    if (Status s = BucketsHoldingTexts(
            platform, index, path, table,
            table == TableKind::kCharacters ? std::span<const std::u16string>(characters) : texts,
            &buckets);
        !s.ok()) {
      return s;
    }
    if (buckets.none()) continue;
    Status s = WalkTable(
        platform, index, path, table,
        [&](const WalkedGroup& g) {
          for (int i = 0; i < g.count; ++i) {
            const std::u16string_view text = (*g.entries)[static_cast<std::size_t>(i)].Text();
            for (std::size_t k = 0; k < texts.size(); ++k) {
              if (texts[k] == text) {
                hits->push_back(FindHit{k, id, table, std::u16string(g.code), i + 1, g.count});
              }
            }
          }
        },
        &buckets);
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace taliq
