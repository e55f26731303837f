// The comparison of an installed dictionary with its snapshot over tables
// larger than one read: groups changed before, inside and after a block
// longer than the comparison's buffer are all found, in the order of the
// table, and the fingerprints taken on the way are those of the files.
#include "orders/table_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "dictionary/dictionary_writer.h"
#include "orders/data_folder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq {
namespace {

std::u16string Code(int n, int digits) {
  std::u16string code(static_cast<std::size_t>(digits), u'0');
  for (int i = digits - 1; i >= 0; --i, n /= 10) {
    code[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + n % 10);
  }
  return code;
}

// Phrase codes of six digits: bucket "100" gets 1000 groups of ten phrases
// (a block of about 200 KB, more than one read), the buckets around it
// fewer; `reversed` groups are written in the opposite order.
void WriteDictionary(const std::string& folder, const std::set<int>& reversed) {
  DictionaryWriter w;
  for (int prefix : {10, 50, 99, 100, 101, 150, 900}) {
    const int groups = prefix == 100 ? 1000 : 400;
    for (int i = 0; i < groups; ++i) {
      const int code = prefix * 1000 + i;
      std::vector<PhraseEntry> entries;
      for (int k = 0; k < 10; ++k) {
        const auto unit = static_cast<char16_t>(0x4E00 + (code * 7 + k * 13) % 0x5000);
        entries.push_back({std::u16string(5, unit) + static_cast<char16_t>(0x4E00 + k), {1, 0}});
      }
      if (reversed.contains(code)) std::reverse(entries.begin(), entries.end());
      for (const PhraseEntry& e : entries) ASSERT_TRUE(w.AddPhrase(Code(code, 6), e));
    }
  }
  for (char16_t c : std::u16string(u"一二三")) w.AddCharacter(u"1", {c, {1, 0, 1}});
  for (char16_t m : std::u16string(u"，。")) w.AddPunctuation(m);
  std::string error;
  ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
}

TEST(TableDiffTest, LargeTablesGiveEveryChangedGroupInTableOrder) {
  struct Case {
    const char* name;
    std::set<int> changed;
  };
  const Case cases[] = {
      {"before and after the long block", {10003, 50399, 99000, 101001, 150200, 900399}},
      {"inside the long block and after it", {100000, 100500, 100999, 101000, 900000}},
      {"only in the first read", {10000, 10001}},
      {"nothing", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    test::TestPlatform platform;
    const std::string snapshot = dir.Join("snapshot/");
    const std::string installed = dir.Join("installed/");
    ASSERT_TRUE(EnsureFolder(&platform, snapshot).ok());
    ASSERT_TRUE(EnsureFolder(&platform, installed).ok());
    WriteDictionary(snapshot, {});
    WriteDictionary(installed, c.changed);

    std::vector<std::string> found;
    FolderFingerprints fingerprints;
    const Status s = DiffDictionary(
        &platform, snapshot, installed,
        [&](const GroupDifference& d) {
          EXPECT_EQ(d.table, OrderTable::kPhrases);
          TextOrder reversed = d.original;
          std::reverse(reversed.begin(), reversed.end());
          EXPECT_EQ(d.current, reversed) << d.code;
          found.push_back(d.code);
          return Status::Ok();
        },
        &fingerprints);
    ASSERT_TRUE(s.ok()) << s.message();

    std::vector<std::string> expected;
    for (int code : c.changed) {
      const std::u16string text = Code(code, 6);
      expected.emplace_back(text.begin(), text.end());
    }
    EXPECT_EQ(found, expected);
    for (std::size_t i = 0; i < kDictionaryFileNames.size(); ++i) {
      FileFingerprint whole;
      ASSERT_TRUE(
          FingerprintFile(&platform, JoinPath(installed, kDictionaryFileNames[i]), &whole).ok());
      EXPECT_EQ(fingerprints[i], whole) << kDictionaryFileNames[i];
    }
  }
}

}  // namespace
}  // namespace taliq
