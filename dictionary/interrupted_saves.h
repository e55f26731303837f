// What saves an earlier run did not finish left beside a dictionary's files:
// the journals found (for the check, which writes nothing), or resolved
// before the files are read.
#ifndef TALIQ_DICTIONARY_INTERRUPTED_SAVES_H_
#define TALIQ_DICTIONARY_INTERRUPTED_SAVES_H_

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The files of the dictionary folder `folder` (ending in the path
// separator) that a save writes in place (both tables and the punctuation
// file) and that have a journal beside them, as names within the folder.
// One listing of the folder tells (most often none); where it cannot be
// had, each journal is looked for by its size. Nothing when the folder does not exist.
std::vector<std::string> FilesWithJournals(Platform* platform, const std::string& folder);

// Completes or undoes, holding each folder's lock, what interrupted saves
// left in the files of a dictionary's first and second copies (`second`
// empty or equal to `first`: there is one copy), one line per file added to
// `*note`. Returns the first copy's failure, if any: the second copy is not
// read by the lookups, and its next write tries again.
Status ResolveInterruptedSaves(Platform* platform, const std::string& first,
                               const std::string& second, std::string* note);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_INTERRUPTED_SAVES_H_
