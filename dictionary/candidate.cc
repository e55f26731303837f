#include "dictionary/candidate.h"

#include <algorithm>

namespace taliq {

std::u16string_view CandidateRecord::Text() const {
  size_t n = 0;
  while (n <= static_cast<size_t>(kMaxCandidateText) && text[n] != 0) ++n;
  return std::u16string_view(text, std::min<size_t>(n, kMaxCandidateText));
}

void CandidateRecord::SetText(std::u16string_view s) {
  const size_t n = std::min<size_t>(s.size(), kMaxCandidateText);
  std::copy_n(s.data(), n, text);
  text[n] = 0;
}

std::u16string CandidateRecord::MarkText() const {
  return values[0] == 0 ? std::u16string() : std::u16string(1, Mark());
}

}  // namespace taliq
