// The text form of a table: escapes, lines, and the walk that feeds a dump.
#include "dictionary/table_text.h"

#include <string>
#include <vector>

#include "dictionary/dictionary_index.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/entry_walk.h"
#include "gtest/gtest.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

struct EscapeCase {
  const char* name;
  std::u16string text;
  std::string field;
};

const EscapeCase kEscapeCases[] = {
    {"Plain", u"一二三", "一二三"},
    {"Empty", u"", ""},
    {"Backslash", u"a\\b", "a\\\\b"},
    {"TabLineFeedReturn", u"a\tb\nc\rd", "a\\tb\\nc\\rd"},
    {"OtherControls",
     std::u16string(u"a\x01"
                    u"b\x7F",
                    4),
     "a\\u0001b\\u007F"},
    {"Nul", std::u16string(1, u'\0'), "\\u0000"},
    {"SurrogatePairAsUtf8", u"\U0002A6A5", "\xF0\xAA\x9A\xA5"},
    {"LoneHighSurrogate", std::u16string(1, char16_t{0xD800}) + u"x", "\\uD800x"},
    {"LoneLowSurrogate", std::u16string(1, char16_t{0xDC00}), "\\uDC00"},
    {"HighSurrogateAtTheEnd", u"x" + std::u16string(1, char16_t{0xDBFF}), "x\\uDBFF"},
    {"NonCharacters", std::u16string{char16_t{0xFFFE}, char16_t{0xFFFF}}, "\\uFFFE\\uFFFF"},
    {"BackslashBeforeU", u"\\u0041", "\\\\u0041"},
};

TEST(TableTextTest, EscapesAndBack) {
  for (const EscapeCase& c : kEscapeCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EscapeText(c.text), c.field);
    std::u16string back;
    std::string error;
    ASSERT_TRUE(UnescapeText(c.field, &back, &error)) << error;
    EXPECT_EQ(back, c.text);
  }
}

TEST(TableTextTest, ReadsLowerCaseHex) {
  std::u16string text;
  std::string error;
  ASSERT_TRUE(UnescapeText("\\ud800\\u00e9", &text, &error)) << error;
  EXPECT_EQ(text, (std::u16string{char16_t{0xD800}, u'é'}));
}

struct BadField {
  const char* field;
  const char* error;
};

