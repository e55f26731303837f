// Find over whole tables: every code where a text is a candidate, its
// position and the code's count, and how damaged or missing files end it.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "dictionary/scan_kernels.h"
#include "dictionary/table_find.h"
#include "dictionary/table_walk.h"
#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

class TableFindTest : public StoreTest {
 protected:
  // 一 in two character codes and two phrase codes; 一二 in one phrase code,
  // after a text too long to list; 乙 nowhere.
  DictionaryWriter Writer() {
    DictionaryWriter w;
    EXPECT_TRUE(w.AddCharacter(u"1", {u'丁', {1, 0, 0}}));
    EXPECT_TRUE(w.AddCharacter(u"1", {u'一', {2, 0, 0}}));
    EXPECT_TRUE(w.AddCharacter(u"4422", {u'一', {3, 0, 0}}));
    EXPECT_TRUE(w.AddCharacter(u"999", {u'七', {0, 0, 0}}));
    EXPECT_TRUE(w.AddPhrase(u"10", {u"一", {1, 1}}));
    EXPECT_TRUE(w.AddPhrase(u"100102", {PhraseText(60), {0, 0}}));
    EXPECT_TRUE(w.AddPhrase(u"100102", {u"一二", {2, 2}}));
    EXPECT_TRUE(w.AddPhrase(u"100102", {u"一", {3, 3}}));
    return w;
  }

  std::vector<FindHit> Find(const std::vector<std::u16string>& texts, Status* status) {
    std::vector<FindHit> hits;
    *status = FindInDictionary(&platform_, Folder("chs") + "/", kChs, texts, &hits);
    return hits;
  }
};

struct ExpectedHit {
  std::size_t text;
  TableKind table;
  std::u16string code;
  int position;
  int count;
};

TEST_F(TableFindTest, EveryCodeOfEveryTextInBothTables) {
  Install(Writer());
  Status status;
  const std::vector<FindHit> hits = Find({u"一", u"一二", u"乙"}, &status);
  ASSERT_TRUE(status.ok()) << status.message();
  const ExpectedHit expected[] = {
      {0, TableKind::kCharacters, u"1", 2, 2},
      {0, TableKind::kCharacters, u"4422", 1, 1},
      {0, TableKind::kPhrases, u"10", 1, 1},
      // The long text is not offered, so it does not count.
      {1, TableKind::kPhrases, u"100102", 1, 2},
      {0, TableKind::kPhrases, u"100102", 2, 2},
  };
  ASSERT_EQ(hits.size(), std::size(expected));
  for (std::size_t i = 0; i < hits.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(hits[i].text, expected[i].text);
    EXPECT_EQ(hits[i].table, expected[i].table);
    EXPECT_EQ(hits[i].code, expected[i].code);
    EXPECT_EQ(hits[i].position, expected[i].position);
    EXPECT_EQ(hits[i].count, expected[i].count);
    EXPECT_EQ(hits[i].dictionary, kChs);
  }
}

TEST_F(TableFindTest, PositionsAgreeWithTheLookups) {
  DictionaryWriter w;
  for (int i = 0; i < 310; ++i) {
    ASSERT_TRUE(w.AddCharacter(u"5000", {static_cast<char16_t>(0x4E00 + i), {0, 0, 0}}));
  }
  Install(w);
  Status status;
  const std::vector<FindHit> hits = Find({u"\u4e05", u"七七"}, &status);
  ASSERT_TRUE(status.ok());
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].position, 6);
  // A lookup lists 300; the group's later entries are not offered.
  EXPECT_EQ(hits[0].count, kCandidateListCapacity);
  DictionaryStore store(&platform_);
  CandidateList list;
  ASSERT_EQ(store.LookupCharacters(u"5000", list), kCandidateListCapacity);
  EXPECT_EQ(list[5].Text(), u"\u4e05");
}

