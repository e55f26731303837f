// What a line of the user data files is about: one code group of one table
// of one dictionary, and the order of its candidate texts.
#ifndef TALIQ_ORDERS_ORDER_GROUP_H_
#define TALIQ_ORDERS_ORDER_GROUP_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/dictionary_id.h"

namespace taliq {

enum class OrderTable { kCharacters, kPhrases, kPunctuation };

// "characters", "phrases", "punctuation".
constexpr std::string_view OrderTableName(OrderTable table) {
  switch (table) {
    case OrderTable::kCharacters:
      return "characters";
    case OrderTable::kPhrases:
      return "phrases";
    case OrderTable::kPunctuation:
      return "punctuation";
  }
  return "";
}

constexpr std::optional<OrderTable> ParseOrderTableName(std::string_view name) {
  for (OrderTable t : {OrderTable::kCharacters, OrderTable::kPhrases, OrderTable::kPunctuation}) {
    if (OrderTableName(t) == name) return t;
  }
  return std::nullopt;
}

// The punctuation table has one group, written with this code.
inline constexpr std::string_view kPunctuationCode = "-";

// Whether `code` names a group of `table`: 1-4 ASCII digits for
// characters, 1-6 for phrases, "-" for punctuation.
constexpr bool IsValidGroupCode(OrderTable table, std::string_view code) {
  if (table == OrderTable::kPunctuation) return code == kPunctuationCode;
  const std::size_t most = table == OrderTable::kCharacters ? 4 : 6;
  if (code.empty() || code.size() > most) return false;
  for (char c : code) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

struct GroupKey {
  DictionaryId dictionary;
  OrderTable table = OrderTable::kCharacters;
  std::string code;  // as IsValidGroupCode accepts

  friend bool operator==(const GroupKey&, const GroupKey&) = default;
};

// "cht characters 123": the group as messages name it.
inline std::string GroupName(const GroupKey& group) {
  return std::string(DictionaryName(group.dictionary)) + " " +
         std::string(OrderTableName(group.table)) + " " + group.code;
}

// A group's candidate texts, first offered first.
using TextOrder = std::vector<std::u16string>;

}  // namespace taliq

#endif  // TALIQ_ORDERS_ORDER_GROUP_H_
