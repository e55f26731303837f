// The dictionaries the orders tests name most.
#ifndef TALIQ_TESTS_ORDERS_DICTIONARY_IDS_H_
#define TALIQ_TESTS_ORDERS_DICTIONARY_IDS_H_

#include "dictionary/dictionary_id.h"

namespace taliq::test {

inline constexpr DictionaryId kCht{Charset::kTraditional, Edition::kStandard};
inline constexpr DictionaryId kChs{Charset::kSimplified, Edition::kStandard};
inline constexpr DictionaryId kChs2002{Charset::kSimplified, Edition::k2002};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_ORDERS_DICTIONARY_IDS_H_
