// tunavo-cli dump and compile as users run them: the text they print, the
// folders they write, the round trip back to the same bytes, and the lines
// compile refuses without writing anything.
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "dictionary/dictionary_writer.h"
#include "dictionary/format.h"
#include "gtest/gtest.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDictionaryFiles[] = {kIndexFileName, kCharacterTableFileName,
                                            kPhraseTableFileName, kPunctuationFileName};

test::ProgramRun RunCli(const std::vector<std::string>& args) {
  test::RunOptions options;
  options.unsetEnv = {"PROGRAMFILES"};
  return test::RunProgram(TUNAVO_CLI_PATH, args, options);
}

using test::ReadText;
using test::WriteText;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// A traditional standard dictionary with what the text form must carry:
// codes of every length, a group with no entries, texts with a tab, a
// backslash, a lone surrogate and a phrase too long for a lookup's list,
// values up to 65535 in the phrase table, and a punctuation mark 0.
class DumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = tmp_.MakeDirs("Program Files/lurm/rozevuv_cht/mb/cht") + "/";
    DictionaryWriter w;
    ASSERT_TRUE(w.AddCharacter(u"1000", {u'一', {1, 0, 1}}));
    ASSERT_TRUE(w.AddCharacter(u"1000", {u'丌', {5, 0, 3}}));
    ASSERT_TRUE(w.AddCharacter(u"12", {u'七', {2, 1, 2}}));
    ASSERT_TRUE(w.AddCharacter(u"1", {u'\\', {0, 0, 0}}));
    ASSERT_TRUE(w.AddEmptyCharacterGroup(u"4"));
    ASSERT_TRUE(w.AddCharacter(u"9999", {char16_t{0xD800}, {7, 8, 9}}));
    ASSERT_TRUE(w.AddPhrase(u"1000", {u"一丁", {2, 3}}));
    ASSERT_TRUE(w.AddPhrase(u"100102", {u"一二", {2, 65535}}));
    ASSERT_TRUE(w.AddPhrase(u"100102", {u"a\tb", {0, 4}}));
    ASSERT_TRUE(w.AddPhrase(u"10010", {std::u16string(60, u'長'), {1, 1}}));
    ASSERT_TRUE(w.AddPhrase(u"2", {u"", {6, 6}}));
    w.AddPunctuation(u'，');
    w.AddPunctuation(u'\0');
    w.AddPunctuation(u'。');
    std::string error;
    ASSERT_TRUE(w.WriteFolder(folder_, &error)) << error;
  }

  test::ProgramRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-files", tmp_.Join("Program Files")});
    return RunCli(args);
  }

  test::TempDir tmp_;
  std::string folder_;
};

struct DumpCase {
  const char* name;
  std::vector<std::string> args;
  std::string out;
};

