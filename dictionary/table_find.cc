#include "dictionary/table_find.h"

#include "dictionary/dictionary_index.h"
#include "dictionary/table_walk.h"

namespace taliq {

Status FindInDictionary(Platform* platform, const std::string& folder, DictionaryId id,
                        std::span<const std::u16string> texts, std::vector<FindHit>* hits) {
  DictionaryIndex index;
  if (Status s = index.Load(platform, folder + kIndexFileName); !s.ok()) return s;
  bool anyCharacter = false;
  for (const std::u16string& t : texts) anyCharacter = anyCharacter || t.size() == 1;
  for (TableKind table : {TableKind::kCharacters, TableKind::kPhrases}) {
    if (table == TableKind::kCharacters && !anyCharacter) continue;
    Status s =
        WalkTable(platform, index, folder + TableFileName(table), table, [&](const WalkedGroup& g) {
          for (int i = 0; i < g.count; ++i) {
            const std::u16string_view text = (*g.entries)[static_cast<std::size_t>(i)].Text();
            for (std::size_t k = 0; k < texts.size(); ++k) {
              if (texts[k] == text) {
                hits->push_back(FindHit{k, id, table, std::u16string(g.code), i + 1, g.count});
              }
            }
          }
        });
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace taliq
