// The index and the lookups: for any block (and an index whose length for
// it may be off), every scan kernel this build and processor have lists
// exactly what a plain reader of the format finds, and the same group.
#include <cstdint>
#include <filesystem>
#include <string>

#include "dictionary/dictionary_store.h"
#include "dictionary/scan_kernels.h"
#include "tests/fuzz/dictionary_input.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/reference_reader.h"
#include "tests/support/test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace taliq;
  using namespace taliq::fuzz;
  DictionaryInput input;
  if (!ParseDictionaryInput(std::string_view(reinterpret_cast<const char*>(data), size), &input)) {
    return 0;
  }
  static const std::string root = ScratchFolder() + "/lookup";
  static const std::string folder = root + "/Program Files/lurm/rozevuv_cht/mb/chs/";
  static const bool made = [] {
    std::filesystem::create_directories(folder);
    return true;
  }();
  (void)made;
  WriteDictionaryFolder(folder, input);
  std::string table;
  FUZZ_CHECK(ReadWholeFile(folder + TableFileName(input.table), &table));
  const ReferenceLookup expected =
      ReferenceFind(table, BlockOffset(input), IndexLength(input), input.code, input.table);

  test::TestPlatform platform;
  platform.SetProgramFilesFolder(root + "/Program Files");
  DictionaryStore store(&platform);
  FUZZ_CHECK(store.HasIndex());
  const ScanKernel saved = ActiveScanKernel();
  for (const ScanKernel kernel : {ScanKernel::kPortable, ScanKernel::kSse2, ScanKernel::kAvx2}) {
    if (!UseScanKernel(kernel)) continue;
    CandidateList list{};
    const int count = input.table == TableKind::kPhrases ? store.LookupPhrases(input.code, list)
                                                         : store.LookupCharacters(input.code, list);
    FUZZ_CHECK(count == static_cast<int>(expected.entries.size()));
    FUZZ_CHECK((store.matchOffset() != 0) == expected.matched);
    if (expected.matched) FUZZ_CHECK(store.matchOffset() == expected.entryOffset);
    for (int i = 0; i < count; ++i) {
      const CandidateRecord& r = list[static_cast<std::size_t>(i)];
      const ReferenceEntry& e = expected.entries[static_cast<std::size_t>(i)];
      if (input.table == TableKind::kCharacters) {
        FUZZ_CHECK(r.text[0] == e.text[0] && r.text[1] == 0);
        FUZZ_CHECK(r.values[2] == e.values[2]);
      } else {
        FUZZ_CHECK(r.Text() == e.text);
      }
      FUZZ_CHECK(r.values[0] == e.values[0] && r.values[1] == e.values[1]);
    }
  }
  UseScanKernel(saved);
  return 0;
}
