#include "tests/fuzz/reference_reader.h"

#include <algorithm>

namespace taliq::fuzz {
namespace {

constexpr std::uint16_t kEnd = 0xFFFF;
constexpr std::int64_t kLastTableByte = 0x7FFFFFFF;

// The bytes of one block, and a unit at a position in it.
struct Block {
  std::string_view bytes;
  std::size_t Units(std::size_t pos) const { return (bytes.size() - pos) / 2; }
  std::uint16_t Unit(std::size_t pos) const {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[pos]) |
                                      (static_cast<unsigned char>(bytes[pos + 1]) << 8));
  }
  // The position of the first unit equal to `unit` from `pos` on, in whole
  // units; npos when there is none.
  std::size_t Find(std::size_t pos, std::uint16_t unit) const {
    for (; pos + 2 <= bytes.size(); pos += 2) {
      if (Unit(pos) == unit) return pos;
    }
    return std::string_view::npos;
  }
};

// Whether three packed bytes hold the code: its digits, then the 0xF that
// ends a code of fewer than six (the nibbles after it do not count).
bool HoldsCode(std::string_view packed, std::u16string_view code) {
  for (std::size_t i = 0; i < 6 && i <= code.size(); ++i) {
    const auto byte = static_cast<unsigned char>(packed[i / 2]);
    const int nibble = i % 2 == 0 ? byte >> 4 : byte & 0xF;
    const int want = i < code.size() ? code[i] - u'0' : 0xF;
    if (nibble != want) return false;
  }
  return true;
}

}  // namespace

ReferenceLookup ReferenceFind(std::string_view file, std::int64_t offset, std::uint32_t length,
                              std::u16string_view code, TableKind table) {
  ReferenceLookup out;
  if (offset >= static_cast<std::int64_t>(file.size())) return out;
  const std::int64_t end = std::min({offset + static_cast<std::int64_t>(length), kLastTableByte,
                                     static_cast<std::int64_t>(file.size())});
  const Block b{
      file.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(end - offset))};
  std::size_t pos = 0;
  for (;;) {
    if (b.bytes.size() - pos < 3) return out;
    const bool match = HoldsCode(b.bytes.substr(pos, 3), code);
    pos += 3;
    if (match) break;
    // Another code's group: up to its end marker.
    if (table == TableKind::kCharacters) {
      pos = b.Find(pos, kEnd);
      if (pos == std::string_view::npos) return out;
    } else {
      for (;;) {
        if (b.Units(pos) == 0) return out;
        if (b.Unit(pos) == kEnd) break;
        pos = b.Find(pos, 0);
        if (pos == std::string_view::npos || b.bytes.size() - pos < 6) return out;
        pos += 6;
      }
    }
    pos += 2;
  }
  out.matched = true;
  out.entryOffset = offset + static_cast<std::int64_t>(pos);
  while (out.entries.size() < 300) {
    if (b.Units(pos) == 0 || b.Unit(pos) == kEnd) break;
    ReferenceEntry e;
    if (table == TableKind::kCharacters) {
      if (b.bytes.size() - pos < 8) break;
      e.text = std::u16string(1, static_cast<char16_t>(b.Unit(pos)));
      for (int k = 0; k < 3; ++k) e.values[k] = b.Unit(pos + 2 + 2 * static_cast<std::size_t>(k));
      out.entries.push_back(e);
      pos += 8;
      continue;
    }
    const std::size_t zero = b.Find(pos, 0);
    if (zero == std::string_view::npos || b.bytes.size() - zero < 6) break;
    const std::size_t units = (zero - pos) / 2;
    if (units < 50) {
      for (std::size_t k = 0; k < units; ++k)
        e.text.push_back(static_cast<char16_t>(b.Unit(pos + 2 * k)));
      e.values[0] = b.Unit(zero + 2);
      e.values[1] = b.Unit(zero + 4);
      out.entries.push_back(e);
    }
    pos = zero + 6;
  }
  return out;
}

bool ReferenceSplit(std::string_view bytes, TableKind table, std::vector<std::string>* entries) {
  const Block b{bytes};
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t next = 0;
    if (table == TableKind::kCharacters) {
      next = pos + 8;
    } else {
      const std::size_t zero = b.Find(pos, 0);
      if (zero == std::string_view::npos) return false;
      next = zero + 6;
    }
    if (next > bytes.size()) return false;
    entries->emplace_back(bytes.substr(pos, next - pos));
    pos = next;
  }
  return true;
}

}  // namespace taliq::fuzz
