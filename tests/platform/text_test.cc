// UTF-8 / UTF-16 conversion, and file names carried as bytes.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace taliq::test {
namespace {

TEST(TextTest, MalformedUtf8BecomesReplacementCharacters) {
  const struct {
    std::string in;
    std::u16string out;
  } cases[] = {
      {"abc", u"abc"},
      {"\xe4\xb8\x81", u"\u4e01"},
      {"\xf0\x9f\x98\x80", u"\U0001F600"},
      {"\xff", u"\ufffd"},
      {"\xc0\xaf", u"\ufffd\ufffd"},            // overlong "/"
      {"\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},  // a surrogate
      {"\xe4\xb8", u"\ufffd\ufffd"},            // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.in;
    EXPECT_EQ(IsValidUtf8(c.in), c.out.find(u'\ufffd') == std::u16string::npos) << c.in;
  }
  EXPECT_EQ(Utf16ToUtf8(u"a\xd800"
                        u"b"),
            "a\xef\xbf\xbd"
            "b");
}

TEST(TextTest, PathBytesComeBackUnchanged) {
  const std::string cases[] = {
      "plain/ascii",
      "\xe4\xb8\x81\xe4\xb8\x90",       // valid UTF-8
      "caf\xe9",                        // Latin-1
      "\xff\xfe\x80\xc0\xaf",           // nothing valid
      "\xed\xb2\x80",                   // an escape's own UTF-8 form
      "\xf0\x9f\x98\x80\xed\xa0\x80x",  // a pair, then a surrogate
      std::string("nul\0in", 6),
  };
  for (const std::string& bytes : cases) {
    const std::u16string wide = PathBytesToUtf16(bytes);
    EXPECT_EQ(Utf16ToPathBytes(wide), bytes);
    if (IsValidUtf8(bytes)) {
      EXPECT_EQ(wide, Utf8ToUtf16(bytes));
    }
  }
  // A lone surrogate that no byte stands for has no bytes of its own.
  EXPECT_EQ(Utf16ToPathBytes(u"\xd800"), "\xef\xbf\xbd");
  EXPECT_EQ(PathBytesToUtf16("\xe9"), u"\xdce9");
}

}  // namespace
}  // namespace taliq::test