TEST_F(DumpTest, PrintsTheTables) {
  const std::string longLine = "10010\t1\t" + [] {
    std::string s;
    for (int i = 0; i < 60; ++i) s += "長";
    return s;
  }() + "\t1 1\n";
  const DumpCase kCases[] = {
      {"Characters",
       {"dump"},
       "1\t1\t\\\\\t0 0 0\n"
       "1000\t1\t一\t1 0 1\n1000\t2\t丌\t5 0 3\n"
       "12\t1\t七\t2 1 2\n"
       "4\t0\t\t\n"
       "9999\t1\t\\uD800\t7 8 9\n"},
      {"Phrases",
       {"dump", "--phrases"},
       // One bucket, "100": its codes in the order the writer was given them.
       "1000\t1\t一丁\t2 3\n100102\t1\t一二\t2 65535\n100102\t2\ta\\tb\t0 4\n" + longLine +
           "2\t1\t\t6 6\n"},
      {"PrefixOfFourDigits", {"dump", "1000"}, "1000\t1\t一\t1 0 1\n1000\t2\t丌\t5 0 3\n"},
      {"PrefixOfOneDigit",
       {"dump", "1"},
       "1\t1\t\\\\\t0 0 0\n1000\t1\t一\t1 0 1\n1000\t2\t丌\t5 0 3\n12\t1\t七\t2 1 2\n"},
      {"PhrasePrefix",
       {"dump", "--phrases", "10010"},
       "100102\t1\t一二\t2 65535\n100102\t2\ta\\tb\t0 4\n" + longLine},
      {"PrefixWithoutCodes", {"dump", "--phrases", "5"}, ""},
      {"Punctuation", {"dump", "--punctuation"}, "-\t1\t，\t\n-\t2\t\t\n-\t3\t。\t\n"},
  };
  for (const DumpCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const test::ProgramRun r = Cli(c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(DumpTest, DumpToThenCompileGivesTheSameFiles) {
  const std::string text = tmp_.Join("text");
  test::ProgramRun r = Cli({"dump", "--to", text});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Names(text),
            (std::set<std::string>{"characters.tsv", "phrases.tsv", "punctuation.tsv"}));
  EXPECT_EQ(ReadText(text + "/punctuation.tsv"), "-\t1\t，\t\n-\t2\t\t\n-\t3\t。\t\n");

  const std::string out = tmp_.Join("compiled");
  r = RunCli({"compile", text, out});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* file : kDictionaryFiles) {
    EXPECT_EQ(test::ReadBytes(out + "/" + file), test::ReadBytes(folder_ + file)) << file;
  }
  // Nothing else was left beside it.
  EXPECT_EQ(Names(tmp_.path()), (std::set<std::string>{"Program Files", "text", "compiled"}));
}

TEST_F(DumpTest, DumpToReplacesTheFilesWhole) {
  const std::string text = tmp_.MakeDirs("text");
  WriteText(text + "/phrases.tsv", std::string(100000, 'x'));
  const test::ProgramRun r = Cli({"dump", "--to", text + "/"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadText(text + "/phrases.tsv").substr(0, 10), "1000\t1\t一");
  EXPECT_EQ(Names(text).size(), 3u);
}

TEST_F(DumpTest, DamagedTableFailsAfterTheLinesBeforeIt) {
  std::vector<std::uint8_t> bytes = test::ReadBytes(folder_ + kCharacterTableFileName);
  bytes.resize(bytes.size() - 4);  // into the last group
  test::WriteBytes(folder_ + kCharacterTableFileName, bytes);
  const test::ProgramRun r = Cli({"dump"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 13), "1\t1\t\\\\\t0 0 0\n");
  EXPECT_NE(r.err.find("damaged at offset"), std::string::npos) << r.err;
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* err;
};

TEST_F(DumpTest, UsageErrorsAndMissingDictionary) {
  const UsageCase kCases[] = {
      {"BothTables", {"dump", "--phrases", "--punctuation"}, 2, "not both"},
      {"PrefixOfPunctuation", {"dump", "--punctuation", "1"}, 2, "takes no CODE-PREFIX"},
      {"PrefixNotDigits", {"dump", "1a"}, 2, "invalid code '1a'"},
      {"TwoPrefixes", {"dump", "1", "2"}, 2, "unexpected argument '2'"},
      {"ToWithATable", {"dump", "--to", "x", "--phrases"}, 2, "takes no other option"},
      {"ToWithAPrefix", {"dump", "--to", "x", "1"}, 2, "takes no other option"},
      {"OtherDictionaryMissing", {"--charset", "chs", "dump"}, 1, "lurm2008.idx"},
      {"CompileWithOneFolder", {"compile", "x"}, 2, "give the folder"},
      {"CompileWithThreeFolders", {"compile", "x", "y", "z"}, 2, "unexpected argument 'z'"},
  };
  for (const UsageCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const test::ProgramRun r = Cli(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

// Text files that compile must refuse, each with the file and line it
// names; nothing is written, not even a temporary folder.
class CompileRefusalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text_ = tmp_.MakeDirs("text");
    WriteText(text_ + "/characters.tsv", "1000\t1\t一\t1 0 1\n");
    WriteText(text_ + "/phrases.tsv", "1000\t1\t一丁\t2 3\n");
    WriteText(text_ + "/punctuation.tsv", "-\t1\t，\t\n");
  }

  test::TempDir tmp_;
  std::string text_;
};

struct CompileCase {
  const char* name;
  const char* file;
  std::string contents;
  std::string where;    // "FILE:LINE" in the message
  const char* problem;  // a part of it
};

std::string Lines(const std::string& code, int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += code + "\t" + std::to_string(i) + "\t一二\t1 2\n";
  return text;
}

TEST_F(CompileRefusalTest, NothingIsWritten) {
  const CompileCase kCases[] = {
      {"MalformedLine", "characters.tsv", "1000\t1\t一\t1 0 1\n1000\t2\n", "characters.tsv:2",
       "four tab-separated fields"},
      {"CodeOfSevenDigits", "phrases.tsv", "1000\t1\t一丁\t2 3\n1234567\t1\t一丁\t2 3\n",
       "phrases.tsv:2", "not one to six digits"},
      {"CharacterOfTwoUnits", "characters.tsv", "1000\t1\t一二\t1 0 1\n", "characters.tsv:1",
       "one UTF-16 unit"},
      {"MoreThan300", "phrases.tsv", Lines("123", 301), "phrases.tsv:301", "at most 300"},
      {"MarkOfTwoUnits", "punctuation.tsv", "-\t1\t，\t\n-\t2\t，。\t\n", "punctuation.tsv:2",
       "one UTF-16 unit"},
  };
  for (const CompileCase& c : kCases) {
    SCOPED_TRACE(c.name);
    SetUp();
    WriteText(text_ + "/" + c.file, c.contents);
    const test::ProgramRun r = RunCli({"compile", text_, tmp_.Join("out")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(text_ + "/" + c.where + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.problem), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
    EXPECT_EQ(Names(tmp_.path()), std::set<std::string>{"text"});
  }
}

TEST_F(CompileRefusalTest, MissingInputAndExistingOutput) {
  fs::remove(text_ + "/punctuation.tsv");
  test::ProgramRun r = RunCli({"compile", text_, tmp_.Join("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("punctuation.tsv: missing"), std::string::npos) << r.err;
  EXPECT_EQ(Names(tmp_.path()), std::set<std::string>{"text"});

  WriteText(text_ + "/punctuation.tsv", "");
  const std::string existing = tmp_.MakeDirs("existing");
  r = RunCli({"compile", text_, existing});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  EXPECT_TRUE(Names(existing).empty());

  r = RunCli({"compile", text_, tmp_.Join("out")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(tmp_.Join("out/") + kPunctuationFileName).size(), 0u);
}

// The demo installation (the test fixture demo_installation makes it in the
// build folder with demo/make_demo.sh):
// every dictionary dumped and compiled again gives the same bytes, since
// the same writer made it.
TEST(DumpCompileDemoTest, ByteIdenticalFiles) {
  const std::string demo = TALIQ_DEMO_DIR "/Program Files (x86)";
  if (!fs::exists(demo + "/lurm/rozevuv_cht/mb")) {
    GTEST_SKIP() << "no demo installation at " << demo
                 << " (run ctest, whose fixture demo_installation makes it)";
  }
  const std::pair<const char*, const char*> kDictionaries[][1] = {
      {{"cht", "standard"}}, {{"chs", "standard"}}, {{"cht", "2002"}}, {{"chs", "2002"}}};
  for (const auto& [d] : kDictionaries) {
    SCOPED_TRACE(std::string(d.first) + " " + d.second);
    test::TempDir tmp;
    test::ProgramRun r = RunCli({"--program-files", demo, "--charset", d.first, "--edition",
                                 d.second, "dump", "--to", tmp.Join("text")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCli({"compile", tmp.Join("text"), tmp.Join("out")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string folder = demo + "/lurm/rozevuv_cht/mb/" + d.first +
                               (std::string(d.second) == "2002" ? "_2002/" : "/");
    for (const char* file : kDictionaryFiles) {
      EXPECT_EQ(test::ReadBytes(tmp.Join("out/") + file), test::ReadBytes(folder + file)) << file;
    }
  }
}

}  // namespace
}  // namespace taliq
