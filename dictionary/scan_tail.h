// The unit-at-a-time end of every scan kernel's searches.
//
// Internal linkage on purpose, as in vector_scan.h: each kernel file
// compiles this with its own instruction set, and one kernel must never call
// another's copy.
#ifndef TALIQ_DICTIONARY_SCAN_TAIL_H_
#define TALIQ_DICTIONARY_SCAN_TAIL_H_

#include <cstddef>
#include <cstdint>

namespace taliq {
namespace {  // NOLINT(build/namespaces_headers): see above

// The 16-bit little-endian unit at data[pos].
inline std::uint16_t UnitAt(const std::uint8_t* data, std::size_t pos) {
  const std::uint8_t* p = data + pos;
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Position of the first unit equal to `unit` at or after `pos`, one unit at
// a time; `size` when there is none.
inline std::size_t FindUnitTail(const std::uint8_t* data, std::size_t size, std::size_t pos,
                                std::uint16_t unit) {
  while (size - pos >= 2) {
    if (UnitAt(data, pos) == unit) return pos;
    pos += 2;
  }
  return size;
}

// Offset of the first byte pair `first`, `second` starting at or after
// `pos` (any offset, not only unit starts), a byte at a time; `size` when
// there is none.
inline std::size_t FindBytePairTail(const std::uint8_t* data, std::size_t size, std::size_t pos,
                                    std::uint8_t first, std::uint8_t second) {
  for (; pos + 1 < size; ++pos) {
    if (data[pos] == first && data[pos + 1] == second) return pos;
  }
  return size;
}

// The first entry start q at or after `pos` (in steps of eight bytes) whose
// first unit is 0xFFFF or `unit`, or where fewer than eight bytes are left;
// one entry at a time.
inline std::size_t FindCharacterEntryTail(const std::uint8_t* data, std::size_t size,
                                          std::size_t pos, std::uint16_t unit) {
  while (size - pos >= 8) {
    const std::uint16_t u = UnitAt(data, pos);
    if (u == 0xFFFF || u == unit) return pos;
    pos += 8;
  }
  return pos;
}

// The masks of windows of 64 units (ScanOps::unitMasks), a unit at a time.
inline void UnitMasksTail(const std::uint8_t* data, std::size_t windows, std::uint64_t* zeros,
                          std::uint64_t* ones) {
  for (std::size_t k = 0; k < windows; ++k) {
    std::uint64_t z = 0;
    std::uint64_t f = 0;
    for (std::size_t i = 0; i < 64; ++i) {
      const std::uint16_t u = UnitAt(data, 128 * k + 2 * i);
      z |= static_cast<std::uint64_t>(u == 0x0000) << i;
      f |= static_cast<std::uint64_t>(u == 0xFFFF) << i;
    }
    zeros[k] = z;
    ones[k] = f;
  }
}

}  // namespace
}  // namespace taliq

#endif  // TALIQ_DICTIONARY_SCAN_TAIL_H_
