// The orders file: what the writer writes, what the reader accepts in each
// encoding, malformed lines with their line numbers, refused files.
#include "orders/orders_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/orders/dictionary_ids.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"

namespace taliq::test {
namespace {

GroupKey Key(DictionaryId d, OrderTable t, std::string code) { return GroupKey{d, t, code}; }

OrdersSink StringSink(std::string* out) {
  return [out](std::string_view text) {
    *out += text;
    return Status::Ok();
  };
}

std::string Utf16Le(std::string_view utf8, bool bom) {
  std::string bytes = bom ? "\xFF\xFE" : "";
  for (char16_t u : Utf8ToUtf16(utf8)) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

struct ReadResult {
  Status status;
  std::vector<OrdersLine> lines;
  std::vector<MalformedOrdersLine> malformed;
  TextEncoding encoding = TextEncoding::kUnknown;
};

// Feeds the bytes whole, or one byte at a time.
ReadResult Read(std::string_view bytes, bool byteByByte = false) {
  ReadResult r;
  OrdersReader reader("orders.txt", [&](OrdersLine&& line) { r.lines.push_back(line); });
  if (byteByByte) {
    for (char c : bytes) reader.Feed(std::string_view(&c, 1));
  } else {
    reader.Feed(bytes);
  }
  r.status = reader.Finish();
  r.malformed = reader.malformed();
  r.encoding = reader.encoding();
  return r;
}

const char kFile[] =
    "# taliq-orders 1\n"
    "# exported 2026-12-10\n"
    "cht\tcharacters\t1020\t亍 丁 丐 歹\n"
    "chs-2002\tphrases\t101021\ta\\sb c\\\\d\n"
    "cht\tpunctuation\t-\t。 ，\n";

void ExpectFileLines(const std::vector<OrdersLine>& lines) {
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].group, Key(kCht, OrderTable::kCharacters, "1020"));
  EXPECT_EQ(lines[0].order, (TextOrder{u"亍", u"丁", u"丐", u"歹"}));
  EXPECT_EQ(lines[0].lineNumber, 3);
  EXPECT_EQ(lines[1].group, Key(kChs2002, OrderTable::kPhrases, "101021"));
  EXPECT_EQ(lines[1].order, (TextOrder{u"a b", u"c\\d"}));
  EXPECT_EQ(lines[2].group, Key(kCht, OrderTable::kPunctuation, "-"));
  EXPECT_EQ(lines[2].order, (TextOrder{u"。", u"，"}));
  EXPECT_EQ(lines[2].lineNumber, 5);
}

TEST(OrdersWriterTest, WritesTheFile) {
  std::string out;
  const std::vector<std::string> comments = {"exported 2026-12-10"};
  ASSERT_TRUE(WriteOrdersHeader(StringSink(&out), comments).ok());
  ASSERT_TRUE(WriteOrdersLine(StringSink(&out), Key(kCht, OrderTable::kCharacters, "1020"),
                              {u"亍", u"丁", u"丐", u"歹"})
                  .ok());
  ASSERT_TRUE(WriteOrdersLine(StringSink(&out), Key(kChs2002, OrderTable::kPhrases, "101021"),
                              {u"a b", u"c\\d"})
                  .ok());
  ASSERT_TRUE(
      WriteOrdersLine(StringSink(&out), Key(kCht, OrderTable::kPunctuation, "-"), {u"。", u"，"})
          .ok());
  EXPECT_EQ(out, kFile);
}

TEST(OrdersWriterTest, Refusals) {
  const struct {
    GroupKey group;
    TextOrder order;
    const char* message;
  } cases[] = {
      {Key(kCht, OrderTable::kCharacters, "12345"),
       {u"a"},
       "cannot write the order of cht characters 12345: \"12345\" is not a code of that table"},
      {Key(kCht, OrderTable::kPunctuation, ""),
       {u"a"},
       "cannot write the order of cht punctuation : \"\" is not a code of that table"},
      {Key(kCht, OrderTable::kPhrases, "1234567"),
       {u"a"},
       "cannot write the order of cht phrases 1234567: \"1234567\" is not a code of that table"},
      {Key(kCht, OrderTable::kPhrases, "12"),
       {u"一", u"二", u"一"},
       "cannot write the order of cht phrases 12: \"一\" is listed twice"},
      {Key(kCht, OrderTable::kPhrases, "12"),
       {},
       "cannot write the order of cht phrases 12: the order holds no text"},
      {Key(kCht, OrderTable::kPhrases, "12"),
       {u"a", u""},
       "cannot write the order of cht phrases 12: text 2 of the order is empty"},
  };
  for (const auto& c : cases) {
    std::string out;
    const Status s = WriteOrdersLine(StringSink(&out), c.group, c.order);
    EXPECT_TRUE(s.Is(Status::Code::kRefused));
    EXPECT_EQ(s.message(), c.message);
    EXPECT_EQ(out, "") << c.message;
  }
  std::string out;
  const std::vector<std::string> comments = {"two\nlines"};
  EXPECT_TRUE(WriteOrdersHeader(StringSink(&out), comments).Is(Status::Code::kRefused));
  // A failing sink ends the writing with its own status.
  const OrdersSink full = [](std::string_view) { return Status::IoError("out.txt", "disk full"); };
  EXPECT_EQ(WriteOrdersLine(full, Key(kCht, OrderTable::kCharacters, "1"), {u"a"}).message(),
            "out.txt: disk full");
}

TEST(OrdersReaderTest, EveryAcceptedEncoding) {
  const std::string utf8 = kFile;
  std::string crlf;
  for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const struct {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  } cases[] = {
      {"UTF-8", utf8, TextEncoding::kUtf8},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, TextEncoding::kUtf8Bom},
      {"UTF-8, CRLF", crlf, TextEncoding::kUtf8},
      {"UTF-8 with BOM, CRLF", "\xEF\xBB\xBF" + crlf, TextEncoding::kUtf8Bom},
      {"UTF-16LE with BOM", Utf16Le(utf8, true), TextEncoding::kUtf16Le},
      {"UTF-16LE with BOM, CRLF", Utf16Le(crlf, true), TextEncoding::kUtf16Le},
      {"no line break at the end", utf8.substr(0, utf8.size() - 1), TextEncoding::kUtf8},
  };
  for (const auto& c : cases) {
    for (bool byteByByte : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (byteByByte ? ", byte by byte" : ", whole"));
      const ReadResult r = Read(c.bytes, byteByByte);
      ASSERT_TRUE(r.status.ok()) << r.status.message();
      EXPECT_TRUE(r.malformed.empty());
      EXPECT_EQ(r.encoding, c.encoding);
      ExpectFileLines(r.lines);
    }
  }
}

