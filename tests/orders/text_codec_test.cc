// Orders as text: escapes both ways, and what a field may not hold.
#include "orders/text_codec.h"

#include <gtest/gtest.h>

namespace taliq {
namespace {

TEST(TextCodecTest, FormatAndParseBack) {
  const struct {
    TextOrder order;
    std::string field;
  } cases[] = {
      {{u"丁", u"丐", u"歹"}, "丁 丐 歹"},
      {{u"a b", u"tab\there", u"back\\slash"}, "a\\sb tab\\there back\\\\slash"},
      {{u"line\nbreak", u"cr\rlf\n", u" "}, "line\\nbreak cr\\rlf\\n \\s"},
      {{u"\\s"}, "\\\\s"},  // a backslash followed by an s stays two characters
      {{u"𠀀", u"。"}, "\xF0\xA0\x80\x80 \xE3\x80\x82"},  // a supplementary character
  };
  for (const auto& c : cases) {
    std::string field, reason;
    ASSERT_TRUE(FormatTextOrder(c.order, &field, &reason)) << c.field << ": " << reason;
    EXPECT_EQ(field, c.field);
    TextOrder back;
    ASSERT_TRUE(ParseTextOrder(field, &back, &reason)) << c.field << ": " << reason;
    EXPECT_EQ(back, c.order) << c.field;
  }
}

TEST(TextCodecTest, OrdersThatCannotBeWritten) {
  const struct {
    TextOrder order;
    const char* reason;
  } cases[] = {
      {{}, "the order holds no text"},
      {{u"a", u""}, "text 2 of the order is empty"},
      {{u"a", std::u16string(1, u'\xD800')},
       "text 2 of the order holds an unpaired UTF-16 surrogate"},
      {{std::u16string(1, u'\xDC00') + u"x"},
       "text 1 of the order holds an unpaired UTF-16 surrogate"},
  };
  for (const auto& c : cases) {
    std::string field, reason;
    EXPECT_FALSE(FormatTextOrder(c.order, &field, &reason)) << c.reason;
    EXPECT_EQ(reason, c.reason);
  }
}

TEST(TextCodecTest, FieldsThatDoNotParse) {
  const struct {
    std::string field;
    const char* reason;
  } cases[] = {
      {"", "the order holds no text"},
      {"a  b", "an empty text in the order (texts are separated by exactly one space)"},
      {" a", "an empty text in the order (texts are separated by exactly one space)"},
      {"a ", "an empty text in the order (texts are separated by exactly one space)"},
      {"a\\x", "unknown escape \\x (known: \\s \\t \\n \\r \\\\)"},
      {"a\\", "a backslash ends a text (write a backslash as \\\\)"},
      {"a\rb", "a carriage return inside the order (write it as \\r)"},
      {"\xE4\xB8", "the order is not valid UTF-8"},          // cut short
      {"\xC0\xAF", "the order is not valid UTF-8"},          // overlong
      {"\xED\xA0\x80", "the order is not valid UTF-8"},      // a surrogate
      {"\xF4\x90\x80\x80", "the order is not valid UTF-8"},  // beyond U+10FFFF
      {"ok \xFF", "the order is not valid UTF-8"},
  };
  for (const auto& c : cases) {
    TextOrder order;
    std::string reason;
    EXPECT_FALSE(ParseTextOrder(c.field, &order, &reason)) << c.field;
    EXPECT_EQ(reason, c.reason) << c.field;
  }
}

}  // namespace
}  // namespace taliq
