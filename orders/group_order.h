// A group's order read from and written to the installed dictionaries
// through the store's checked write-back: the characters and phrases go to
// both installed copies (the second only after the first was written), the
// punctuation table to the first copy only, as the dialog's Save does.
#ifndef TALIQ_ORDERS_GROUP_ORDER_H_
#define TALIQ_ORDERS_GROUP_ORDER_H_

#include "dictionary/candidate.h"
#include "dictionary/dictionary_store.h"
#include "orders/order_group.h"
#include "platform/status.h"

namespace taliq {

// The texts of records 0 .. count - 1 as a list of `table` shows them: the
// mark of a punctuation record, the text of any other.
TextOrder RecordTexts(const CandidateList& list, int count, OrderTable table);

// Selects the group's dictionary and reads the group into `list` (its
// records in `*count`) and its texts into `order`. kNotFound when a
// character or phrase code has no candidates.
Status ReadGroupOrder(DictionaryStore* store, const GroupKey& group, CandidateList& list,
                      int* count, TextOrder* order);

// Rewrites the group just read by ReadGroupOrder so that its texts come in
// the order of `order`, which must hold exactly the group's texts (the k-th
// of equal texts takes the k-th such record, values travelling with it):
// kRefused, writing nothing, otherwise.
Status WriteGroupOrder(DictionaryStore* store, const GroupKey& group, CandidateList& list,
                       int count, const TextOrder& order);

}  // namespace taliq

#endif  // TALIQ_ORDERS_GROUP_ORDER_H_
