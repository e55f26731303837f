// The scan kernel in plain C++: four units per step in a 64-bit word.
#include <cstring>

#include "dictionary/format.h"
#include "dictionary/scan_kernels.h"
#include "dictionary/scan_tail.h"

namespace taliq {
namespace {

std::size_t FindUnitPortable(const std::uint8_t* data, std::size_t size, std::size_t pos,
                             std::uint16_t unit) {
  // A lane of v ^ keys is zero where the unit matches. The test only
  // filters (it may flag a lane above a match, and lanes are in host byte
  // order); the bytes are then read in file order.
  const std::uint64_t keys = 0x0001000100010001ull * unit;
  while (size - pos >= 8) {
    std::uint64_t v;
    std::memcpy(&v, data + pos, 8);
    const std::uint64_t x = v ^ keys;
    if (((x - 0x0001000100010001ull) & ~x & 0x8000800080008000ull) != 0) {
      for (std::size_t k = 0; k < 8; k += 2) {
        if (UnitAt(data, pos + k) == unit) return pos + k;
      }
    }
    pos += 8;
  }
  return FindUnitTail(data, size, pos, unit);
}

std::size_t FindGroupEndPortable(const std::uint8_t* data, std::size_t size, std::size_t pos) {
  return FindUnitPortable(data, size, pos, kGroupEnd);
}

}  // namespace

const ScanOps kPortableScanOps{FindUnitPortable, FindGroupEndPortable,   nullptr,
                               FindBytePairTail, FindCharacterEntryTail, UnitMasksTail};

}  // namespace taliq
