// Recovery from any journal over any table: afterwards the journal is gone
// and the table holds its old contents or its new ones as the journal
// describes them, every byte outside the rewritten part as it was; a
// journal that is not whole and intact changes nothing. A first attempt
// that fails at a chosen call leaves a state the second still resolves.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/journal.h"
#include "platform/journal_format.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/fault_platform.h"
#include "tests/support/test_platform.h"

namespace taliq::fuzz {
namespace {

// The table after one side of the record was put over `table`: the bytes
// at the offset (the file zero-extended to reach them), then the size.
// nullopt: no file.
std::optional<std::string> Apply(const std::optional<std::string>& table, std::int64_t offset,
                                 const std::string& bytes, std::int64_t size) {
  if (size == kFileAbsent) return std::nullopt;
  std::string out = table.value_or(std::string());
  const auto at = static_cast<std::size_t>(offset);
  if (out.size() < at + bytes.size()) out.resize(at + bytes.size(), '\0');
  out.replace(at, bytes.size(), bytes);
  out.resize(static_cast<std::size_t>(size), '\0');
  return out;
}

// A record whose sides the input chooses, so that valid journals (which a
// checksum guards) are reached; nullopt when the fields do not make one.
std::optional<JournalRecord> ChooseRecord(FuzzedDataProvider* in) {
  JournalRecord r;
  switch (in->ConsumeIntegralInRange(0, 2)) {
    case 0: {  // a part of a file
      r.offset = in->ConsumeIntegralInRange<std::int64_t>(0, 300);
      r.oldBytes = in->ConsumeRandomLengthString(200);
      r.newBytes = in->ConsumeBytesAsString(r.oldBytes.size());
      r.newBytes.resize(r.oldBytes.size(), 'N');
      r.oldSize = r.newSize = r.offset + static_cast<std::int64_t>(r.oldBytes.size()) +
                              in->ConsumeIntegralInRange<std::int64_t>(0, 300);
      break;
    }
    case 1:  // a whole file
      r.oldBytes = in->ConsumeRandomLengthString(300);
      r.newBytes = in->ConsumeRandomLengthString(300);
      r.oldSize = static_cast<std::int64_t>(r.oldBytes.size());
      r.newSize = static_cast<std::int64_t>(r.newBytes.size());
      break;
    default:  // a file being created
      r.newBytes = in->ConsumeRandomLengthString(300);
      r.oldSize = kFileAbsent;
      r.newSize = static_cast<std::int64_t>(r.newBytes.size());
      break;
  }
  if (!IsValidJournalRecord(r)) return std::nullopt;
  return r;
}

}  // namespace
}  // namespace taliq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace taliq;
  using namespace taliq::fuzz;
  FuzzedDataProvider in(data, size);
  const std::string path = ScratchFolder() + "/table";
  const std::string journalPath = JournalPath(path);

  // The journal: one the input builds (perhaps torn), or any bytes.
  std::optional<JournalRecord> chosen;
  std::string journal;
  const bool structured = in.ConsumeBool();
  if (structured) {
    chosen = ChooseRecord(&in);
    if (!chosen) return 0;
    journal = EncodeJournal(*chosen);
    if (in.ConsumeBool()) journal.resize(in.ConsumeIntegralInRange<std::size_t>(0, journal.size()));
  }
  // The table: its old or new state, a mix of the two, any bytes, or none.
  std::optional<std::string> table;
  const int shape = in.ConsumeIntegralInRange(0, 4);
  std::string other = in.ConsumeRandomLengthString(600);
  if (chosen && shape <= 2 && (shape != 0 || chosen->oldSize != kFileAbsent)) {
    const std::optional<std::string> oldState =
        Apply(other, chosen->offset, chosen->oldBytes, chosen->oldSize);
    const std::optional<std::string> newState =
        Apply(other, chosen->offset, chosen->newBytes, chosen->newSize);
    table = shape == 0 ? oldState : newState;
    if (shape == 2) {
      // A write torn somewhere: the new state up to a point, the old after.
      std::string mix = *newState;
      const std::size_t cut = in.ConsumeIntegralInRange<std::size_t>(0, mix.size());
      if (oldState) {
        for (std::size_t i = cut; i < mix.size() && i < oldState->size(); ++i) {
          mix[i] = (*oldState)[i];
        }
      } else {
        mix.resize(cut);
      }
      table = mix;
    }
  } else if (shape != 4) {
    table = other;
  }
  if (!structured) journal = in.ConsumeRemainingBytesAsString();
  const int failAt = in.ConsumeIntegralInRange(0, 12);

  std::remove(path.c_str());
  if (table) WriteWholeFile(path, *table);
  WriteWholeFile(journalPath, journal);

  test::TestPlatform base;
  if (failAt > 0) {
    // A first attempt that fails at one call; what it leaves is the next
    // attempt's starting point.
    test::FaultPlatform faulty(&base);
    faulty.Arm(failAt, test::FaultKind::kFail);
    RecoverInterruptedSave(&faulty, path);
  }
  const Recovery r = RecoverInterruptedSave(&base, path);
  FUZZ_CHECK(r.status.ok());
  std::string after;
  const bool exists = ReadWholeFile(path, &after);
  const std::optional<std::string> result =
      exists ? std::optional<std::string>(after) : std::nullopt;
  FUZZ_CHECK(!ReadWholeFile(journalPath, &after));

  JournalRecord record;
  if (!DecodeJournal(journal, &record)) {
    // Never acted on: the table as it was.
    FUZZ_CHECK(result == table);
    return 0;
  }
  const std::optional<std::string> oldState =
      Apply(table, record.offset, record.oldBytes, record.oldSize);
  const std::optional<std::string> newState =
      Apply(table, record.offset, record.newBytes, record.newSize);
  // A part of a table that is gone has nothing to be put back into.
  const bool partGone =
      !table && record.oldSize != kFileAbsent &&
      (record.offset != 0 || static_cast<std::int64_t>(record.oldBytes.size()) != record.oldSize);
  FUZZ_CHECK(result == oldState || result == newState || (partGone && !result));
  return 0;
}
