#include "dictionary/block_scan.h"

#include <algorithm>

#include "dictionary/coding.h"

namespace taliq {
namespace {

static_assert(kListedPhraseEntryBytes <= BlockStream::kMaxLookahead);

// Moves the stream to the first 0x0000 (text end) or 0xFFFF (group end)
// unit at or after its position, stepping by whole units and reading on as
// needed; false when the block ends first.
bool SeekUnit(BlockStream* s, std::uint16_t unit, const ScanOps& ops) {
  for (;;) {
    const size_t at = unit == kGroupEnd ? ops.findGroupEnd(s->data(), s->end(), s->pos())
                                        : ops.findUnit(s->data(), s->end(), s->pos(), unit);
    if (at < s->end()) {
      s->Set(at);
      return true;
    }
    // Keep the odd byte, if any: the next unit begins with it.
    s->Set(s->pos() + (s->end() - s->pos()) / 2 * 2);
    if (s->Ensure(2) < 2) return false;
  }
}

// Walks a phrase group that is not wanted, from its first entry to its end
// marker (values may hold any unit, so the marker cannot be searched for);
// false when the block ends first.
bool SkipPhraseGroup(BlockStream* s, const ScanOps& ops) {
  for (;;) {
    if (ops.skipPhraseEntries != nullptr) {
      s->Ensure(BlockStream::kMaxLookahead);
      bool found = false;
      s->Set(ops.skipPhraseEntries(s->data(), s->end(), s->pos(), &found));
      if (found) return true;
    }
    // One entry at a time where whole windows do not fit: the block's last
    // bytes, or a text that runs on past the bytes at hand.
    if (s->Ensure(2) < 2) return false;
    if (DecodeFixed16(s->data() + s->pos()) == kGroupEnd) return true;
    if (!SeekUnit(s, kTextEnd, ops) || s->Ensure(kPhraseEntryTail) < kPhraseEntryTail) {
      return false;
    }
    s->Set(s->pos() + kPhraseEntryTail);
  }
}

// The entries of the matched character group, from the stream's position,
// into r. The loops keep their state in locals, which stay in registers.
void ListCharacterGroup(BlockStream* s, CandidateList& list, ScanResult* r) {
  CandidateRecord* rec = list.data();
  CandidateRecord* const full = list.data() + list.size();
  bool cut = false;
  // The entries wholly in the buffer, then the next bytes, until the group
  // ends, the list is full or the block ends (a partial entry there is left
  // out).
  while (rec != full) {
    const size_t avail = s->Ensure(kCharacterEntrySize);
    const size_t whole =
        std::min<size_t>(avail / kCharacterEntrySize, static_cast<size_t>(full - rec));
    if (whole == 0) {
      // Less than an entry left: the end marker, or the block ends inside
      // the group.
      cut = avail < 2 || DecodeFixed16(s->data() + s->pos()) != kGroupEnd;
      break;
    }
    const std::uint8_t* p = s->data() + s->pos();
    const std::uint8_t* const stop = p + whole * kCharacterEntrySize;
    for (; p != stop; p += kCharacterEntrySize, ++rec) {
      const std::uint16_t unit = DecodeFixed16(p);
      if (unit == kGroupEnd) break;
      rec->text[0] = static_cast<char16_t>(unit);
      rec->text[1] = 0;
      rec->values[0] = DecodeFixed16(p + 2);
      rec->values[1] = DecodeFixed16(p + 4);
      rec->values[2] = DecodeFixed16(p + 6);
    }
    s->Set(static_cast<size_t>(p - s->data()));
    if (p != stop) break;
  }
  r->count = static_cast<int>(rec - list.data());
  r->exhausted = r->cut = cut;
}

// The entries of the matched phrase group, from the stream's position, into
// r.
void ListPhraseGroup(BlockStream* s, const ScanOps& ops, CandidateList& list, ScanResult* r) {
  CandidateRecord* rec = list.data();
  CandidateRecord* const full = list.data() + list.size();
  const CandidateRecord* firstLong = nullptr;  // where the first text too long to list was left out
  bool cut = false;
  while (rec != full) {
    // With these bytes at hand, any entry short enough to be listed lies
    // wholly in the buffer (unless the block ends inside it).
    if (s->Ensure(kListedPhraseEntryBytes) < 2) {
      cut = true;
      break;
    }
    const std::uint8_t* data = s->data();
    const size_t start = s->pos();
    if (DecodeFixed16(data + start) == kGroupEnd) break;
    const size_t t = ops.findUnit(data, s->end(), start, kTextEnd);
    if (t < s->end() && (t - start) / 2 <= static_cast<size_t>(kMaxCandidateText)) {
      if (s->end() - t < kPhraseEntryTail) {
        cut = true;
        break;
      }
      const size_t units = (t - start) / 2;
      for (size_t k = 0; k < units; ++k) {
        rec->text[k] = static_cast<char16_t>(DecodeFixed16(data + start + 2 * k));
      }
      rec->text[units] = 0;
      rec->values[0] = DecodeFixed16(data + t + 2);
      rec->values[1] = DecodeFixed16(data + t + 4);
      ++rec;
      s->Set(t + kPhraseEntryTail);
      continue;
    }
    // Texts of 50 units or more do not fit a record; they stay out of the
    // list (and a write-back of the group is then refused if listed entries
    // follow).
    if (firstLong == nullptr) firstLong = rec;
    if (!SeekUnit(s, kTextEnd, ops) || s->Ensure(kPhraseEntryTail) < kPhraseEntryTail) {
      cut = true;
      break;
    }
    s->Set(s->pos() + kPhraseEntryTail);
  }
  r->count = static_cast<int>(rec - list.data());
  r->exhausted = r->cut = cut;
  r->longPhraseBetween = firstLong != nullptr && rec > firstLong;
}

// From a group's packed code on: skips the groups of other codes (skip()
// moves to a group's end marker, false when the block ends first), then
// lists the matched group's entries with listGroup.
template <typename SkipGroup, typename ListGroup>
ScanResult ScanBlock(BlockStream* s, const PackedMatcher& matcher, SkipGroup skip,
                     ListGroup listGroup) {
  ScanResult r;
  for (;;) {
    const size_t avail = s->Ensure(kPackedCodeSize);
    if (avail < kPackedCodeSize) {
      r.exhausted = true;
      r.cut = avail > 0;
      return r;
    }
    const bool match = matcher.Matches(s->data() + s->pos());
    s->Set(s->pos() + kPackedCodeSize);
    if (match) break;
    if (!skip()) {
      r.exhausted = r.cut = true;
      return r;
    }
    s->Set(s->pos() + 2);  // the end marker
  }
  r.matched = true;
  r.entryOffset = s->FileOffset(s->pos());
  listGroup(&r);
  return r;
}

}  // namespace

ScanResult ScanCharacterBlock(BlockStream* s, const PackedMatcher& matcher, const ScanOps& ops,
                              CandidateList& list) {
  // Characters never hold 0xFFFF, so a group ends at the first one.
  return ScanBlock(
      s, matcher, [&] { return SeekUnit(s, kGroupEnd, ops); },
      [&](ScanResult* r) { ListCharacterGroup(s, list, r); });
}

ScanResult ScanPhraseBlock(BlockStream* s, const PackedMatcher& matcher, const ScanOps& ops,
                           CandidateList& list) {
  return ScanBlock(
      s, matcher, [&] { return SkipPhraseGroup(s, ops); },
      [&](ScanResult* r) { ListPhraseGroup(s, ops, list, r); });
}

}  // namespace taliq
