// The portable platform: names that differ only in ASCII case, the code page
// a locale stands for, the Program Files folder, and UTF conversion.
#include "platform/portable_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace taliq::test {
namespace {

// Sets an environment variable for one scope, restoring the old value.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class CaseTest : public ::testing::Test {
 protected:
  CaseTest() {
    tmp_.MakeDirs("Program Files/LURM/RozeVuv_CHT/MB/CHT");
    WriteBytes(tmp_.Join("Program Files/LURM/RozeVuv_CHT/MB/CHT/Lurm2008.IDX"), {1, 2, 3});
  }
  TempDir tmp_;
};

TEST_F(CaseTest, ResolvesEveryComponent) {
  const std::string root = tmp_.path() + "/";
  const std::string real = root + "Program Files/LURM/RozeVuv_CHT/MB/CHT";
  const std::pair<std::string, std::string> cases[] = {
      {"program files/lurm/rozevuv_cht/mb/cht/lurm2008.idx", real + "/Lurm2008.IDX"},
      {"Program Files/LURM/RozeVuv_CHT/MB/CHT/Lurm2008.IDX", real + "/Lurm2008.IDX"},
      {"PROGRAM FILES/lurm/rozevuv_cht/mb/cht/", real + "/"},
      // Missing parts are kept as given, after the parts that exist.
      {"program files/lurm/rozevuv_cht/mb/cht/Pround.dat", real + "/Pround.dat"},
      {"program files/lurm/nowhere/mb/cht", root + "Program Files/LURM/nowhere/mb/cht"},
      // Case is the only difference allowed.
      {"program files/lurm/rozevuv-cht", root + "Program Files/LURM/rozevuv-cht"},
  };
  for (const auto& [query, expected] : cases) {
    EXPECT_EQ(ResolvePathIgnoringCase(root + query), expected) << query;
  }
}

TEST_F(CaseTest, PrefersTheExactName) {
  tmp_.MakeDirs("dup/a");
  tmp_.MakeDirs("dup/A");
  EXPECT_EQ(ResolvePathIgnoringCase(tmp_.Join("DUP/a")), tmp_.Join("dup/a"));
  EXPECT_EQ(ResolvePathIgnoringCase(tmp_.Join("DUP/A")), tmp_.Join("dup/A"));
}

