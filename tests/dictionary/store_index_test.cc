// Folders, the index, SelectCharset and placing a code's block.
#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

TEST(BucketTest, Table) {
  const std::pair<std::u16string, int> cases[] = {
      {u"0", 0},
      {u"00", 11},
      {u"000", 12},
      {u"1", 121},
      {u"10", 132},
      {u"12", 154},
      {u"123", 158},
      {u"1234", 158},
      {u"12345", 158},
      {u"123456", 158},
      {u"9", 1089},
      {u"99", 1199},
      {u"999", 1209},
      {u"999999", 1209},
      // Not codes: empty, too long, anything but the digits 0-9.
      {u"", -1},
      {u"1234567", -1},
      {u"12a", -1},
      {u"/", -1},
      {u":", -1},
      {std::u16string(u"1\0", 2), -1},
      {u"\uff11", -1},
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
      {u"123", TableKind::kCharacters, 64, 40},
      {u"1234", TableKind::kCharacters, 64, 40},
      {u"124", TableKind::kCharacters, 104, 0},
      {u"999", TableKind::kCharacters, 104, 7},
      {u"0", TableKind::kPhrases, 64, 100},
      {u"1", TableKind::kPhrases, 164, 0xFFFF0},
      {u"123456", TableKind::kPhrases, 164 + 0xFFFF0, 9},
      {u"124", TableKind::kPhrases, 164 + 0xFFFF0 + 9, 0},
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
      {u"12345", TableKind::kCharacters},   {u"123456", TableKind::kCharacters},
      {u"", TableKind::kCharacters},        {u"", TableKind::kPhrases},
      {u"1234567", TableKind::kCharacters}, {u"1234567", TableKind::kPhrases},
      {u"1x", TableKind::kPhrases},         {u"-1", TableKind::kCharacters},
  };
  for (const auto& [code, table] : refused) {
    std::int32_t offset = 0;
    std::uint32_t length = 0;
    EXPECT_EQ(store.FindBlock(code, table, &offset, &length), -1) << Utf16ToUtf8(code);
  }
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  EXPECT_EQ(store.FindBlock(u"12345", TableKind::kPhrases, &offset, &length), 0);
  // Without an index everything is refused.
  store.SelectCharset(kCht);
  ASSERT_FALSE(store.HasIndex());
  EXPECT_EQ(store.FindBlock(u"1", TableKind::kCharacters, &offset, &length), -1);
}

TEST_F(IndexTest, ShortIndexFailsLikeAMissingOne) {
  InstallIndex({{158, 40}}, {}, kMinIndexSize - 1);
  DictionaryStore store(&platform_);
  EXPECT_FALSE(store.HasIndex());
  // The failure is the store's result; the tool shows it (see the model).
  EXPECT_EQ(store.indexStatus().code(), Status::Code::kCorruption);
  EXPECT_TRUE(platform_.messages.empty());
  EXPECT_EQ(store.LoadIndex().code(), Status::Code::kCorruption);
  CandidateList list;
  EXPECT_EQ(store.LookupCharacters(u"123", list), -1);

  // Exactly 7324 bytes is enough; more is loaded and ignored.
  InstallIndex({{158, 40}}, {}, kMinIndexSize + 100);
  EXPECT_TRUE(store.LoadIndex().ok());
  InstallIndex({{158, 40}}, {}, kMinIndexSize);
  EXPECT_TRUE(store.LoadIndex().ok());
}

