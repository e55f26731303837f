// Reading the text form of the tables into the dictionary writer: the order
// it lays the entries out in, and every line it refuses.
#include "dictionary/table_compile.h"

#include <string>
#include <vector>

#include "dictionary/dictionary_writer.h"
#include "gtest/gtest.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

struct Compiled {
  Status status;
  std::vector<CompileProblem> problems;
  int count = 0;
};

Compiled Compile(const std::string& text, TextTable table, DictionaryWriter* writer) {
  test::TempDir dir;
  const std::string path = dir.Join("table.tsv");
  test::WriteText(path, text);
  PortablePlatform platform;
  Compiled c;
  c.status = CompileTableText(
      &platform, path, table, writer, [&](const CompileProblem& p) { c.problems.push_back(p); },
      &c.count);
  return c;
}

// The table's bytes as a writer given the entries directly lays them out.
TEST(TableCompileTest, LaysOutEntriesByPositionAndCodesByFirstAppearance) {
  DictionaryWriter fromText;
  const Compiled c = Compile(
      "\xEF\xBB\xBF"  // a byte order mark, as some editors write it
      "1000\t2\t丌\t5 0 3\r\n"
      "12\t1\t七\t2 1 2\n"
      "\n"
      "1000\t1\t一\t1 0 1\n"
      "1001\t0\t\t\n"
      "1000\t7\t丁\t9 9 9",  // no line feed at the end
      TextTable::kCharacters, &fromText);
  ASSERT_TRUE(c.status.ok()) << c.status.message();
  EXPECT_TRUE(c.problems.empty()) << c.problems[0].problem;

  DictionaryWriter direct;
  ASSERT_TRUE(direct.AddCharacter(u"1000", {u'一', {1, 0, 1}}));
  ASSERT_TRUE(direct.AddCharacter(u"1000", {u'丌', {5, 0, 3}}));
  ASSERT_TRUE(direct.AddCharacter(u"1000", {u'丁', {9, 9, 9}}));
  ASSERT_TRUE(direct.AddCharacter(u"12", {u'七', {2, 1, 2}}));
  ASSERT_TRUE(direct.AddEmptyCharacterGroup(u"1001"));
  EXPECT_EQ(fromText.CharacterTableBytes(), direct.CharacterTableBytes());
  EXPECT_EQ(fromText.IndexBytes(), direct.IndexBytes());
}

TEST(TableCompileTest, PhrasesAndPunctuation) {
  DictionaryWriter fromText;
  const std::u16string longText(60, u'長');
  Compiled c =
      Compile("100102\t1\t一二\t2 2\n100102\t2\t\t0 0\n55\t1\t" + std::string(60, '\0') + "\t1 1\n",
              TextTable::kPhrases, &fromText);
  // The NULs are no escape: the line is refused, not cut.
  ASSERT_EQ(c.problems.size(), 1u);
  EXPECT_EQ(c.problems[0].line, 3);

  DictionaryWriter writer;
  std::string longField;
  for (int i = 0; i < 60; ++i) longField += "長";
  c = Compile("100102\t1\t一二\t2 2\n100102\t2\t\t0 0\n55\t1\t" + longField + "\t1 1\n",
              TextTable::kPhrases, &writer);
  EXPECT_TRUE(c.problems.empty());
  c = Compile("-\t2\t。\t\n-\t1\t，\t\n-\t3\t\t\n", TextTable::kPunctuation, &writer);
  EXPECT_TRUE(c.problems.empty());

  DictionaryWriter direct;
  ASSERT_TRUE(direct.AddPhrase(u"100102", {u"一二", {2, 2}}));
  ASSERT_TRUE(direct.AddPhrase(u"100102", {u"", {0, 0}}));
  ASSERT_TRUE(direct.AddPhrase(u"55", {longText, {1, 1}}));
  direct.AddPunctuation(u'，');
  direct.AddPunctuation(u'。');
  direct.AddPunctuation(u'\0');
  EXPECT_EQ(writer.PhraseTableBytes(), direct.PhraseTableBytes());
  EXPECT_EQ(writer.PunctuationBytes(), direct.PunctuationBytes());
}

struct RefusalCase {
  const char* name;
  TextTable table;
  std::string text;
  std::int64_t line;    // of the first problem
  const char* problem;  // a part of its text
};

std::string ManyEntries(const std::string& code, int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += code + "\t" + std::to_string(i) + "\t一\t1 2 3\n";
  return text;
}