TEST_F(CaseTest, FileOperationsFindTheFile) {
  PortablePlatform p;
  const std::string folder = tmp_.Join("program files/lurm/rozevuv_cht/mb/cht/");
  EXPECT_NE(p.OpenFile(folder + "lurm2008.idx", "rb"), nullptr);
  EXPECT_TRUE(p.IsDirectoryW(Utf8ToUtf16(tmp_.Join("PROGRAM FILES/lurm"))));

  // A new file lands in the existing folder, and a rename replaces the file
  // whatever case the caller spells it in.
  FileHandle f = p.OpenFile(folder + "new.dat", "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(CloseFile(f));
  const std::string real = tmp_.Join("Program Files/LURM/RozeVuv_CHT/MB/CHT/");
  EXPECT_TRUE(FileExists(real + "new.dat"));
  EXPECT_TRUE(p.ReplaceFile(folder + "NEW.DAT", folder + "lurm2008.idx"));
  EXPECT_TRUE(FileExists(real + "Lurm2008.IDX"));
  EXPECT_FALSE(FileExists(real + "lurm2008.idx"));
  EXPECT_FALSE(FileExists(real + "new.dat"));
  EXPECT_TRUE(p.RemoveFile(folder + "LURM2008.idx"));
  EXPECT_FALSE(FileExists(real + "Lurm2008.IDX"));
  EXPECT_EQ(p.OpenFile(folder + "lurm2008.idx", "rb"), nullptr);
}

TEST_F(CaseTest, ListingsAndSizesFindTheFolderInAnyCase) {
  PortablePlatform p;
  const std::string mb = tmp_.Join("program files/lurm/rozevuv_cht/mb");
  tmp_.MakeDirs("Program Files/LURM/RozeVuv_CHT/MB/chs");
  const std::string real = tmp_.Join("Program Files/LURM/RozeVuv_CHT/MB/");
  WriteBytes(real + "readme.txt", {1});
  std::filesystem::create_directory_symlink(real + "CHT", real + "linked");
  std::filesystem::create_symlink(real + "readme.txt", real + "text-link");

  std::vector<FolderEntry> entries = {{"stale", true}};
  ASSERT_TRUE(p.ListFolder(mb, &entries));
  std::vector<std::pair<std::string, bool>> listed;
  for (const FolderEntry& e : entries) listed.emplace_back(e.name, e.isFolder);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::pair<std::string, bool>>{{"CHT", true},
                                                               {"chs", true},
                                                               {"linked", true},
                                                               {"readme.txt", false},
                                                               {"text-link", false}}));
  entries = {{"stale", true}};
  EXPECT_FALSE(p.ListFolder(mb + "/nowhere", &entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(p.ListFolder(mb + "/readme.txt", &entries));

  EXPECT_EQ(p.FileSizeAt(mb + "/cht/LURM2008.idx"), 3);
  EXPECT_EQ(p.FileSizeAt(mb + "/text-link"), 1);
  EXPECT_EQ(p.FileSizeAt(mb + "/cht"), -1);
  EXPECT_EQ(p.FileSizeAt(mb + "/cht/Pround.dat"), -1);

  // A missing file fails to open with its cause, whether or not it has
  // another spelling to try.
  for (const std::string& missing : {mb + "/cht/Pround.dat", mb + "/nowhere/Pround.dat"}) {
    errno = 0;
    EXPECT_EQ(p.OpenFile(missing, "rb"), nullptr);
    EXPECT_EQ(errno, ENOENT) << missing;
  }
}

TEST(CodePageTest, FromLocaleName) {
  const std::pair<const char*, unsigned> cases[] = {
      {"zh_CN.UTF-8", 936}, {"zh_CN", 936},       {"zh_SG.GBK", 936}, {"zh_TW.UTF-8", 950},
      {"zh_TW.Big5", 950},  {"zh_HK.UTF-8", 950}, {"zh_MO", 950},     {"en_US.UTF-8", 1252},
      {"C", 1252},          {"POSIX", 1252},      {"", 1252},         {"zh", 1252},
  };
  for (const auto& [locale, page] : cases) EXPECT_EQ(CodePageForLocale(locale), page) << locale;
}

TEST(CodePageTest, FromEnvironmentInPrecedence) {
  ScopedEnv all("LC_ALL", nullptr), ctype("LC_CTYPE", "zh_TW.UTF-8"), lang("LANG", "zh_CN.UTF-8");
  PortablePlatform p;
  EXPECT_EQ(p.AnsiCodePage(), 950u);
  {
    ScopedEnv all2("LC_ALL", "en_GB.UTF-8");
    EXPECT_EQ(p.AnsiCodePage(), 1252u);
  }
  {
    ScopedEnv ctype2("LC_CTYPE", nullptr);
    EXPECT_EQ(p.AnsiCodePage(), 936u);
  }
  p.SetCodePage(936);
  EXPECT_EQ(p.AnsiCodePage(), 936u);
}

TEST(ProgramFilesTest, OptionThenEnvironment) {
  ScopedEnv env("PROGRAMFILES", nullptr);
  PortablePlatform p;
  std::string path;
  EXPECT_FALSE(p.ProgramFilesFolderA(&path));
  {
    ScopedEnv set("PROGRAMFILES", "/srv/Program Files (x86)");
    ASSERT_TRUE(p.ProgramFilesFolderA(&path));
    EXPECT_EQ(path, "/srv/Program Files (x86)");
    p.SetProgramFilesFolder("/opt/pf");
    ASSERT_TRUE(p.ProgramFilesFolderA(&path));
    EXPECT_EQ(path, "/opt/pf");
    std::u16string wide;
    ASSERT_TRUE(p.ProgramFilesFolderW(&wide));
    EXPECT_EQ(wide, u"/opt/pf");
  }
}

TEST(TextTest, RoundTrips) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"\xE5\x8A\xA0\xE8\xBC\x89", u"加載"},
      {"\xC2\xA9", u"\u00a9"},
      {"\xF0\xA0\x80\x80", u"\U00020000"},  // outside the BMP: a surrogate pair
      {"\xEF\xBF\xBF", u"\uffff"},
  };
  for (const auto& [utf8, utf16] : cases) {
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << utf8;
  }
}

TEST(TextTest, MalformedInputBecomesReplacementCharacters) {
  const std::pair<std::string, std::u16string> utf8Cases[] = {
      {"a\x80z", u"a\ufffdz"},                            // a lone continuation byte
      {"\xC0\xAF", u"\ufffd\ufffd"},                      // overlong "/"
      {"\xED\xA0\x80", u"\ufffd\ufffd\ufffd"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"},  // beyond U+10FFFF
      {"\xFF", u"\ufffd"},
  };
  for (const auto& [utf8, utf16] : utf8Cases) EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
  // A sequence cut short keeps what follows it.
  const std::u16string cut = Utf8ToUtf16(
      "\xE5\x8A"
      "A");
  ASSERT_FALSE(cut.empty());
  EXPECT_EQ(cut.front(), u'\ufffd');
  EXPECT_EQ(cut.back(), u'A');

  EXPECT_EQ(Utf16ToUtf8(u"a\xd800z"), "a\xEF\xBF\xBDz");  // a lone high surrogate
  EXPECT_EQ(Utf16ToUtf8(u"\xdc00"), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"\xd800", 1)), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace taliq::test
