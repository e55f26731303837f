// The write-back: a reorder of a looked-up group, written to both copies,
// never changes a table's size or any group's entries (only their order in
// the group written), and a write that is refused (a second copy that
// differs, a list that is not the group) changes nothing.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dictionary/dictionary_store.h"
#include "platform/journal.h"
#include "tests/fuzz/dictionary_input.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/reference_reader.h"
#include "tests/support/test_platform.h"

namespace taliq::fuzz {
namespace {

// A record as the bytes of an entry of the table.
std::string EntryOf(const CandidateRecord& r, TableKind table) {
  std::string out;
  const auto put = [&](std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
  };
  if (table == TableKind::kCharacters) {
    put(r.text[0]);
    for (std::uint16_t v : r.values) put(v);
  } else {
    for (char16_t c : r.Text()) put(c);
    put(0);
    put(r.values[0]);
    put(r.values[1]);
  }
  return out;
}

std::vector<std::string> Sorted(std::string_view bytes, TableKind table) {
  std::vector<std::string> entries;
  FUZZ_CHECK(ReferenceSplit(bytes, table, &entries));
  std::sort(entries.begin(), entries.end());
  return entries;
}

// What a write to one copy may leave: `before` itself when the write was
// refused or failed; else `before` with the group's run replaced by `run`,
// which holds the same entries.
void CheckCopy(const std::string& before, const std::string& after, bool written, std::int64_t at,
               const std::string& run, TableKind table) {
  FUZZ_CHECK(after.size() == before.size());
  if (!written) {
    FUZZ_CHECK(after == before);
    return;
  }
  const auto pos = static_cast<std::size_t>(at);
  FUZZ_CHECK(pos + run.size() <= after.size());
  FUZZ_CHECK(after.compare(pos, run.size(), run) == 0);
  FUZZ_CHECK(after.compare(0, pos, before, 0, pos) == 0);
  FUZZ_CHECK(after.compare(pos + run.size(), std::string::npos, before, pos + run.size()) == 0);
  FUZZ_CHECK(Sorted(std::string_view(before).substr(pos, run.size()), table) == Sorted(run, table));
}

}  // namespace
}  // namespace taliq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace taliq;
  using namespace taliq::fuzz;
  DictionaryInput input;
  if (!ParseDictionaryInput(std::string_view(reinterpret_cast<const char*>(data), size), &input)) {
    return 0;
  }
  static const std::string root = ScratchFolder() + "/write-back";
  const std::string folders[2] = {root + "/Program Files (x86)/lurm/rozevuv_cht/mb/chs/",
                                  root + "/Program Files/lurm/rozevuv_cht/mb/chs/"};
  std::string tables[2];
  for (int c = 0; c < 2; ++c) {
    std::filesystem::create_directories(folders[c]);
    WriteDictionaryFolder(folders[c], input);
    FUZZ_CHECK(ReadWholeFile(folders[c] + TableFileName(input.table), &tables[c]));
  }

  test::TestPlatform platform;
  platform.SetProgramFilesFolder(root + "/Program Files (x86)");
  DictionaryStore store(&platform);
  CandidateList list{};
  int count = input.table == TableKind::kPhrases ? store.LookupPhrases(input.code, list)
                                                 : store.LookupCharacters(input.code, list);
  if (count <= 0) return 0;
  const std::int64_t at = store.matchOffset();

  // A second copy that differs from the first: a byte of the group's bytes
  // (or just past them) changed.
  if ((input.control[2] & 1) != 0) {
    const auto pos = static_cast<std::size_t>(at) + input.control[2] / 2 % 64;
    if (pos < tables[1].size()) {
      tables[1][pos] = static_cast<char>(tables[1][pos] ^ 0x5A);
      WriteWholeFile(folders[1] + TableFileName(input.table), tables[1]);
    }
  }
  // The new order, and perhaps a list that is not the group any more.
  std::uint32_t seed = input.control[0] * 2654435761u + 1;
  for (int i = count - 1; i > 0; --i) {
    seed = seed * 1664525u + 1013904223u;
    std::swap(list[static_cast<std::size_t>(i)],
              list[(seed >> 8) % static_cast<std::uint32_t>(i + 1)]);
  }
  switch (input.control[1] % 4) {
    case 1:
      --count;  // an entry left out
      break;
    case 2:
      list[input.control[1] / 4 % static_cast<std::uint32_t>(count)].values[0] ^= 1;
      break;
    default:
      break;
  }
  if (count <= 0) return 0;
  std::string run;
  for (int i = 0; i < count; ++i) run += EntryOf(list[static_cast<std::size_t>(i)], input.table);

  const bool first = store.WriteCandidates(list, count, false).ok();
  const bool second = first && store.WriteCandidates(list, count, true).ok();
  for (int c = 0; c < 2; ++c) {
    const std::string path = folders[c] + TableFileName(input.table);
    std::string after;
    FUZZ_CHECK(ReadWholeFile(path, &after));
    CheckCopy(tables[c], after, c == 0 ? first : second, at, run, input.table);
    FUZZ_CHECK(!std::filesystem::exists(JournalPath(path)));
    FUZZ_CHECK(!std::filesystem::exists(folders[c] + kDictionaryLockFileName));
  }
  return 0;
}
