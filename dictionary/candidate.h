// The records that carry candidates between the dictionary files, the
// adjustment list and the write-back.
#ifndef TALIQ_DICTIONARY_CANDIDATE_H_
#define TALIQ_DICTIONARY_CANDIDATE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace taliq {

// Longest text a record holds, without its terminator.
inline constexpr int kMaxCandidateText = 49;
// Records in a CandidateList; no lookup fills more.
inline constexpr int kCandidateListCapacity = 300;

// 54 UTF-16 units. A punctuation list keeps its mark in units 0 and 1 (the
// units of values[0] and values[1]) instead: see Mark() and SetMark().
struct CandidateRecord {
  std::uint16_t values[3] = {0, 0, 0};
  std::uint16_t sortKey = 0;
  char16_t text[kMaxCandidateText + 1] = {};

  // The text up to its terminator.
  std::u16string_view Text() const;
  // Copies at most kMaxCandidateText units of `s` and the terminator.
  void SetText(std::u16string_view s);

  // The punctuation layout: the mark at unit 0, its terminator at unit 1.
  char16_t Mark() const { return static_cast<char16_t>(values[0]); }
  // The mark as text: one unit, or empty when the mark is 0.
  std::u16string MarkText() const;
  void SetMark(char16_t mark) {
    values[0] = mark;
    values[1] = 0;
  }
};
static_assert(sizeof(CandidateRecord) == 108, "a record is 54 UTF-16 units");

using CandidateList = std::array<CandidateRecord, kCandidateListCapacity>;

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_CANDIDATE_H_
