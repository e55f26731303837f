// The punctuation table: any Pround.dat lists its first 300 whole records;
// a new order of them written back (with one call of the save failing, by
// the input's choice) leaves the old table or exactly the marks in the new
// order, each with its filler unit, followed by the bytes beyond the 300th
// record unchanged.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "dictionary/dictionary_store.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/fault_platform.h"
#include "tests/support/test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace taliq;
  using namespace taliq::fuzz;
  if (size < 3) return 0;
  const std::uint8_t seedByte = data[0];
  const int failAt = data[1] % 24;  // 0: no call fails
  const bool held = (data[2] & 1) != 0;
  const std::string before(reinterpret_cast<const char*>(data) + 3, size - 3);
  static const std::string root = ScratchFolder() + "/punctuation";
  static const std::string folder = root + "/Program Files/lurm/rozevuv_cht/mb/chs/";
  std::filesystem::create_directories(folder);
  WriteWholeFile(folder + kPunctuationFileName, before);

  test::TestPlatform base;
  base.SetProgramFilesFolder(root + "/Program Files");
  base.refuseReplace = held;
  test::FaultPlatform platform(&base);
  DictionaryStore store(&platform);
  CandidateList list{};
  const int count = store.ReadPunctuation(list);
  FUZZ_CHECK(count == static_cast<int>(std::min<std::size_t>(before.size() / 4, 300)));
  for (int i = 0; i < count; ++i) {
    const auto p = static_cast<std::size_t>(4 * i);
    FUZZ_CHECK(list[static_cast<std::size_t>(i)].Mark() ==
               static_cast<char16_t>(static_cast<unsigned char>(before[p]) |
                                     (static_cast<unsigned char>(before[p + 1]) << 8)));
  }
  std::uint32_t seed = seedByte * 2654435761u + 7;
  for (int i = count - 1; i > 0; --i) {
    seed = seed * 1664525u + 1013904223u;
    std::swap(list[static_cast<std::size_t>(i)],
              list[(seed >> 8) % static_cast<std::uint32_t>(i + 1)]);
  }
  std::string expected;
  for (int i = 0; i < count; ++i) {
    const char16_t mark = list[static_cast<std::size_t>(i)].Mark();
    expected += {static_cast<char>(mark & 0xFF), static_cast<char>(mark >> 8), ' ', '\0'};
  }
  if (before.size() > 1200) expected += before.substr(1200);

  platform.Arm(failAt, test::FaultKind::kFail);
  const Status written = store.WritePunctuation(list, count);
  // What a failure left, the next start resolves.
  DictionaryStore next(&base);
  std::string after;
  FUZZ_CHECK(ReadWholeFile(folder + kPunctuationFileName, &after));
  if (written.ok()) {
    FUZZ_CHECK(after == expected);
  } else {
    FUZZ_CHECK(after == before);
  }
  return 0;
}
