// The writer that builds dictionary folders: exact layout, refusals, and a
// round trip through the store on many codes.
#include <map>
#include <random>

#include "tests/dictionary/store_test_util.h"

namespace taliq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PackDigitsTest, Cases) {
  const std::pair<std::u16string, std::array<std::uint8_t, 3>> cases[] = {
      {u"1", {0x1F, 0xFF, 0xFF}},     {u"12", {0x12, 0xFF, 0xFF}},
      {u"123", {0x12, 0x3F, 0xFF}},   {u"0000", {0x00, 0x00, 0xFF}},
      {u"98765", {0x98, 0x76, 0x5F}}, {u"123456", {0x12, 0x34, 0x56}},
  };
  for (const auto& [code, packed] : cases) {
    EXPECT_EQ(PackDigits(code), packed) << Utf16ToUtf8(code);
    char16_t text[7];
    EXPECT_EQ(UnpackDigits(packed.data(), text), static_cast<int>(code.size()) + 1);
    EXPECT_EQ(std::u16string(text), code);
  }
}

TEST(DictionaryWriterTest, RefusesWhatWouldBreakATable) {
  DictionaryWriter w;
  for (const std::u16string code : {u"", u"12345", u"1234567", u"12a", u"\uff11"}) {
    EXPECT_FALSE(w.AddCharacter(code, {u'一', {0, 0, 0}})) << Utf16ToUtf8(code);
    EXPECT_FALSE(w.AddEmptyCharacterGroup(code)) << Utf16ToUtf8(code);
  }
  for (const std::u16string code : {u"", u"1234567", u"x"}) {
    EXPECT_FALSE(w.AddPhrase(code, {u"一二", {0, 0}})) << Utf16ToUtf8(code);
    EXPECT_FALSE(w.AddEmptyPhraseGroup(code)) << Utf16ToUtf8(code);
  }
  // Units that would end a group or a text where the scans do not expect it.
  EXPECT_FALSE(w.AddCharacter(u"1", {0xFFFF, {0, 0, 0}}));
  EXPECT_FALSE(w.AddCharacter(u"1", {0, {0, 0, 0}}));
  EXPECT_FALSE(w.AddCharacter(u"1", {u'一', {0, 0xFFFF, 0}}));
  EXPECT_FALSE(w.AddPhrase(u"1", {std::u16string(u"一\0二", 3), {0, 0}}));
  EXPECT_FALSE(w.AddPhrase(u"1", {u"\uffff二", {0, 0}}));
  EXPECT_FALSE(w.AddPhrase(u"1", {u"一\uffff", {0, 0}}));
  // Nothing of the refused entries reached the tables.
  EXPECT_EQ(w.CharacterTableBytes(), Bytes(64, 0));
  EXPECT_EQ(w.PhraseTableBytes(), Bytes(64, 0));
  EXPECT_EQ(w.IndexBytes(), Bytes(kMinIndexSize, 0));
  // Phrase values may be anything; so may a six-digit phrase code.
  EXPECT_TRUE(w.AddPhrase(u"123456", {u"一二", {0xFFFF, 0}}));
}

TEST(DictionaryWriterTest, ExactBytes) {
  DictionaryWriter w;
  ASSERT_TRUE(w.AddCharacter(u"12", {u'\u4e01', {1, 2, 3}}));
  ASSERT_TRUE(w.AddCharacter(u"1", {u'\u4e02', {0x0504, 0, 0}}));
  ASSERT_TRUE(w.AddEmptyCharacterGroup(u"1234"));
  ASSERT_TRUE(w.AddCharacter(u"123", {u'\u4e03', {0, 0, 9}}));
  ASSERT_TRUE(w.AddCharacter(u"12", {u'\u4e04', {7, 0, 0}}));  // joins the first group
  ASSERT_TRUE(w.AddPhrase(u"123456", {u"\u4e01\u4e02", {0x0201, 0x0403}}));
  ASSERT_TRUE(w.AddPhrase(u"123456", {u"", {0, 0}}));
  w.AddPunctuation(0x3002);
  w.AddPunctuation(0xFF0C);

  Bytes chars(64, 0);
  const Bytes block121 = {0x1F, 0xFF, 0xFF, 0x02, 0x4E, 0x04, 0x05, 0, 0, 0, 0, 0xFF, 0xFF};
  const Bytes block154 = {0x12, 0xFF, 0xFF, 0x01, 0x4E, 1, 0, 2, 0,    3,   0,
                          0x04, 0x4E, 7,    0,    0,    0, 0, 0, 0xFF, 0xFF};
  // "1234" was added before "123": groups of a block keep that order.
  const Bytes block158 = {0x12, 0x34, 0xFF, 0xFF, 0xFF, 0x12, 0x3F, 0xFF, 0x03,
                          0x4E, 0,    0,    0,    0,    9,    0,    0xFF, 0xFF};
  for (const Bytes* b : {&block121, &block154, &block158})
    chars.insert(chars.end(), b->begin(), b->end());
  EXPECT_EQ(w.CharacterTableBytes(), chars);

  Bytes phrases(64, 0);
  const Bytes block158p = {0x12, 0x34, 0x56, 0x01, 0x4E, 0x02, 0x4E, 0, 0,    0x01, 0x02,
                           0x03, 0x04, 0,    0,    0,    0,    0,    0, 0xFF, 0xFF};
  phrases.insert(phrases.end(), block158p.begin(), block158p.end());
  EXPECT_EQ(w.PhraseTableBytes(), phrases);

  Bytes index(kMinIndexSize, 0);
  EncodeFixed16(index.data() + 64 + 2 * 121, static_cast<std::uint16_t>(block121.size()));
  EncodeFixed16(index.data() + 64 + 2 * 154, static_cast<std::uint16_t>(block154.size()));
  EncodeFixed16(index.data() + 64 + 2 * 158, static_cast<std::uint16_t>(block158.size()));
  EncodeFixed32(index.data() + 2484 + 4 * 158, static_cast<std::uint32_t>(block158p.size()));
  EXPECT_EQ(w.IndexBytes(), index);
  EXPECT_EQ(w.PunctuationBytes(), (Bytes{0x02, 0x30, 0x20, 0x00, 0x0C, 0xFF, 0x20, 0x00}));

  TempDir tmp;
  std::string error;
  ASSERT_TRUE(w.WriteFolder(tmp.path(), &error)) << error;
  EXPECT_EQ(ReadBytes(tmp.Join("lurm2008.idx")), index);
  EXPECT_EQ(ReadBytes(tmp.Join("lurmsmz.mb")), chars);
  EXPECT_EQ(ReadBytes(tmp.Join("lurmsmc.mb")), phrases);
  EXPECT_EQ(ReadBytes(tmp.Join("Pround.dat")), w.PunctuationBytes());
}

