#include "dictionary/table_check_walk.h"

#include "dictionary/coding.h"
#include "dictionary/phrase_walk.h"

namespace taliq {

static_assert(kCheckCapacity % kWindowBytes == 0 && kCheckSlack >= 2 * kWindowBytes + 2,
              "the masks' windows cover the buffer and what its last windows read");

Walked WalkCharacters(const ScanOps& ops, const GroupBytes& b, std::size_t* pos) {
  // No unit of a sound character group but its end is 0xFFFF: the first
  // one must stand at an entry's start.
  const std::size_t end = ops.findGroupEnd(b.data, b.have, *pos);
  if (end < b.have) {
    if (end + 2 > b.limit || (end - *pos) % kCharacterEntrySize != 0) return Walked::kDamaged;
    *pos = end + 2;
    return Walked::kEnded;
  }
  *pos += (b.limit - *pos) / kCharacterEntrySize * kCharacterEntrySize;
  return Walked::kMore;
}

Walked WalkPhrases(const ScanOps& ops, const GroupBytes& b, std::size_t* pos) {
  // From an entry's start: its text up to the 0x0000 that ends it, then two
  // values; the group ends at an entry start that holds 0xFFFF.
  std::size_t p = *pos;
  const auto endsHere = [&] { return b.limit - p >= 2 && DecodeFixed16(b.data + p) == kGroupEnd; };
  for (;;) {
    if (endsHere()) break;
    if (ops.skipPhraseEntries != nullptr && b.limit - p >= 2) {
      bool found = false;
      const std::size_t at = ops.skipPhraseEntries(b.data, b.have, p, &found);
      if (found) {
        if (at + 2 > b.limit) return Walked::kDamaged;
        *pos = at + 2;
        return Walked::kEnded;
      }
      if (at > b.limit) return Walked::kDamaged;
      p = at;
      if (endsHere()) break;
    }
    // One entry, if it lies whole in the bytes at hand.
    if (b.limit - p < 2) break;
    const std::size_t textEnd = ops.findUnit(b.data, b.limit, p, kTextEnd);
    if (textEnd >= b.limit || b.limit - (textEnd + 2) < 4) break;
    p = textEnd + 6;
  }
  if (!endsHere()) {
    *pos = p;
    return Walked::kMore;
  }
  *pos = p + 2;
  return Walked::kEnded;
}

namespace {

// The 64 bits of `words` from bit `bit` on.
inline std::uint64_t BitsFrom(const std::uint64_t* words, std::size_t bit) {
  const std::size_t k = bit >> 6;
  const unsigned b = bit & 63;
  return (words[k] >> b) | ((words[k + 1] << 1) << (63 - b));
}

}  // namespace

std::size_t WholeBlockWalk::NextCharacterGroup(std::size_t s, std::size_t end, int bucket) const {
  if (end - s < kPackedCodeSize + 2 || !CodeBelongs(data_ + s, TableKind::kCharacters, bucket)) {
    return kDamaged;
  }
  const std::size_t entries = s + kPackedCodeSize;
  // As in WalkCharacters: the group's first 0xFFFF must be its end, at an
  // entry's start inside the block.
  const std::uint64_t ones = BitsFrom(masks_.ones[entries & 1], entries >> 1);
  if (ones != 0) {
    const unsigned first = static_cast<unsigned>(__builtin_ctzll(ones));
    const std::size_t at = entries + 2 * static_cast<std::size_t>(first);
    return first % 4 == 0 && at < end && end - at >= 2 ? at + 2 : kDamaged;
  }
  // A group longer than the window: walked on.
  std::size_t pos = entries;
  return WalkCharacters(ops_, GroupBytes{data_, end, have_}, &pos) == Walked::kEnded ? pos
                                                                                     : kDamaged;
}

std::size_t WholeBlockWalk::NextPhraseGroup(std::size_t s, std::size_t end, int bucket) const {
  if (end - s < kPackedCodeSize + 2 || !CodeBelongs(data_ + s, TableKind::kPhrases, bucket)) {
    return kDamaged;
  }
  const std::size_t entries = s + kPackedCodeSize;
  // The 64 units from the first entry on, as in PhraseWalk: a 0x0000 ends
  // a text when neither of the two units before it ends one; an entry
  // starts three units after a text's end, and the group ends at the first
  // entry start that holds 0xFFFF.
  const std::size_t parity = entries & 1;
  const std::uint64_t zeros = BitsFrom(masks_.zeros[parity], entries >> 1);
  const std::uint64_t ones = BitsFrom(masks_.ones[parity], entries >> 1);
  std::uint64_t open = zeros;
  std::uint64_t ends = 0;
  // Most often no zero follows another within two units: each ends a text.
  if ((open & ((open << 1) | (open << 2))) == 0) {
    ends = open;
    open = 0;
  }
  for (;;) {
    const std::uint64_t groupEnd = (1 | (ends << 3)) & ones;
    // Entry starts are all known below three units past the first zero
    // still undecided.
    const std::uint64_t first = groupEnd & (~groupEnd + 1);
    if (groupEnd != 0 && ((open << 3) & ((first << 1) - 1)) == 0) {
      const std::size_t at = entries + 2 * static_cast<std::size_t>(__builtin_ctzll(groupEnd));
      return at < end && end - at >= 2 ? at + 2 : kDamaged;
    }
    if (open == 0) break;
    const std::uint64_t sure = open & ~(open << 1) & ~(open << 2);
    ends |= sure;
    open &= ~(sure | (sure << 1) | (sure << 2));
  }
  // A group longer than the window: walked on over the next windows' masks.
  PhraseWalk walk(entries);
  for (std::size_t w = entries; w < end; w += kWindowBytes) {
    std::size_t at;
    if (walk.Step(w, BitsFrom(masks_.zeros[parity], w >> 1), BitsFrom(masks_.ones[parity], w >> 1),
                  &at)) {
      return at < end && end - at >= 2 ? at + 2 : kDamaged;
    }
  }
  return kDamaged;
}

template <TableKind kTable>
bool WholeBlockWalk::Run(const Block* blocks, std::size_t count) const {
  constexpr int kLanes = 4;
  std::size_t at[kLanes] = {};
  std::size_t end[kLanes] = {};
  int bucket[kLanes] = {};
  std::size_t next = 0;
  for (;;) {
    bool walking = false;
    for (int l = 0; l < kLanes; ++l) {
      if (at[l] == end[l]) {
        if (next == count) continue;
        at[l] = blocks[next].start;
        end[l] = blocks[next].end;
        bucket[l] = blocks[next].bucket;
        ++next;
      }
      walking = true;
      at[l] = kTable == TableKind::kCharacters ? NextCharacterGroup(at[l], end[l], bucket[l])
                                               : NextPhraseGroup(at[l], end[l], bucket[l]);
      if (at[l] == kDamaged) return false;
    }
    if (!walking) return true;
  }
}

bool WholeBlockWalk::Run(const Block* blocks, std::size_t count, TableKind table) const {
  return table == TableKind::kCharacters ? Run<TableKind::kCharacters>(blocks, count)
                                         : Run<TableKind::kPhrases>(blocks, count);
}

}  // namespace taliq
