// Folders, the index, SelectCharset and placing a code's block.
#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

TEST(BucketTest, Table) {
  const std::pair<std::u16string, int> cases[] = {
      {u"0", 0},     {u"00", 11},      {u"000", 12},  {u"1", 121},    {u"10", 132},
      {u"12", 154},  {u"123", 158},    {u"1234", 158}, {u"12345", 158}, {u"123456", 158},
      {u"9", 1089},  {u"99", 1199},    {u"999", 1209}, {u"999999", 1209},
      // Not codes: empty, too long, anything but the digits 0-9.
      {u"", -1},     {u"1234567", -1}, {u"12a", -1},  {u"/", -1},     {u":", -1},
      {std::u16string(u"1\0", 2), -1}, {u"\uff11", -1},
  };
  for (const auto& [code, bucket] : cases) {
    EXPECT_EQ(BucketOf(code), bucket) << Utf16ToUtf8(code);
  }
}

class IndexTest : public StoreTest {
 protected:
  // An index whose lengths are all 0 but the given ones, as raw bytes.
  void InstallIndex(const std::vector<std::pair<int, std::uint16_t>>& characterLengths,
                    const std::vector<std::pair<int, std::uint32_t>>& phraseLengths,
                    size_t size = kMinIndexSize, const std::string& sub = "chs") {
    std::vector<std::uint8_t> index(size, 0);
    for (auto [b, len] : characterLengths) {
      EncodeFixed16(index.data() + kCharacterLengthsOffset + 2 * b, len);
    }
    for (auto [b, len] : phraseLengths) {
      EncodeFixed32(index.data() + kPhraseLengthsOffset + 4 * b, len);
    }
    tmp_.MakeDirs(Folder(sub).substr(tmp_.path().size() + 1));
    WriteBytes(PathOf("lurm2008.idx", sub), index);
  }
};

TEST_F(IndexTest, FindBlockSumsThePrecedingLengths) {
  InstallIndex({{158, 40}, {1209, 7}}, {{0, 100}, {121, 0xFFFF0}, {158, 9}});
  DictionaryStore store(&platform_);
  ASSERT_TRUE(store.HasIndex());
  struct Case {
    std::u16string code;
    TableKind table;
    std::int32_t offset;
    std::uint32_t length;
  };
  const Case cases[] = {
      {u"123", TableKind::Characters, 64, 40},
      {u"1234", TableKind::Characters, 64, 40},
      {u"124", TableKind::Characters, 104, 0},
      {u"999", TableKind::Characters, 104, 7},
      {u"0", TableKind::Phrases, 64, 100},
      {u"1", TableKind::Phrases, 164, 0xFFFF0},
      {u"123456", TableKind::Phrases, 164 + 0xFFFF0, 9},
      {u"124", TableKind::Phrases, 164 + 0xFFFF0 + 9, 0},
  };
  for (const Case& c : cases) {
    std::int32_t offset = -1;
    std::uint32_t length = 1;
    ASSERT_EQ(store.FindBlock(c.code, c.table, &offset, &length), 0) << Utf16ToUtf8(c.code);
    EXPECT_EQ(offset, c.offset) << Utf16ToUtf8(c.code);
    EXPECT_EQ(length, c.length) << Utf16ToUtf8(c.code);
  }
}

TEST_F(IndexTest, FindBlockRefusals) {
  InstallIndex({}, {});
  DictionaryStore store(&platform_);
  const std::pair<std::u16string, TableKind> refused[] = {
      {u"12345", TableKind::Characters}, {u"123456", TableKind::Characters},
      {u"", TableKind::Characters},      {u"", TableKind::Phrases},
      {u"1234567", TableKind::Characters}, {u"1234567", TableKind::Phrases},
      {u"1x", TableKind::Phrases},       {u"-1", TableKind::Characters},
  };
  for (const auto& [code, table] : refused) {
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    EXPECT_EQ(store.FindBlock(code, table, &offset, &length), -1) << Utf16ToUtf8(code);
  }
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  EXPECT_EQ(store.FindBlock(u"12345", TableKind::Phrases, &offset, &length), 0);
  // Without an index everything is refused.
  store.SelectCharset(1, 0);
  ASSERT_FALSE(store.HasIndex());
  EXPECT_EQ(store.FindBlock(u"1", TableKind::Characters, &offset, &length), -1);
}

TEST_F(IndexTest, ShortIndexFailsLikeAMissingOne) {
  InstallIndex({{158, 40}}, {}, kMinIndexSize - 1);
  DictionaryStore store(&platform_);
  EXPECT_FALSE(store.HasIndex());
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, kIndexLoadFailedMessage);
  EXPECT_EQ(platform_.messages[0].caption, u"");
  EXPECT_EQ(platform_.messages[0].flags, kMbOk);
  EXPECT_EQ(store.LoadIndex(), 0);
  CandidateList list;
  EXPECT_EQ(store.LookupCharacters(u"123", list), -1);

  // Exactly 7324 bytes is enough; more is loaded and ignored.
  InstallIndex({{158, 40}}, {}, kMinIndexSize + 100);
  EXPECT_EQ(store.LoadIndex(), 1);
  InstallIndex({{158, 40}}, {}, kMinIndexSize);
  EXPECT_EQ(store.LoadIndex(), 1);
}

