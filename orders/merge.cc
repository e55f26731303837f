#include "orders/merge.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace taliq {

MergedOrder MergeOrder(const TextOrder& wanted, const TextOrder& current) {
  // Positions in `current` of each text, earliest first.
  std::unordered_map<std::u16string_view, std::vector<std::size_t>> positions;
  for (std::size_t i = current.size(); i-- > 0;) positions[current[i]].push_back(i);

  MergedOrder merged;
  std::vector<bool> taken(current.size(), false);
  for (const std::u16string& text : wanted) {
    auto it = positions.find(text);
    if (it == positions.end() || it->second.empty()) {
      merged.dropped.push_back(text);
      continue;
    }
    taken[it->second.back()] = true;
    it->second.pop_back();
    merged.order.push_back(text);
  }
  merged.exact = merged.dropped.empty() && merged.order.size() == current.size();
  for (std::size_t i = 0; i < current.size(); ++i) {
    if (!taken[i]) merged.order.push_back(current[i]);
  }
  return merged;
}

}  // namespace taliq
