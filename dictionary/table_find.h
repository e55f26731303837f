// Finding the codes where a text is a candidate, in both tables of one
// installed dictionary.
#ifndef TALIQ_DICTIONARY_TABLE_FIND_H_
#define TALIQ_DICTIONARY_TABLE_FIND_H_

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "dictionary/dictionary_id.h"
#include "dictionary/format.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// A code where a text is a candidate.
struct FindHit {
  std::size_t text = 0;  // which of the texts searched for
  DictionaryId dictionary;
  TableKind table = TableKind::kCharacters;
  std::u16string code;
  int position = 0;  // 1-based, in the order the input method offers them
  int count = 0;     // the candidates a lookup of the code lists
};

// Appends to `hits` every code of the dictionary folder `folder` (ending in
// the path separator) where one of `texts` is a candidate: the character
// table's groups (one-unit texts only; the table is walked whole), then the
// phrase table's, in file order. Of the phrase table only the blocks that
// may list a text are walked (byte_search.h): damage inside the other
// blocks is check's to find, not find's. Returns Ok, or why a file could
// not be read (the index's status as DictionaryIndex::Load gives it; the
// hits found before a table's failure stay in `hits`).
Status FindInDictionary(Platform* platform, const std::string& folder, DictionaryId id,
                        std::span<const std::u16string> texts, std::vector<FindHit>* hits);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_FIND_H_