TEST(OrdersReaderTest, MalformedLinesWithTheirLineNumbers) {
  const std::string file =
      "# taliq-orders 1\n"                     // 1
      "# comment\n"                            // 2
      "\n"                                     // 3
      "cht\tcharacters\t1\ta b\n"              // 4: good
      "cht\tcharacters\t1\n"                   // 5
      "cht\tcharacters\t1\ta\tb\n"             // 6
      "cht-1999\tcharacters\t2\ta\n"           // 7
      "cht\twords\t2\ta\n"                     // 8
      "cht\tcharacters\t12345\ta\n"            // 9
      "cht\tphrases\t1234567\ta\n"             // 10
      "cht\tphrases\t12a\ta\n"                 // 11
      "cht\tpunctuation\t1\ta\n"               // 12
      "cht\tphrases\t2\t\n"                    // 13
      "cht\tphrases\t2\ta  b\n"                // 14
      "cht\tphrases\t2\ta b a\n"               // 15
      "cht\tphrases\t2\ta\\q\n"                // 16
      "cht\tphrases\t2\t\xFF\n"                // 17
      "cht\tcharacters\t1\tb a\n"              // 18: group of line 4
      "# comments and empty lines anywhere\n"  // 19
      "cht-2002\tphrases\t123456\tx\n";        // 20: good
  const ReadResult r = Read(file);
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].lineNumber, 4);
  EXPECT_EQ(r.lines[1].lineNumber, 20);
  EXPECT_EQ(r.lines[1].group, Key(DictionaryId{Charset::kTraditional, Edition::k2002},
                                  OrderTable::kPhrases, "123456"));
  const std::vector<std::pair<int, std::string>> expected = {
      {5, "expected 4 fields separated by tabs, found 3"},
      {6, "expected 4 fields separated by tabs, found more"},
      {7, "unknown dictionary \"cht-1999\" (known: cht, cht-2002, chs, chs-2002)"},
      {8, "unknown table \"words\" (known: characters, phrases, punctuation)"},
      {9, "code \"12345\" is not 1-4 digits (characters)"},
      {10, "code \"1234567\" is not 1-6 digits (phrases)"},
      {11, "code \"12a\" is not 1-6 digits (phrases)"},
      {12, "code \"1\" is not \"-\" (punctuation)"},
      {13, "the order holds no text"},
      {14, "an empty text in the order (texts are separated by exactly one space)"},
      {15, "\"a\" is listed twice"},
      {16, "unknown escape \\q (known: \\s \\t \\n \\r \\\\)"},
      {17, "the order is not valid UTF-8"},
      {18, "cht characters 1 is already given on line 4"},
  };
  std::vector<std::pair<int, std::string>> got;
  for (const MalformedOrdersLine& m : r.malformed) got.emplace_back(m.lineNumber, m.reason);
  EXPECT_EQ(got, expected);
}

