// The warning the frequency tool shows when a save wrote the first copy but
// the second copy's group differs from the first's.
#ifndef TALIQ_FREQTOOL_SECOND_COPY_WARNING_H_
#define TALIQ_FREQTOOL_SECOND_COPY_WARNING_H_

#include <optional>
#include <string>

#include "dictionary/dictionary_id.h"
#include "platform/status.h"

namespace taliq {

// The warning for the second copy's write `status` in dictionary `id`, or
// nothing when the copy is missing or cannot be opened (many installations
// have only one copy: that stays silent) or the write went through. It names
// the problem and the command line that mends it.
std::optional<std::u16string> SecondCopyWarning(const Status& status, DictionaryId id);

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_SECOND_COPY_WARNING_H_