TEST_F(IndexTest, SelectCharsetReloadsOnlyOnChange) {
  InstallIndex({}, {}, kMinIndexSize, "chs");
  InstallIndex({}, {}, kMinIndexSize, "cht_2002");
  DictionaryStore store(&platform_);
  ASSERT_TRUE(platform_.messages.empty());
  platform_.opened.clear();

  store.SelectCharset(0, 0);  // already current: no file access
  EXPECT_TRUE(platform_.opened.empty());

  store.SelectCharset(0, 2);  // another standard edition: the same "chs" index
  ASSERT_EQ(platform_.opened.size(), 1u);
  EXPECT_EQ(platform_.opened[0], PathOf("lurm2008.idx", "chs"));
  EXPECT_TRUE(store.HasIndex());
  EXPECT_EQ(store.edition(), 2);

  store.SelectCharset(5, 1);  // any non-zero charset is the traditional one
  EXPECT_EQ(platform_.opened.back(), PathOf("lurm2008.idx", "cht_2002"));
  EXPECT_TRUE(store.HasIndex());
  EXPECT_TRUE(platform_.messages.empty());

  store.SelectCharset(1, 0);  // "cht" is not installed
  EXPECT_FALSE(store.HasIndex());
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, kTableLoadFailedMessage);
  EXPECT_EQ(store.charset(), 1);  // the pair asked for stays current
  EXPECT_EQ(store.edition(), 0);
  store.SelectCharset(1, 0);  // same pair: no retry, no second message
  EXPECT_EQ(platform_.messages.size(), 1u);
}

TEST_F(IndexTest, FoldersOfTheTwoCopies) {
  const char sep = kPathSeparator;
  auto mb = [&](const std::string& root, const std::string& sub) {
    return root + sep + "lurm" + sep + "rozevuv_cht" + sep + "mb" + sep + sub + sep;
  };
  struct Case {
    int charset, edition;
    const char* sub;
  };
  const Case cases[] = {{0, 0, "chs"}, {0, 1, "chs_2002"}, {0, 2, "chs"},
                        {1, 0, "cht"}, {1, 1, "cht_2002"}, {-3, 1, "cht_2002"}};
  TestPlatform x86;
  x86.SetProgramFilesFolder("C:\\Program Files (x86)");
  TestPlatform native;
  native.SetProgramFilesFolder("C:\\Program Files");
  DictionaryStore a(&x86), b(&native);
  for (const Case& c : cases) {
    EXPECT_EQ(a.ResolveDictionaryFolder(c.charset, c.edition, false),
              mb("C:\\Program Files (x86)", c.sub));
    EXPECT_EQ(a.ResolveDictionaryFolder(c.charset, c.edition, true), mb("C:\\Program Files", c.sub));
    EXPECT_EQ(b.ResolveDictionaryFolder(c.charset, c.edition, false), mb("C:\\Program Files", c.sub));
    EXPECT_EQ(b.ResolveDictionaryFolder(c.charset, c.edition, true), mb("C:\\Program Files", c.sub));
  }
  // Only the first "(" counts.
  TestPlatform odd;
  odd.SetProgramFilesFolder("/opt/Programs (a) (b)");
  DictionaryStore c(&odd);
  EXPECT_EQ(c.ResolveDictionaryFolder(1, 0, true), mb("/opt/Programs", "cht"));
  // No Program Files folder: no path, and the index counts as missing.
  TestPlatform none;
  none.failProgramFiles = true;
  DictionaryStore d(&none);
  EXPECT_EQ(d.ResolveDictionaryFolder(0, 0, false), "");
  EXPECT_EQ(d.LoadIndex(), 0);
  EXPECT_TRUE(none.opened.empty());
}

TEST_F(IndexTest, FolderNamesDifferingInCase) {
  // Windows ignores case; the installation may spell the folders otherwise.
  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"1", {u'一', {1, 2, 3}}));
  ASSERT_TRUE(w.AddPhrase(u"1", {u"一二", {4, 5}}));
  const std::string folder = tmp_.MakeDirs("Program Files (x86)/LURM/RozeVuv_CHT/MB/CHT");
  std::string error;
  ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
  DictionaryStore store(&platform_);
  platform_.messages.clear();  // the simplified edition is not installed
  store.SelectCharset(1, 0);
  EXPECT_TRUE(platform_.messages.empty());
  CandidateList list;
  EXPECT_EQ(store.LookupCharacters(u"1", list), 1);
  EXPECT_EQ(store.LookupPhrases(u"1", list), 1);
  EXPECT_EQ(list[0].Text(), u"一二");
}

}  // namespace
}  // namespace taliq::test