const RefusalCase kRefusals[] = {
    {"MalformedLine", TextTable::kCharacters, "1000\t1\t一\t1 0 1\n1000 2 丌 5 0 3\n", 2,
     "four tab-separated fields"},
    {"CodeWithLetter", TextTable::kCharacters, "10a0\t1\t一\t1 0 1\n", 1,
     "the code '10a0' is not one to four digits"},
    {"FiveDigitCharacterCode", TextTable::kCharacters, "\n12345\t1\t一\t1 0 1\n", 2,
     "not one to four digits"},
    {"SevenDigitPhraseCode", TextTable::kPhrases, "1234567\t1\t一二\t1 0\n", 1,
     "not one to six digits"},
    {"EmptyCode", TextTable::kPhrases, "\t1\t一二\t1 0\n", 1, "the code '' is not"},
    {"PunctuationWithACode", TextTable::kPunctuation, "1\t1\t，\t\n", 1, "have the code '-'"},
    {"CharacterOfTwoUnits", TextTable::kCharacters, "1000\t1\t一二\t1 0 1\n", 1,
     "a character entry is one UTF-16 unit; '一二' is 2"},
    {"CharacterOutsideTheBmp", TextTable::kCharacters, "1000\t1\t\xF0\xAA\x9A\xA5\t1 0 1\n", 1,
     "is 2"},
    {"EmptyCharacter", TextTable::kCharacters, "1000\t1\t\t1 0 1\n", 1, "is 0"},
    {"MarkOfTwoUnits", TextTable::kPunctuation, "-\t1\t，，\t\n", 1, "a punctuation mark is one"},
    {"TwoValuesForACharacter", TextTable::kCharacters, "1000\t1\t一\t1 0\n", 1,
     "three values, not 2"},
    {"ThreeValuesForAPhrase", TextTable::kPhrases, "1000\t1\t一二\t1 0 1\n", 1,
     "two values, not 3"},
    {"ValuesForAMark", TextTable::kPunctuation, "-\t1\t，\t32\n", 1, "no values"},
    {"PositionZeroWithText", TextTable::kCharacters, "1000\t0\t一\t\n", 1,
     "position 0 stands for a code with no candidates"},
    {"PunctuationPositionZero", TextTable::kPunctuation, "-\t0\t\t\n", 1, "start at 1"},
    {"PositionTwice", TextTable::kPhrases,
     "1000\t1\t一二\t1 0\n55\t1\t五五\t1 0\n1000\t1\t二一\t1 0\n", 3,
     "position 1 of code 1000 is given twice (lines 1 and 3)"},
    {"MoreThan300Candidates", TextTable::kCharacters, ManyEntries("1000", 301), 301,
     "code 1000 has 301 candidates; a code holds at most 300"},
    {"CharacterFFFF", TextTable::kCharacters, "1000\t1\t\\uFFFF\t1 0 1\n", 1,
     "cannot hold U+0000, nor U+FFFF"},
    {"CharacterNul", TextTable::kCharacters, "1000\t1\t\\u0000\t1 0 1\n", 1, "cannot hold U+0000"},
    {"CharacterValueFFFF", TextTable::kCharacters, "1000\t1\t一\t1 65535 1\n", 1, "value 65535"},
    {"PhraseWithNul", TextTable::kPhrases, "1000\t1\t一\\u0000二\t1 0\n", 1,
     "a phrase cannot hold U+0000"},
    {"PhraseWithFFFF", TextTable::kPhrases, "1000\t1\t一\\uFFFF\t1 0\n", 1, "or U+FFFF"},
    {"NotUtf8", TextTable::kPhrases, "1000\t1\t\xB0\xA1\t1 0\n", 1, "not UTF-8"},
};

TEST(TableCompileTest, RefusesWhatTheFilesCannotHold) {
  for (const RefusalCase& c : kRefusals) {
    SCOPED_TRACE(c.name);
    DictionaryWriter writer;
    const Compiled result = Compile(c.text, c.table, &writer);
    ASSERT_TRUE(result.status.ok()) << result.status.message();
    ASSERT_EQ(result.count, static_cast<int>(result.problems.size()));
    ASSERT_GE(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].line, c.line);
    EXPECT_NE(result.problems[0].problem.find(c.problem), std::string::npos)
        << result.problems[0].problem;
    EXPECT_NE(result.problems[0].file.find("table.tsv"), std::string::npos);
  }
}

TEST(TableCompileTest, ReportsEveryBadLineInLineOrder) {
  DictionaryWriter writer;
  const Compiled c = Compile("1000\t1\t一\t1 0 1\n1000\t1\t丌\t1 0 1\nx\n1000\t2\t一二\t1 0 1\n",
                             TextTable::kCharacters, &writer);
  ASSERT_EQ(c.count, 3);
  std::vector<std::int64_t> lines;
  for (const CompileProblem& p : c.problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<std::int64_t>{2, 3, 4}));
}

TEST(TableCompileTest, MissingFile) {
  test::TempDir dir;
  PortablePlatform platform;
  DictionaryWriter writer;
  int problems = 0;
  const Status s = CompileTableText(
      &platform, dir.Join("none.tsv"), TextTable::kPhrases, &writer, [](const CompileProblem&) {},
      &problems);
  EXPECT_TRUE(s.Is(Status::Code::kNotFound)) << s.message();
}

}  // namespace
}  // namespace taliq
