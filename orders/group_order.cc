#include "orders/group_order.h"

#include <vector>

#include "orders/text_codec.h"

namespace taliq {

TextOrder RecordTexts(const CandidateList& list, int count, OrderTable table) {
  TextOrder texts;
  for (int i = 0; i < count; ++i) {
    const CandidateRecord& r = list[static_cast<std::size_t>(i)];
    texts.push_back(table == OrderTable::kPunctuation ? r.MarkText() : std::u16string(r.Text()));
  }
  return texts;
}

Status ReadGroupOrder(DictionaryStore* store, const GroupKey& group, CandidateList& list,
                      int* count, TextOrder* order) {
  if (Status s = store->SelectCharset(group.dictionary); !s.ok()) return s;
  const std::u16string code(group.code.begin(), group.code.end());
  int n = 0;
  switch (group.table) {
    case OrderTable::kCharacters:
      n = store->LookupCharacters(code, list);
      break;
    case OrderTable::kPhrases:
      n = store->LookupPhrases(code, list);
      break;
    case OrderTable::kPunctuation:
      n = store->ReadPunctuation(list);
      break;
  }
  if (!store->status().ok()) return store->status();
  if (n <= 0) return Status::NotFound(GroupName(group));
  *count = n;
  *order = RecordTexts(list, n, group.table);
  return Status::Ok();
}

Status WriteGroupOrder(DictionaryStore* store, const GroupKey& group, CandidateList& list,
                       int count, const TextOrder& order) {
  const TextOrder current = RecordTexts(list, count, group.table);
  if (order.size() != current.size()) {
    return Status::Refused(GroupName(group) + ": the order does not list the group's entries");
  }
  // Record k of the new list is the first unused record with text order[k].
  std::vector<bool> used(current.size());
  CandidateList reordered = list;
  for (std::size_t k = 0; k < order.size(); ++k) {
    std::size_t from = 0;
    while (from < current.size() && (used[from] || current[from] != order[k])) ++from;
    if (from == current.size()) {
      return Status::Refused(GroupName(group) + ": the group holds no further " +
                             TextForMessage(order[k]));
    }
    used[from] = true;
    reordered[k] = list[from];
  }
  list = reordered;
  if (group.table == OrderTable::kPunctuation) return store->WritePunctuation(list, count);
  if (Status s = store->WriteCandidates(list, count, false); !s.ok()) return s;
  return store->WriteCandidates(list, count, true);
}

}  // namespace taliq