// Every scan kernel finds in a character table larger than one read what a
// walk of the groups as the lookups list them finds: one character (the
// kernel's search) and two at once (one entry at a time), in groups of up
// to 400 entries whose values hold the characters' units too.
TEST_F(TableFindTest, CharactersAgreeWithTheListsOnEveryKernel) {
  DictionaryWriter w;
  std::uint32_t seed = 11;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  // Now and then one of the characters looked for.
  const auto value = [&next] {
    const std::uint32_t r = next();
    return static_cast<std::uint16_t>(r % 3 == 0 ? 0x4E00 + r % 2 : r);
  };
  for (int c = 0; c < 400; ++c) {
    const std::u16string code = std::u16string(1, static_cast<char16_t>(u'0' + c % 10)) +
                                static_cast<char16_t>(u'0' + c / 10 % 10) +
                                static_cast<char16_t>(u'0' + c / 100 % 10) + u"1";
    const std::uint32_t entries = c % 37 == 0 ? 400 : next() % 200;
    for (std::uint32_t e = 0; e < entries; ++e) {
      const char16_t unit = static_cast<char16_t>(0x4E00 + next() % 8);
      ASSERT_TRUE(w.AddCharacter(code, {unit, {value(), value(), value()}}));
    }
  }
  Install(w);
  const std::string path = PathOf(kCharacterTableFileName);
  DictionaryIndex index;
  ASSERT_TRUE(index.Load(&platform_, PathOf(kIndexFileName)).ok());
  ASSERT_GT(ReadBytes(path).size(), 2 * 128 * 1024u);
  const std::vector<std::u16string> texts = {u"\u4E00", u"\u4E01"};
  std::vector<std::tuple<std::size_t, std::u16string, int, int>> model[2];
  ASSERT_TRUE(WalkTable(&platform_, index, path, TableKind::kCharacters, [&](const WalkedGroup& g) {
                for (int i = 0; i < g.count; ++i) {
                  for (std::size_t k = 0; k < texts.size(); ++k) {
                    if ((*g.entries)[static_cast<std::size_t>(i)].Text() != texts[k]) {
                      continue;
                    }
                    const auto hit = std::make_tuple(k, std::u16string(g.code), i + 1, g.count);
                    if (k == 0) model[0].push_back(hit);
                    model[1].push_back(hit);
                  }
                }
              }).ok());
  ASSERT_FALSE(model[0].empty());
  const ScanKernel saved = ActiveScanKernel();
  for (ScanKernel kernel : {ScanKernel::kPortable, ScanKernel::kSse2, ScanKernel::kAvx2}) {
    if (!UseScanKernel(kernel)) continue;
    for (std::size_t n : {1u, 2u}) {
      SCOPED_TRACE(testing::Message() << "kernel " << static_cast<int>(kernel) << ", texts " << n);
      Status status;
      const std::vector<FindHit> hits =
          Find(std::vector<std::u16string>(texts.begin(), texts.begin() + n), &status);
      ASSERT_TRUE(status.ok()) << status.message();
      std::vector<std::tuple<std::size_t, std::u16string, int, int>> found;
      for (const FindHit& h : hits) {
        if (h.table == TableKind::kCharacters)
          found.emplace_back(h.text, h.code, h.position, h.count);
      }
      EXPECT_EQ(found, model[n - 1]);
    }
  }
  UseScanKernel(saved);
}

TEST_F(TableFindTest, DamagedOrMissingFiles) {
  struct Case {
    const char* name;
    const char* file;  // damaged or removed
    int cut;           // bytes cut from its end; -1 removes it
    Status::Code code;
    std::string text;
  };
  const Case cases[] = {
      {"NoIndex", kIndexFileName, -1, Status::Code::kNotFound, kIndexFileName},
      {"ShortIndex", kIndexFileName, 10, Status::Code::kCorruption, "too short"},
      {"NoPhraseTable", kPhraseTableFileName, -1, Status::Code::kNotFound, kPhraseTableFileName},
      {"PhraseTableCutInsideAGroup", kPhraseTableFileName, 3, Status::Code::kCorruption,
       "damaged at offset"},
      {"CharacterTableCutInsideAGroup", kCharacterTableFileName, 1, Status::Code::kCorruption,
       "the file ends inside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install(Writer());
    const std::string path = PathOf(c.file);
    if (c.cut < 0) {
      std::remove(path.c_str());
    } else {
      std::vector<std::uint8_t> bytes = ReadBytes(path);
      bytes.resize(bytes.size() - static_cast<std::size_t>(c.cut));
      WriteBytes(path, bytes);
    }
    Status status;
    Find({u"一"}, &status);
    ExpectStatus(status, c.code, c.text);
  }
}

}  // namespace
}  // namespace taliq::test
