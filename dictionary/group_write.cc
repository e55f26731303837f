#include "dictionary/group_write.h"

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/journal.h"
#include "platform/text.h"

namespace taliq {
namespace {

std::string GroupName(const GroupMatch& match) {
  return "the group of code " + Utf16ToUtf8(match.code.Code()) + " at offset " +
         std::to_string(match.entryOffset);
}

// Why the bytes at the group did not hold the listed entries.
Status Mismatch(const std::string& path, const GroupMatch& match, bool secondCopy) {
  if (match.longPhraseBetween) {
    return Status::Refused(path + ": " + GroupName(match) +
                           " holds phrases too long to list between the listed ones");
  }
  if (secondCopy) {
    return Status::Refused(path + ": differs from the first copy: " + GroupName(match) +
                           " does not hold the listed entries");
  }
  return Status::Changed(path, GroupName(match) + " no longer holds the listed entries");
}

}  // namespace

Status WriteGroup(Platform* platform, const std::string& path, const GroupMatch& match,
                  const CandidateList& list, int count, bool secondCopy, std::string* note) {
  if (count <= 0 || count > kCandidateListCapacity) {
    return Status::Refused("cannot write " + std::to_string(count) +
                           " entries: a list holds 1 to " + std::to_string(kCandidateListCapacity));
  }
  const bool phrase = match.table == TableKind::kPhrases;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(count) *
                (phrase ? kListedPhraseEntryBytes : kCharacterEntrySize));
  for (int i = 0; i < count; ++i) {
    const CandidateRecord& r = list[static_cast<size_t>(i)];
    // A character record is one unit, whatever its value (U+0000 too): the
    // unit after it ends the text.
    if (!phrase && r.text[1] != 0) {
      return Status::Refused(path + ": record " + std::to_string(i) + " is not one character");
    }
    AppendEntry(r, match.table, &bytes);
  }
  std::vector<EntryBytes> wanted;
  wanted.reserve(static_cast<size_t>(count));
  if (!SplitEntries(bytes.data(), bytes.size(), count, match.table, &wanted)) {
    return Status::Refused(path + ": the list holds an entry the table cannot take");
  }

  // The bytes about to be overwritten must hold exactly the entries being
  // written, behind the packed code of the looked-up code. This refuses a
  // group with entries the list left out between listed ones, a file that
  // changed since the lookup, a second copy that differs from the first,
  // and a list meant for the other table; any of them would otherwise
  // corrupt the table. The check and the write are one step of
  // RewriteInPlace: the group is written in place under a rollback journal,
  // with one write, and what a failure leaves is decided from the bytes.
  const RegionCheck holdsTheListedEntries = [&](std::string_view current) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(current.data());
    std::vector<EntryBytes> present;
    present.reserve(static_cast<size_t>(count));
    const bool same =
        current.size() == kPackedCodeSize + bytes.size() && match.code.Matches(data) &&
        SplitEntries(data + kPackedCodeSize, bytes.size(), count, match.table, &present) &&
        SameEntries(wanted, present);
    return same ? Status::Ok() : Mismatch(path, match, secondCopy);
  };
  const std::string_view run(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return RewriteInPlace(platform, path, {match.entryOffset, run, false, kPackedCodeSize},
                        holdsTheListedEntries, note);
}

}  // namespace taliq
