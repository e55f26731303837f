// The byte search find narrows its walk with: every occurrence, at any
// offset and across the reads of a table, against a plain search.
#include "dictionary/byte_search.h"

#include <string>
#include <vector>

#include "dictionary/dictionary_writer.h"
#include "gtest/gtest.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

std::vector<std::size_t> PlainSearch(const std::vector<std::uint8_t>& data,
                                     const std::vector<std::uint8_t>& needle) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i + needle.size() <= data.size(); ++i) {
    if (std::equal(needle.begin(), needle.end(), data.begin() + static_cast<std::ptrdiff_t>(i))) {
      at.push_back(i);
    }
  }
  return at;
}

TEST(ByteSearchTest, FindsEveryOccurrenceLikeAPlainSearch) {
  std::uint32_t seed = 3;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::uint8_t>((seed >> 16) & 0x3);  // few values: many matches
  };
  for (std::size_t size : {0u, 1u, 2u, 15u, 16u, 17u, 18u, 33u, 100u, 1000u}) {
    std::vector<std::uint8_t> data(size);
    for (std::uint8_t& b : data) b = next();
    for (const std::vector<std::uint8_t>& needle :
         std::vector<std::vector<std::uint8_t>>{{1}, {1, 2}, {0, 0}, {3, 1, 2}, {2, 2, 2, 2}}) {
      SCOPED_TRACE(testing::Message() << "size " << size << ", needle of " << needle.size());
      EXPECT_EQ(OccurrencesForTest(data, needle), PlainSearch(data, needle));
    }
  }
}

// Blocks that hold the text's bytes, wherever they lie: in an entry, in a
// value, across the reads of 128 KiB.
TEST(ByteSearchTest, BucketsHoldingTexts) {
  test::TempDir dir;
  const std::string folder = dir.MakeDirs("cht") + "/";
  DictionaryWriter w;
  ASSERT_TRUE(w.AddPhrase(u"111", {u"甲乙", {1, 2}}));
  // 0x4E59 (乙) as a value in block "222".
  ASSERT_TRUE(w.AddPhrase(u"222", {u"丙丁", {0x4E59, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"333", {u"丙丁", {3, 4}}));
  // Enough bytes before "999" that its text lies beyond the first read.
  for (int i = 0; i < 20000; ++i) {
    ASSERT_TRUE(w.AddPhrase(u"555", {u"戊己庚", {static_cast<std::uint16_t>(i % 100), 0}}));
  }
  ASSERT_TRUE(w.AddPhrase(u"999", {u"辛乙", {1, 2}}));
  std::string error;
  ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
  PortablePlatform platform;
  DictionaryIndex index;
  ASSERT_TRUE(index.Load(&platform, folder + kIndexFileName).ok());

  const std::u16string texts[] = {u"乙"};
  BucketSet buckets;
  ASSERT_TRUE(BucketsHoldingTexts(&platform, index, folder + kPhraseTableFileName,
                                  TableKind::kPhrases, texts, &buckets)
                  .ok());
  EXPECT_EQ(buckets.count(), 3u);
  EXPECT_TRUE(buckets.test(static_cast<std::size_t>(BucketOf(u"111"))));
  EXPECT_TRUE(buckets.test(static_cast<std::size_t>(BucketOf(u"222"))));
  EXPECT_TRUE(buckets.test(static_cast<std::size_t>(BucketOf(u"999"))));

  const std::u16string absent[] = {u"壬"};
  ASSERT_TRUE(BucketsHoldingTexts(&platform, index, folder + kPhraseTableFileName,
                                  TableKind::kPhrases, absent, &buckets)
                  .ok());
  EXPECT_TRUE(buckets.none());
}

}  // namespace
}  // namespace taliq
