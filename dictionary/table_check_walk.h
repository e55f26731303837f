// The walks of the copy check's quick pass (table_check_scan.h) over the
// bytes it has read: a group's code checked through two small tables, a
// group walked from its first entry, and the blocks that lie whole in a
// read walked side by side over masks of the read's units.
#ifndef TALIQ_DICTIONARY_TABLE_CHECK_WALK_H_
#define TALIQ_DICTIONARY_TABLE_CHECK_WALK_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "dictionary/format.h"
#include "dictionary/scan_kernels.h"

namespace taliq {

// The pass reads kCheckChunk bytes of each copy at a time, into a buffer
// that holds at most what is left of the last read (a phrase's text at most
// this long; a longer one ends the pass) and the next read.
inline constexpr std::size_t kCheckChunk = 128 * 1024;
inline constexpr std::size_t kCheckCapacity = 2 * kCheckChunk;
// Bytes after the buffer's capacity that the masks of its last windows
// read (zero from the start; never read into).
inline constexpr std::size_t kCheckSlack = 512;
// Windows of 64 units (128 bytes) the masks of the whole buffer take.
inline constexpr std::size_t kCheckMaskWindows = (kCheckCapacity + kCheckSlack) / 128;

// What the detailed check asks of a group's code: one to four digits
// (characters) or six (phrases), of the group's block. A packed code is
// looked at as two halves of three nibbles, each through a table, with no
// branch on its length:
// - heads, for the first three nibbles: twice the block they put the code
//   in, plus one when all three are digits (so that the last three count),
//   or -2 when they hold no digit first or a nibble above 9 before a 0xF;
// - characterTails and phraseTails, for the last three: whether they do
//   not end a code of the table (a nibble above 9 before a 0xF; for
//   characters also more than one digit).
struct CodeTables {
  std::array<std::int16_t, 4096> heads{};
  std::array<bool, 4096> characterTails{};
  std::array<bool, 4096> phraseTails{};
};

inline constexpr CodeTables MakeCodeTables() {
  CodeTables t;
  for (int v = 0; v < 4096; ++v) {
    const int n[3] = {v >> 8, (v >> 4) & 0xF, v & 0xF};
    int digits = 0;  // before a 0xF
    bool bad = false;
    for (; digits < 3 && n[digits] != 0xF; ++digits) bad = bad || n[digits] > 9;
    const int d1 = digits >= 2 ? n[1] : -1;
    const int d2 = digits >= 3 ? n[2] : -1;
    const int bucket = 121 * n[0] + 11 * (d1 + 1) + (d2 + 1);
    const auto at = static_cast<std::size_t>(v);
    t.heads[at] = bad || digits == 0 ? std::int16_t{-2}
                                     : static_cast<std::int16_t>(2 * bucket + (digits == 3));
    t.characterTails[at] = bad || digits > 1;
    t.phraseTails[at] = bad;
  }
  return t;
}
inline constexpr CodeTables kCodeTables = MakeCodeTables();

// Whether the packed code at p is a code of `table` in block `bucket`.
inline bool CodeBelongs(const std::uint8_t* p, TableKind table, int bucket) {
  const int head = kCodeTables.heads[static_cast<std::size_t>(p[0] << 4 | p[1] >> 4)];
  const std::size_t tail = static_cast<std::size_t>((p[1] & 0xF) << 8 | p[2]);
  const bool badTail = table == TableKind::kCharacters ? kCodeTables.characterTails[tail]
                                                       : kCodeTables.phraseTails[tail];
  return (head >> 1) == bucket && ((head & 1) & static_cast<int>(badTail)) == 0;
}

// The bytes a group's walk looks at: data[0, have) are at hand, of which
// data[0, limit) belong to the block.
struct GroupBytes {
  const std::uint8_t* data;
  std::size_t limit;
  std::size_t have;
};

enum class Walked { kEnded, kMore, kDamaged };

// Goes through a group's entries from the entry start *pos: kEnded with
// *pos just past its end marker; kMore when the bytes run out first, *pos
// at an entry start to go on from after the next read; kDamaged when the
// group cannot be sound. Searches may reach past the block's end into the
// bytes at hand: what they find before it does not depend on what follows,
// and a group whose end lies beyond it has none in its block.
Walked WalkCharacters(const ScanOps& ops, const GroupBytes& b, std::size_t* pos);
Walked WalkPhrases(const ScanOps& ops, const GroupBytes& b, std::size_t* pos);

// The masks of the buffer's units at both parities: bit i of zeros[0][k]
// (ones[0][k]) is set where the unit at buffer byte 128 k + 2 i is 0x0000
// (0xFFFF); zeros[1] and ones[1] are the same one byte on. So the unit at
// byte p is bit p / 2 of the bits of zeros[p % 2].
struct UnitMaskBits {
  std::uint64_t zeros[2][kCheckMaskWindows];
  std::uint64_t ones[2][kCheckMaskWindows];
};

// The blocks lying whole in the buffer, walked a group at a time, a
// few blocks side by side: a walk goes from one group to the next, and the
// side-by-side walks keep the processor busy while each waits on its own.
class WholeBlockWalk {
 public:
  struct Block {
    std::size_t start;  // buffer index of the first group's code
    std::size_t end;
    int bucket;
  };

  WholeBlockWalk(const ScanOps& ops, const std::uint8_t* data, std::size_t have,
                 const UnitMaskBits& masks)
      : ops_(ops), data_(data), have_(have), masks_(masks) {}

  // Whether every group of the blocks, of `table`, is sound.
  bool Run(const Block* blocks, std::size_t count, TableKind table) const;

 private:
  static constexpr std::size_t kDamaged = ~std::size_t{0};
  template <TableKind kTable>
  bool Run(const Block* blocks, std::size_t count) const;
  // From the group whose code is at s, in the block ending at `end`: where
  // the next group starts (`end` after the last), or kDamaged.
  std::size_t NextPhraseGroup(std::size_t s, std::size_t end, int bucket) const;
  std::size_t NextCharacterGroup(std::size_t s, std::size_t end, int bucket) const;

  const ScanOps& ops_;
  const std::uint8_t* const data_;
  const std::size_t have_;
  const UnitMaskBits& masks_;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_CHECK_WALK_H_
