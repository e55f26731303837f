#include "dictionary/format.h"

#include <algorithm>

#include "dictionary/coding.h"

namespace taliq {

std::array<std::uint8_t, 3> PackDigits(std::u16string_view code) {
  std::uint8_t nibbles[6] = {0xF, 0xF, 0xF, 0xF, 0xF, 0xF};
  for (std::size_t i = 0; i < code.size() && i < 6; ++i) {
    nibbles[i] = static_cast<std::uint8_t>((code[i] - u'0') & 0xF);
  }
  return {static_cast<std::uint8_t>((nibbles[0] << 4) | nibbles[1]),
          static_cast<std::uint8_t>((nibbles[2] << 4) | nibbles[3]),
          static_cast<std::uint8_t>((nibbles[4] << 4) | nibbles[5])};
}

int UnpackDigits(const std::uint8_t packed[3], char16_t* out) {
  int i = 0;
  for (; i < 6; ++i) {
    const std::uint8_t byte = packed[i / 2];
    const int nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
    out[i] = static_cast<char16_t>(nibble + 48);
    if (nibble == 0xF) break;
  }
  out[i] = 0;
  return i + 1;
}

std::u16string PackedMatcher::Code() const {
  const std::uint8_t packed[3] = {static_cast<std::uint8_t>(value >> 16),
                                  static_cast<std::uint8_t>(value >> 8),
                                  static_cast<std::uint8_t>(value)};
  char16_t text[7];
  UnpackDigits(packed, text);
  return text;
}

void AppendCharacterEntry(char16_t character, std::uint16_t value0, std::uint16_t value1,
                          std::uint16_t value2, std::vector<std::uint8_t>* out) {
  PutFixed16(out, character);
  PutFixed16(out, value0);
  PutFixed16(out, value1);
  PutFixed16(out, value2);
}

void AppendPhraseEntry(std::u16string_view text, std::uint16_t value0, std::uint16_t value1,
                       std::vector<std::uint8_t>* out) {
  for (char16_t c : text) PutFixed16(out, c);
  PutFixed16(out, kTextEnd);
  PutFixed16(out, value0);
  PutFixed16(out, value1);
}

void AppendEntry(const CandidateRecord& record, TableKind table, std::vector<std::uint8_t>* out) {
  if (table == TableKind::kPhrases) {
    AppendPhraseEntry(record.Text(), record.values[0], record.values[1], out);
  } else {
    AppendCharacterEntry(record.text[0], record.values[0], record.values[1], record.values[2], out);
  }
}

bool EntryBytes::operator<(const EntryBytes& o) const {
  return std::lexicographical_compare(data, data + size, o.data, o.data + o.size);
}

bool EntryBytes::operator==(const EntryBytes& o) const {
  return size == o.size && std::equal(data, data + size, o.data);
}

bool SplitEntries(const std::uint8_t* bytes, std::size_t size, int count, TableKind table,
                  std::vector<EntryBytes>* entries) {
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    if (size - pos < 2 || DecodeFixed16(bytes + pos) == kGroupEnd) return false;
    std::size_t end = pos;
    if (table == TableKind::kPhrases) {
      while (size - end >= 2 && DecodeFixed16(bytes + end) != kTextEnd) end += 2;
      if (size - end < kPhraseEntryTail) return false;
      end += kPhraseEntryTail;
    } else {
      if (size - pos < kCharacterEntrySize) return false;
      for (end = pos; end < pos + kCharacterEntrySize; end += 2) {
        if (DecodeFixed16(bytes + end) == kGroupEnd) return false;
      }
    }
    entries->push_back({bytes + pos, end - pos});
    pos = end;
  }
  return pos == size;
}

bool SameEntries(std::vector<EntryBytes> a, std::vector<EntryBytes> b) {
  if (a.size() != b.size()) return false;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

}  // namespace taliq
