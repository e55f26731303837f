// The byte search find narrows its walk with: every occurrence, at any
// offset and across the reads of a table, against a plain search.
#include "dictionary/byte_search.h"

#include <string>
#include <vector>

#include "dictionary/dictionary_writer.h"
#include "dictionary/scan_kernels.h"
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
  const ScanKernel saved = ActiveScanKernel();
  for (ScanKernel kernel : {ScanKernel::kPortable, ScanKernel::kSse2, ScanKernel::kAvx2}) {
    if (!UseScanKernel(kernel)) continue;
    std::uint32_t seed = 3;
    auto next = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return static_cast<std::uint8_t>((seed >> 16) & 0x3);  // few values: many matches
    };
    for (std::size_t size : {0u, 1u, 2u, 15u, 16u, 17u, 18u, 31u, 32u, 33u, 34u, 100u, 1000u}) {
      std::vector<std::uint8_t> data(size);
      for (std::uint8_t& b : data) b = next();
      for (const std::vector<std::uint8_t>& needle :
           std::vector<std::vector<std::uint8_t>>{{1}, {1, 2}, {0, 0}, {3, 1, 2}, {2, 2, 2, 2}}) {
        SCOPED_TRACE(testing::Message() << "kernel " << static_cast<int>(kernel) << ", size "
                                        << size << ", needle of " << needle.size());
        EXPECT_EQ(OccurrencesForTest(data, needle), PlainSearch(data, needle));
      }
    }
  }
  UseScanKernel(saved);
}

// The phrase blocks where a text stands as a whole entry: the first entry of
// a block, of a group after another group, after another entry, across the
// reads of 128 KiB; not where its bytes only end a longer text or stand in
// a value.
TEST(ByteSearchTest, PhraseBlocksThatMayListTexts) {
  test::TempDir dir;
  const std::string folder = dir.MakeDirs("cht") + "/";
  DictionaryWriter w;
  ASSERT_TRUE(w.AddPhrase(u"111", {u"乙", {1, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"444", {u"甲", {1, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"4445", {u"乙", {1, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"222", {u"甲丙", {3, 4}}));
  ASSERT_TRUE(w.AddPhrase(u"222", {u"乙", {0, 0}}));
  // 乙's bytes and a zero unit, but ending a longer text or as a value.
  ASSERT_TRUE(w.AddPhrase(u"333", {u"甲乙", {1, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"333", {u"丙丁", {0x4E59, 0}}));
  // Enough bytes before "999" that its text lies beyond the first read.
  for (int i = 0; i < 20000; ++i) {
    ASSERT_TRUE(w.AddPhrase(u"555", {u"戊己庚", {static_cast<std::uint16_t>(i % 100), 0}}));
  }
  ASSERT_TRUE(w.AddPhrase(u"999", {u"辛", {1, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"999", {u"乙", {1, 2}}));
  std::string error;
  ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
  PortablePlatform platform;
  DictionaryIndex index;
  ASSERT_TRUE(index.Load(&platform, folder + kIndexFileName).ok());

  const std::u16string texts[] = {u"乙"};
  BucketSet buckets;
  ASSERT_TRUE(
      PhraseBlocksThatMayList(&platform, index, folder + kPhraseTableFileName, texts, &buckets)
          .ok());
  EXPECT_EQ(buckets.count(), 4u);
  for (const char16_t* code : {u"111", u"222", u"444", u"999"}) {
    EXPECT_TRUE(buckets.test(static_cast<std::size_t>(BucketOf(code)))) << buckets;
  }

  const std::u16string absent[] = {u"壬", u"甲丙丁"};
  ASSERT_TRUE(
      PhraseBlocksThatMayList(&platform, index, folder + kPhraseTableFileName, absent, &buckets)
          .ok());
  EXPECT_TRUE(buckets.none());
}

}  // namespace
}  // namespace taliq