TEST_F(IndexTest, LoadFailuresNameTheIndexAndTheCause) {
  const struct {
    const char* name;
    size_t size;  // 0: no index installed
    bool failOpen;
    Status::Code code;
    const char* cause;
  } cases[] = {
      {"missing", 0, false, Status::Code::kNotFound, ": missing"},
      {"unreadable", kMinIndexSize, true, Status::Code::kCannotOpen, ": cannot open"},
      {"too short", kMinIndexSize - 1, false, Status::Code::kCorruption,
       ": damaged: too short: 7323 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(PathOf("lurm2008.idx").c_str());
    if (c.size > 0) InstallIndex({}, {}, c.size);
    platform_.failOpen =
        c.failOpen ? std::vector<std::string>{"lurm2008.idx"} : std::vector<std::string>{};
    DictionaryStore store(&platform_);
    ExpectStatus(store.indexStatus(), c.code, PathOf("lurm2008.idx") + c.cause);
    EXPECT_FALSE(store.HasIndex());
  }
  EXPECT_TRUE(platform_.messages.empty());
  platform_.failProgramFiles = true;
  EXPECT_EQ(DictionaryStore(&platform_).indexStatus().code(), Status::Code::kNotFound);
}

// A store made for one dictionary reads that one's files and no other's:
// not the simplified standard one's, which is not installed here.
TEST_F(IndexTest, StoreMadeForADictionaryOpensOnlyItsFiles) {
  InstallIndex({{158, 40}}, {}, kMinIndexSize, "cht_2002");
  platform_.opened.clear();
  const DictionaryId cht2002{Charset::kTraditional, Edition::k2002};
  DictionaryStore store(&platform_, cht2002);
  EXPECT_TRUE(store.HasIndex());
  EXPECT_TRUE(store.indexStatus().ok());
  EXPECT_TRUE(store.id() == cht2002);
  ASSERT_FALSE(platform_.opened.empty());
  for (const std::string& path : platform_.opened) {
    EXPECT_NE(path.find("cht_2002"), std::string::npos) << path;
  }
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(IndexTest, SelectCharsetReloadsOnlyOnChange) {
  InstallIndex({}, {}, kMinIndexSize, "chs");
  InstallIndex({}, {}, kMinIndexSize, "cht_2002");
  DictionaryStore store(&platform_);
  ASSERT_TRUE(platform_.messages.empty());
  platform_.opened.clear();

  EXPECT_TRUE(store.SelectCharset(kChs).ok());  // already current: no file access
  // Any edition digit but 1 is the standard edition: the same dictionary.
  EXPECT_TRUE(store.SelectCharset({Charset::kSimplified, EditionFromDigit(2)}).ok());
  EXPECT_TRUE(platform_.opened.empty());
  EXPECT_EQ(store.edition(), Edition::kStandard);

  // Any non-zero charset digit is the traditional set.
  EXPECT_TRUE(store.SelectCharset({CharsetFromDigit(5), EditionFromDigit(1)}).ok());
  // The index is read once, after a look for journals interrupted saves
  // may have left beside the tables.
  ASSERT_FALSE(platform_.opened.empty());
  EXPECT_EQ(platform_.opened.back(), PathOf("lurm2008.idx", "cht_2002"));
  for (size_t i = 0; i + 1 < platform_.opened.size(); ++i) {
    EXPECT_EQ(platform_.opened[i].substr(platform_.opened[i].size() - 8), ".journal");
  }
  EXPECT_TRUE(store.HasIndex());
  EXPECT_TRUE(platform_.messages.empty());

  // "cht" is not installed.
  EXPECT_EQ(store.SelectCharset(kCht).code(), Status::Code::kNotFound);
  EXPECT_FALSE(store.HasIndex());
  EXPECT_EQ(store.charset(), Charset::kTraditional);  // the pair asked for stays current
  EXPECT_EQ(store.edition(), Edition::kStandard);
  // Same pair: no retry, nothing to report again.
  const size_t opens = platform_.opened.size();
  EXPECT_TRUE(store.SelectCharset(kCht).ok());
  EXPECT_EQ(platform_.opened.size(), opens);
  EXPECT_TRUE(platform_.messages.empty());
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
    const DictionaryId id{CharsetFromDigit(c.charset), EditionFromDigit(c.edition)};
    EXPECT_EQ(a.ResolveDictionaryFolder(id, false), mb("C:\\Program Files (x86)", c.sub));
    EXPECT_EQ(a.ResolveDictionaryFolder(id, true), mb("C:\\Program Files", c.sub));
    EXPECT_EQ(b.ResolveDictionaryFolder(id, false), mb("C:\\Program Files", c.sub));
    EXPECT_EQ(b.ResolveDictionaryFolder(id, true), mb("C:\\Program Files", c.sub));
  }
  // Only the first "(" counts.
  TestPlatform odd;
  odd.SetProgramFilesFolder("/opt/Programs (a) (b)");
  DictionaryStore c(&odd);
  EXPECT_EQ(c.ResolveDictionaryFolder(kCht, true), mb("/opt/Programs", "cht"));
  // No Program Files folder: no path, and the index counts as missing.
  TestPlatform none;
  none.failProgramFiles = true;
  DictionaryStore d(&none);
  EXPECT_EQ(d.ResolveDictionaryFolder(kChs, false), "");
  EXPECT_EQ(d.LoadIndex().code(), Status::Code::kNotFound);
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
  EXPECT_FALSE(store.indexStatus().ok());  // the simplified edition is not installed
  EXPECT_TRUE(store.SelectCharset(kCht).ok());
  CandidateList list;
  EXPECT_EQ(store.LookupCharacters(u"1", list), 1);
  EXPECT_EQ(store.LookupPhrases(u"1", list), 1);
  EXPECT_EQ(list[0].Text(), u"一二");
}

}  // namespace
}  // namespace taliq::test
