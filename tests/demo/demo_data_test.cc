// The demo generator's rules on small excerpts of the Unihan and OpenCC
// files, and one round trip through the writer and the store.
#include "demo/demo_data.h"

#include <algorithm>
#include <sstream>

#include "dictionary/dictionary_store.h"
#include "gtest/gtest.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::demo {
namespace {

TEST(FourCornerCodeTest, ParsesDigitsAndSupplement) {
  struct {
    const char* text;
    bool ok;
    const char* digits;
    int supplement;
  } const cases[] = {
      {"1022.7", true, "1022", 7},
      {"1000.0", true, "1000", 0},
      {"4071", true, "4071", kNoSupplement},
      {"1000.", false, "", 0},
      {"1000.x", false, "", 0},
      {"100", false, "", 0},
      {"10000", false, "", 0},
      {"10a0", false, "", 0},
      {"1022.77", false, "", 0},
      {"", false, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<FourCornerCode> code = ParseFourCornerCode(c.text);
    ASSERT_EQ(code.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(code->digits, c.digits);
      EXPECT_EQ(code->supplement, c.supplement);
    }
  }
}

// A small Unihan excerpt: comments, another field, a character beyond the
// BMP, two codes that differ only in the supplement, two distinct codes.
const char kUnihan[] =
    "# Unihan_DictionaryLikeData.txt\n"
    "U+4E00\tkCangjie\tM\n"
    "U+4E00\tkFourCornerCode\t1000.0\n"
    "U+4E01\tkFourCornerCode\t1020.0\r\n"
    "U+4E2B\tkFourCornerCode\t8020.7 8020.0\n"
    "U+4EED\tkFourCornerCode\t2722.0 2725.0\n"
    "U+20000\tkFourCornerCode\t1000.1\n"
    "U+4E03\tkFourCornerCode\tbogus\n"
    "U+4E00\tkFrequency\t1\n"
    "U+4E01\tkFrequency\t4\n";

Sources FromUnihan() {
  Sources s;
  std::istringstream a(kUnihan), b(kUnihan);
  ReadFourCornerCodes(a, &s);
  ReadFrequencies(b, &s);
  return s;
}

TEST(ReadFourCornerCodesTest, KeepsBmpCharactersAndDistinctCodes) {
  const Sources s = FromUnihan();
  ASSERT_EQ(s.characters.size(), 4u);  // not U+20000, not the bogus U+4E03
  EXPECT_EQ(s.characters.at(u'\u4E01').codes.size(), 1u);
  const auto& ya = s.characters.at(u'\u4E2B').codes;
  ASSERT_EQ(ya.size(), 1u);
  EXPECT_EQ(ya[0].supplement, 7);  // the first of the two readings
  const auto& two = s.characters.at(u'\u4EED').codes;
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].digits, "2722");
  EXPECT_EQ(two[1].digits, "2725");
  EXPECT_EQ(s.characters.at(u'\u4E00').frequency, 1);
  EXPECT_EQ(s.characters.at(u'\u4EED').frequency, kUnknownFrequency);
  EXPECT_EQ(s.rejectedLines, 1);
}

// 这 (simplified only), 這 (traditional only), 后 (both: OpenCC keeps it).
Sources WithScripts() {
  Sources s;
  std::istringstream unihan(
      "U+8FD9\tkFourCornerCode\t3030.3\n"
      "U+9019\tkFourCornerCode\t3030.1\n"
      "U+540E\tkFourCornerCode\t7226.1\n"
      "U+5F8C\tkFourCornerCode\t2224.7\n"
      "U+4E2A\tkFourCornerCode\t8020.0\n"
      "U+500B\tkFourCornerCode\t2620.0\n");
  ReadFourCornerCodes(unihan, &s);
  std::istringstream st("这\t這\n后\t后 後\n个\t個\n"), ts("這\t这\n後\t后\n個\t个\n");
  ReadConversionCharacters(st, true, &s);
  ReadConversionCharacters(ts, false, &s);
  std::istringstream stp("这个\t這個\n"), tsp("後這\t后这\n");
  ReadConversionPhrases(stp, true, &s);
  ReadConversionPhrases(tsp, false, &s);
  return s;
}