TEST(OrdersReaderTest, BrokenUtf16Lines) {
  std::string bytes = Utf16Le("# taliq-orders 1\ncht\tcharacters\t1\ta", true);
  bytes += std::string("\x00\xD8", 2);  // a high surrogate followed by a line break
  bytes += Utf16Le("\ncht\tcharacters\t2\tb\ncht\tcharacters\t3\tc\n", false);
  bytes += "x";  // a lone last byte
  const ReadResult r = Read(bytes);
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].group.code, "2");
  std::vector<int> lines;
  for (const MalformedOrdersLine& m : r.malformed) {
    lines.push_back(m.lineNumber);
    EXPECT_EQ(m.reason, "not valid UTF-16 text (an unpaired surrogate or a lone byte)");
  }
  EXPECT_EQ(lines, (std::vector<int>{2, 5}));
}

TEST(OrdersReaderTest, FilesThatAreRefused) {
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {"",
       "orders.txt: not an orders file: it is empty (the first line must be \"# taliq-orders "
       "1\")"},
      {"\xEF\xBB\xBF",
       "orders.txt: not an orders file: it is empty (the first line must be "
       "\"# taliq-orders 1\")"},
      {"cht\tcharacters\t1\ta\n",
       "orders.txt: not an orders file: the first line is not \"# taliq-orders 1\""},
      {"# taliq-orders\ncht\tcharacters\t1\ta\n",
       "orders.txt: not an orders file: the first line is not \"# taliq-orders 1\""},
      {"# taliq-orders 2\ncht\tcharacters\t1\ta\n",
       "orders.txt: orders file version \"2\" is not read (this tool reads version 1)"},
      {Utf16Le("# taliq-orders 1\ncht\tcharacters\t1\ta\n", false),
       "orders.txt: not an orders file: its first line holds NUL bytes (UTF-16 text needs a byte "
       "order mark)"},
      {"\xFE\xFF" + std::string("\0#", 2),
       "orders.txt: UTF-16 big-endian text is not read; save the file as UTF-8 or as UTF-16 "
       "little-endian (\"Unicode\")"},
  };
  for (const auto& c : cases) {
    for (bool byteByByte : {false, true}) {
      const ReadResult r = Read(c.bytes, byteByByte);
      EXPECT_TRUE(r.status.Is(Status::Code::kRefused)) << c.message;
      EXPECT_EQ(r.status.message(), c.message);
      EXPECT_TRUE(r.lines.empty()) << c.message;
      EXPECT_TRUE(r.malformed.empty()) << c.message;
    }
  }
}

TEST(OrdersFileTest, WrittenFileReadsBack) {
  TempDir tmp;
  TestPlatform platform;
  const std::string path = tmp.Join("orders.txt");
  WriteBytes(path, std::vector<std::uint8_t>(std::begin(kFile), std::end(kFile) - 1));
  std::vector<OrdersLine> lines;
  std::vector<MalformedOrdersLine> malformed;
  ASSERT_TRUE(ReadOrdersFile(
                  &platform, path, [&](OrdersLine&& l) { lines.push_back(l); }, &malformed)
                  .ok());
  EXPECT_TRUE(malformed.empty());
  ExpectFileLines(lines);
  const Status missing = ReadOrdersFile(
      &platform, tmp.Join("none.txt"), [](OrdersLine&&) {}, &malformed);
  EXPECT_TRUE(missing.Is(Status::Code::kNotFound));
  EXPECT_EQ(missing.message(), tmp.Join("none.txt") + ": missing");
}

}  // namespace
}  // namespace taliq::test