TEST(TableTextTest, RefusesBrokenEscapesAndNonUtf8) {
  const BadField kCases[] = {
      {"a\\", "lone backslash"},     {"\\x41", "unknown escape \\x"},
      {"\\u12", "four hexadecimal"}, {"\\u12G4", "four hexadecimal"},
      {"\xFF", "not UTF-8"},         {"\xED\xA0\x80", "not UTF-8"},
  };
  for (const BadField& c : kCases) {
    SCOPED_TRACE(c.field);
    std::u16string text;
    std::string error;
    EXPECT_FALSE(UnescapeText(c.field, &text, &error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(TableTextTest, FormatsAndParsesLines) {
  const std::uint16_t values[] = {1, 0, 65535};
  const std::string line = FormatTableLine("1000", 2, u"一\t", values);
  EXPECT_EQ(line, "1000\t2\t一\\t\t1 0 65535\n");
  TableLine parsed;
  std::string error;
  ASSERT_TRUE(ParseTableLine(std::string_view(line).substr(0, line.size() - 1), &parsed, &error))
      << error;
  EXPECT_EQ(parsed.code, "1000");
  EXPECT_EQ(parsed.position, 2);
  EXPECT_EQ(parsed.text, u"一\t");
  EXPECT_EQ(parsed.values, (std::vector<std::uint16_t>{1, 0, 65535}));

  EXPECT_EQ(FormatTableLine("-", 1, u"，", {}), "-\t1\t，\t\n");
  ASSERT_TRUE(ParseTableLine("-\t1\t，\t\r", &parsed, &error)) << error;
  EXPECT_EQ(parsed.text, u"，");
  EXPECT_TRUE(parsed.values.empty());
}

TEST(TableTextTest, RefusesMalformedLines) {
  const BadField kCases[] = {
      {"1000\t1\t一", "four tab-separated fields"},
      {"1000\t1\t一\t1 2 3\textra", "more than four"},
      {"1000\t\t一\t1 2 3", "position '' is not a number"},
      {"1000\t-1\t一\t1 2 3", "position '-1'"},
      {"1000\t1234567890\t一\t1", "position '1234567890'"},
      {"1000\t1\t一\t1  2", "single spaces"},
      {"1000\t1\t一\t1 65536", "0 to 65535"},
      {"1000\t1\t一\t1 x", "0 to 65535"},
      {"1000\t1\t一\t1 2 ", "end in a space"},
      {"1000\t1\t一\\\t1", "lone backslash"},
  };
  for (const BadField& c : kCases) {
    SCOPED_TRACE(c.field);
    TableLine parsed;
    std::string error;
    EXPECT_FALSE(ParseTableLine(c.field, &parsed, &error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(EntryWalkTest, BucketsOfPrefix) {
  EXPECT_EQ(BucketsOfPrefix(u"123456").count(), 1u);
  EXPECT_EQ(BucketsOfPrefix(u"1234").count(), 1u);
  EXPECT_TRUE(BucketsOfPrefix(u"1234").test(158));
  const BucketSet two = BucketsOfPrefix(u"12");
  EXPECT_EQ(two.count(), 11u);
  EXPECT_TRUE(two.test(154));  // "12" itself
  EXPECT_TRUE(two.test(155));  // "120"
  EXPECT_TRUE(two.test(164));  // "129"
  const BucketSet one = BucketsOfPrefix(u"9");
  // "9", "90"-"99" and "900"-"999"; buckets no code falls into are left out.
  EXPECT_EQ(one.count(), 111u);
  EXPECT_TRUE(one.test(1089) && one.test(1209));
  EXPECT_FALSE(one.test(1088));
  EXPECT_FALSE(one.test(1090));
  EXPECT_TRUE(BucketsOfPrefix(u"").none());
  EXPECT_TRUE(BucketsOfPrefix(u"1a").none());
}

// Every entry is visited, also those a lookup leaves out, and a group with
// no entries once at position 0.
TEST(EntryWalkTest, VisitsEveryEntryInFileOrder) {
  test::TempDir dir;
  const std::string folder = dir.MakeDirs("cht") + "/";
  DictionaryWriter w;
  const std::u16string longText(50, u'長');
  ASSERT_TRUE(w.AddPhrase(u"12345", {u"甲乙", {1, 2}}));
  ASSERT_TRUE(w.AddPhrase(u"12345", {longText, {3, 4}}));
  ASSERT_TRUE(w.AddPhrase(u"12345", {u"丙丁", {5, 6}}));
  ASSERT_TRUE(w.AddEmptyPhraseGroup(u"123"));
  ASSERT_TRUE(w.AddPhrase(u"9", {u"九", {7, 8}}));
  for (int i = 0; i < 301; ++i) {
    ASSERT_TRUE(w.AddCharacter(u"1", {static_cast<char16_t>(0x4E00 + i), {1, 2, 3}}));
  }
  std::string error;
  ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
  PortablePlatform platform;
  DictionaryIndex index;
  ASSERT_TRUE(index.Load(&platform, folder + kIndexFileName).ok());

  std::vector<std::string> seen;
  const auto record = [&](const WalkedEntry& e) {
    seen.push_back(std::string(e.code.begin(), e.code.end()) + " " + std::to_string(e.position) +
                   " " + std::to_string(e.text.size()) + " " + std::to_string(e.valueCount) + " " +
                   std::to_string(e.values[0]));
  };
  ASSERT_TRUE(WalkEntries(&platform, index, folder + kPhraseTableFileName, TableKind::kPhrases,
                          nullptr, record)
                  .ok());
  EXPECT_EQ(seen, (std::vector<std::string>{"12345 1 2 2 1", "12345 2 50 2 3", "12345 3 2 2 5",
                                            "123 0 0 0 0", "9 1 1 2 7"}));

  seen.clear();
  const BucketSet nine = BucketsOfPrefix(u"9");
  ASSERT_TRUE(WalkEntries(&platform, index, folder + kPhraseTableFileName, TableKind::kPhrases,
                          &nine, record)
                  .ok());
  EXPECT_EQ(seen, (std::vector<std::string>{"9 1 1 2 7"}));

  seen.clear();
  ASSERT_TRUE(WalkEntries(&platform, index, folder + kCharacterTableFileName,
                          TableKind::kCharacters, nullptr, record)
                  .ok());
  ASSERT_EQ(seen.size(), 301u);
  EXPECT_EQ(seen.back(), "1 301 1 3 1");
}

TEST(EntryWalkTest, StopsAtACutGroupAfterTheEntriesBeforeIt) {
  test::TempDir dir;
  const std::string folder = dir.MakeDirs("cht") + "/";
  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"1", {u'一', {1, 2, 3}}));
  ASSERT_TRUE(w.AddCharacter(u"1", {u'二', {1, 2, 3}}));
  std::string error;
  ASSERT_TRUE(w.WriteFolder(folder, &error)) << error;
  // Cut the table inside the second entry.
  std::vector<std::uint8_t> table = test::ReadBytes(folder + kCharacterTableFileName);
  table.resize(table.size() - 6);
  test::WriteBytes(folder + kCharacterTableFileName, table);
  PortablePlatform platform;
  DictionaryIndex index;
  ASSERT_TRUE(index.Load(&platform, folder + kIndexFileName).ok());
  int visited = 0;
  const Status s =
      WalkEntries(&platform, index, folder + kCharacterTableFileName, TableKind::kCharacters,
                  nullptr, [&](const WalkedEntry&) { ++visited; });
  EXPECT_TRUE(s.Is(Status::Code::kCorruption)) << s.message();
  EXPECT_EQ(visited, 1);
}

}  // namespace
}  // namespace taliq