TEST(CharsetTest, SplitsByOpenCC) {
  const Sources s = WithScripts();
  struct {
    char16_t c;
    bool simplified;
    bool traditional;
  } const cases[] = {
      {u'这', true, false}, {u'這', false, true},  {u'后', true, true},
      {u'後', false, true}, {u'丁', false, false},  // no four-corner code here
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(std::u16string(1, c.c)));
    EXPECT_EQ(InCharset(s, c.c, Charset::kSimplified), c.simplified);
    EXPECT_EQ(InCharset(s, c.c, Charset::kTraditional), c.traditional);
  }
}

TEST(PhraseCodeTest, TakesDigitsOfTheFirstCharacters) {
  Sources s;
  std::istringstream unihan(
      "U+4E00\tkFourCornerCode\t1234.5\n"
      "U+4E01\tkFourCornerCode\t5678.0\n"
      "U+4E03\tkFourCornerCode\t9012 3456\n");
  ReadFourCornerCodes(unihan, &s);
  struct {
    std::u16string text;
    std::u16string code;
  } const cases[] = {
      {u"\u4E00\u4E01", u"123567"},             // 3 + 3 digits
      {u"\u4E01\u4E03", u"567901"},             // the primary code of 七
      {u"\u4E00\u4E01\u4E03", u"12569"},        // 2 + 2 + 1
      {u"\u4E03\u4E00\u4E01\u4E00", u"90125"},  // later characters ignored
      {u"\u4E00", u""},                         // one character: no phrase
      {u"\u4E00\u4E8C", u""},                   // 二 has no code here
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(PhraseCode(s, c.text), c.code);
  }
}

TEST(BuildEditionTest, PhrasesTakeTheirScriptsForm) {
  const Sources s = WithScripts();
  auto texts = [](const EditionData& d) {
    std::vector<std::u16string> out;
    for (const auto& g : d.phrases) {
      for (const auto& p : g.second) out.push_back(p.text);
    }
    std::sort(out.begin(), out.end());
    return out;
  };
  EXPECT_EQ(texts(BuildEdition(s, Charset::kSimplified, Edition::kStandard)),
            (std::vector<std::u16string>{u"后这", u"这个"}));
  EXPECT_EQ(texts(BuildEdition(s, Charset::kTraditional, Edition::kStandard)),
            (std::vector<std::u16string>{u"後這", u"這個"}));
}

TEST(BuildEditionTest, LeavesOutPhrasesOf50UnitsOrMore) {
  Sources s;
  std::istringstream unihan("U+4E00\tkFourCornerCode\t1000.0\n");
  ReadFourCornerCodes(unihan, &s);
  s.stPhrases.push_back({std::u16string(49, u'\u4E00'), {std::u16string(49, u'\u4E00')}});
  s.stPhrases.push_back({std::u16string(50, u'\u4E00'), {std::u16string(50, u'\u4E00')}});
  const EditionData d = BuildEdition(s, Charset::kSimplified, Edition::kStandard);
  ASSERT_EQ(d.phrases.size(), 1u);
  EXPECT_EQ(d.phrases[0].first, u"10101");
  ASSERT_EQ(d.phrases[0].second.size(), 1u);
  EXPECT_EQ(d.phrases[0].second[0].text.size(), 49u);
  EXPECT_EQ(d.droppedPhrases, 1);
}

