// Checking an installed dictionary's two copies: every file read whole, each
// problem reported with its file and offset, then the codes whose groups
// differ between the copies. Reads the files by its own reading of the
// format, not through the lookups' scans, and never writes.
#ifndef TALIQ_DICTIONARY_TABLE_CHECK_H_
#define TALIQ_DICTIONARY_TABLE_CHECK_H_

#include <cstdint>
#include <functional>
#include <string>

#include "dictionary/format.h"
#include "platform/platform.h"

namespace taliq {

struct CheckProblem {
  int copy = 0;  // 0 the first installed copy, 1 the second
  std::string file;
  std::int64_t offset = 0;
  std::string problem;
};

struct CheckReport {
  // Called for each problem as it is found, and for each code whose groups
  // differ between the copies (after all problems of the dictionary).
  std::function<void(const CheckProblem&)> problem;
  std::function<void(TableKind table, const std::u16string& code)> differs;
};

struct CheckCounts {
  bool secondCopy = false;  // the second copy has an index and was read
  int problems = 0;
  int differing = 0;
  // Nothing of the first copy was found (no index, no tables): the
  // dictionary is not installed.
  bool notInstalled = false;
};

// Checks the dictionary whose first and second copies lie in `first` and
// `second` (folders ending in the path separator; `second` may be empty or
// name a folder with no index: then only the first copy is read). Codes are
// compared only between copies whose index is sound.
CheckCounts CheckDictionary(Platform* platform, const std::string& first, const std::string& second,
                            const CheckReport& report);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_CHECK_H_