TEST(DictionaryWriterTest, CharacterBlockOverTheIndexLimit) {
  // 3 + 8 * 8191 + 2 = 65533 bytes fit the 16-bit length; one more entry not.
  DictionaryWriter w;
  for (int i = 0; i < 8191; ++i) ASSERT_TRUE(w.AddCharacter(u"4", {u'一', {0, 0, 0}}));
  EXPECT_EQ(w.IndexBytes().size(), kMinIndexSize);
  ASSERT_TRUE(w.AddCharacter(u"4", {u'一', {0, 0, 0}}));
  EXPECT_TRUE(w.IndexBytes().empty());
  EXPECT_TRUE(w.CharacterTableBytes().empty());
  TempDir tmp;
  std::string error;
  EXPECT_FALSE(w.WriteFolder(tmp.path(), &error));
  EXPECT_NE(error.find("65535"), std::string::npos) << error;
  EXPECT_NE(error.find("\"4\""), std::string::npos) << error;
  EXPECT_FALSE(FileExists(tmp.Join("lurm2008.idx")));
  EXPECT_FALSE(w.WriteFolder(tmp.Join("missing/folder"), &error));
}

class WriterRoundTripTest : public StoreTest {};

TEST_F(WriterRoundTripTest, EveryCodeReadsBackAsAdded) {
  // Thousands of random codes and entries, in random order of addition.
  std::mt19937 rng(20240611);
  std::map<std::u16string, std::vector<CharacterEntry>> chars;
  std::map<std::u16string, std::vector<PhraseEntry>> phrases;
  DictionaryWriter w;
  auto randomCode = [&](int maxDigits) {
    std::u16string code(static_cast<size_t>(1 + rng() % static_cast<unsigned>(maxDigits)), u'0');
    for (char16_t& c : code) c = static_cast<char16_t>(u'0' + rng() % 10);
    return code;
  };
  auto value = [&] { return static_cast<std::uint16_t>(rng() % 0xFFFF); };
  for (int i = 0; i < 20000; ++i) {
    const std::u16string code = randomCode(4);
    CharacterEntry e{static_cast<char16_t>(0x4E00 + rng() % 0x5000), {value(), value(), value()}};
    if (chars[code].size() < 300) {
      ASSERT_TRUE(w.AddCharacter(code, e));
      chars[code].push_back(e);
    }
  }
  for (int i = 0; i < 20000; ++i) {
    const std::u16string code = randomCode(6);
    PhraseEntry e{
        PhraseText(static_cast<int>(rng() % 8), static_cast<char16_t>(0x4E00 + rng() % 0x5000)),
        {static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng())}};
    if (phrases[code].size() < 300) {
      ASSERT_TRUE(w.AddPhrase(code, e));
      phrases[code].push_back(e);
    }
  }
  Install(w);
  DictionaryStore store(&platform_);
  CandidateList list{};
  for (const auto& [code, entries] : chars) {
    ASSERT_EQ(store.LookupCharacters(code, list), static_cast<int>(entries.size()))
        << Utf16ToUtf8(code);
    for (size_t k = 0; k < entries.size(); ++k) {
      ASSERT_EQ(list[k].text[0], entries[k].character);
      ASSERT_EQ(list[k].values[2], entries[k].values[2]);
    }
  }
  for (const auto& [code, entries] : phrases) {
    ASSERT_EQ(store.LookupPhrases(code, list), static_cast<int>(entries.size()))
        << Utf16ToUtf8(code);
    for (size_t k = 0; k < entries.size(); ++k) {
      ASSERT_EQ(list[k].Text(), entries[k].text);
      ASSERT_EQ(list[k].values[1], entries[k].values[1]);
    }
  }
}

}  // namespace
}  // namespace taliq::test