// Four characters of code 1000 that the two editions order differently.
Sources OrderingSources() {
  Sources s;
  std::istringstream unihan(
      "U+4E00\tkFourCornerCode\t1000.9\n"  // frequency 2, 9 strokes
      "U+4E01\tkFourCornerCode\t1000.1\n"  // frequency 2, 3 strokes
      "U+4E02\tkFourCornerCode\t1000\n"    // frequency 1, 5 strokes
      "U+4E03\tkFourCornerCode\t1000.0\n"  // no frequency, strokes unknown
      "U+4E00\tkFrequency\t2\n"
      "U+4E01\tkFrequency\t2\n"
      "U+4E02\tkFrequency\t1\n");
  ReadFourCornerCodes(unihan, &s);
  std::istringstream again(unihan.str());
  ReadFrequencies(again, &s);
  std::istringstream strokes(
      "U+4E00\tkTotalStrokes\t9\n"
      "U+4E01\tkTotalStrokes\t3 4\n"
      "U+4E02\tkTotalStrokes\t5\n");
  ReadStrokeCounts(strokes, &s);
  return s;
}

std::u16string Order(const EditionData& d) {
  std::u16string out;
  for (const auto& c : d.characters.at(0).second) out += c.character;
  return out;
}

TEST(BuildEditionTest, EditionsOrderCharactersDifferently) {
  const Sources s = OrderingSources();
  const EditionData standard = BuildEdition(s, Charset::kSimplified, Edition::kStandard);
  ASSERT_EQ(standard.characters.size(), 1u);
  // Frequency class, then supplementary corner, then code point.
  EXPECT_EQ(Order(standard), u"\u4E02\u4E01\u4E00\u4E03");
  // Strokes, unknown counts last.
  EXPECT_EQ(Order(BuildEdition(s, Charset::kSimplified, Edition::k2002)),
            u"\u4E01\u4E02\u4E00\u4E03");
  // Values: frequency class, supplement, strokes.
  const CharacterCandidate& first = standard.characters[0].second[0];
  EXPECT_EQ(first.values, (std::array<std::uint16_t, 3>{1, kNoSupplement, 5}));
  const CharacterCandidate& last = standard.characters[0].second[3];
  EXPECT_EQ(last.values, (std::array<std::uint16_t, 3>{kUnknownFrequency, 0, 0}));
}

TEST(BuildEditionTest, EveryMarkIsAFullWidthOrCjkMarkOnce) {
  for (Charset charset : {Charset::kSimplified, Charset::kTraditional}) {
    const EditionData d = BuildEdition(Sources(), charset, Edition::kStandard);
    std::vector<char16_t> marks = d.punctuation;
    ASSERT_FALSE(marks.empty());
    std::sort(marks.begin(), marks.end());
    EXPECT_EQ(std::adjacent_find(marks.begin(), marks.end()), marks.end());
    for (char16_t m : marks) EXPECT_GE(m, 0x00B7);  // nothing of ASCII
  }
  EXPECT_EQ(BuildEdition(Sources(), Charset::kTraditional, Edition::kStandard).punctuation.at(7),
            u'「');
  EXPECT_EQ(BuildEdition(Sources(), Charset::kSimplified, Edition::kStandard).punctuation.at(7),
            u'“');
}

// The generated folder read back by the production store.
TEST(DemoRoundTripTest, StoreListsTheEditionInItsOrder) {
  const Sources s = OrderingSources();
  const EditionData d = BuildEdition(s, Charset::kTraditional, Edition::k2002);
  DictionaryWriter writer;
  std::string error;
  ASSERT_TRUE(AddToWriter(d, &writer, &error)) << error;
  test::TempDir dir;
  const std::string folder = dir.MakeDirs("pf/lurm/rozevuv_cht/mb/cht_2002");
  ASSERT_TRUE(writer.WriteFolder(folder + "/", &error)) << error;

  test::TestPlatform platform;
  platform.SetProgramFilesFolder(dir.Join("pf"));
  DictionaryStore store(&platform);
  store.SelectCharset({Charset::kTraditional, Edition::k2002});
  CandidateList list;
  ASSERT_EQ(store.LookupCharacters(u"1000", list), 4);
  std::u16string got;
  for (int i = 0; i < 4; ++i) got += list[static_cast<size_t>(i)].Text();
  EXPECT_EQ(got, Order(d));
  EXPECT_EQ(list[0].values[2], 3);  // 丁's stroke count
}

}  // namespace
}  // namespace taliq::demo
