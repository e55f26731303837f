// A journal beside a file, as a save that was interrupted leaves it
// (platform/journal.h), for tests of what the tools do when they find one.
#ifndef TALIQ_TESTS_SUPPORT_LEFTOVER_JOURNAL_H_
#define TALIQ_TESTS_SUPPORT_LEFTOVER_JOURNAL_H_

#include <string>

namespace taliq::test {

// What the journal says of the file's first bytes (at most four; the file
// must not be empty). Recovery leaves the file's bytes as they are either
// way: kNewInPlace completes the save, kOldInPlace undoes it.
enum class Leftover { kNewInPlace, kOldInPlace };

// Writes JournalPath(path) for `path` as it is now.
void PlantJournal(const std::string& path, Leftover leftover);

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_LEFTOVER_JOURNAL_H_
