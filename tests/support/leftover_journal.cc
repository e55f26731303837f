#include "tests/support/leftover_journal.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/journal.h"
#include "platform/journal_format.h"
#include "tests/support/temp_dir.h"

namespace taliq::test {

void PlantJournal(const std::string& path, Leftover leftover) {
  const std::vector<std::uint8_t> now = ReadBytes(path);
  if (now.empty()) throw std::invalid_argument(path + " is empty");
  const std::size_t n = std::min<std::size_t>(4, now.size());
  const std::string there(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(n));
  std::string other = there;
  for (char& c : other) c = static_cast<char>(~c);
  JournalRecord rec;
  rec.oldSize = rec.newSize = static_cast<std::int64_t>(now.size());
  rec.newBytes = leftover == Leftover::kNewInPlace ? there : other;
  rec.oldBytes = leftover == Leftover::kNewInPlace ? other : there;
  const std::string journal = EncodeJournal(rec);
  WriteText(JournalPath(path), journal);
}

}  // namespace taliq::test
