#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/settings/settings_fixture.h"

namespace taliq::test {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Flatten(const std::vector<SettingsEntry>& entries) {
  Entries out;
  for (const SettingsEntry& e : entries) out.emplace_back(e.key, e.value);
  return out;
}

bool AnyTempFileBelow(const std::string& root) {
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.path().extension() == ".tmp") return true;
  }
  return false;
}

constexpr char kDefaults1252[] =
    "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=3\r\nASSIO=0\r\nSPEAK=0\r\nCHSCHT=1\r\nORDERMODE=0\r\n";
constexpr char kDefaults936[] =
    "[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=3\r\nASSIO=0\r\nSPEAK=0\r\nCHSCHT=0\r\nORDERMODE=0\r\n";

using SettingsFileTest = SettingsMachine;

TEST_F(SettingsFileTest, FirstRunWritesTheDefaultFileForTheCodePageAndReadsItBack) {
  const struct {
    unsigned codePage;
    const char* expected;
    const char* chscht;
  } cases[] = {{936, kDefaults936, "0"}, {950, kDefaults1252, "1"}, {1252, kDefaults1252, "1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    std::filesystem::remove_all(SettingsFolder());
    platform_.SetCodePage(c.codePage);
    SettingsFile file(&platform_);
    ASSERT_EQ(file.LoadSettings(), 1);
    const std::string bytes = ReadText(PerUser());
    EXPECT_EQ(bytes.size(), kDefaultSettingsSize);
    EXPECT_EQ(bytes, c.expected);
    EXPECT_EQ(Flatten(file.entries()), (Entries{{"SHOWMODE", "2"},
                                                {"MAMODE", "3"},
                                                {"ASSIO", "0"},
                                                {"SPEAK", "0"},
                                                {"CHSCHT", c.chscht},
                                                {"ORDERMODE", "0"}}));
    EXPECT_FALSE(AnyTempFileBelow(dir_.path()));
  }
}

// Each file loads into the given entries, and a save straight after writes
// them back under the header with CR LF line ends.
TEST_F(SettingsFileTest, LinesLoadAndSaveByTheFileRules) {
  const struct {
    const char* name;
    std::string file;
    Entries entries;
  } cases[] = {
      {"CR LF", "[BaseConfig]\r\nSHOWMODE=1\r\nASSIO=0\r\n", {{"SHOWMODE", "1"}, {"ASSIO", "0"}}},
      {"LF only", "[BaseConfig]\nSHOWMODE=1\nASSIO=0\n", {{"SHOWMODE", "1"}, {"ASSIO", "0"}}},
      {"last line without end", "[BaseConfig]\r\nA=1\r\nB=2", {{"A", "1"}, {"B", "2"}}},
      {"first line skipped whatever it holds", "SHOWMODE=1\r\nASSIO=0\r\n", {{"ASSIO", "0"}}},
      {"lines without = dropped",
       "[BaseConfig]\r\n\r\n[Other]\r\n; comment\r\n;KEY=kept\r\nA=1\r\n",
       {{";KEY", "kept"}, {"A", "1"}}},
      {"first = splits",
       "[x]\nK=a=b\n=empty key\nV=\n",
       {{"K", "a=b"}, {"", "empty key"}, {"V", ""}}},
      {"nothing trimmed", "[x]\r\nSHOWMODE = 2\r\n", {{"SHOWMODE ", " 2"}}},
      {"lone CR is a byte", "[x]\r\nA=1\rB=2\r\n", {{"A", "1\rB=2"}}},
      {"only the CR before LF ends", "[x]\r\nA=1\r\r\n", {{"A", "1\r"}}},
      {"duplicates kept in place", "[x]\nA=1\nB=2\nA=3\n", {{"A", "1"}, {"B", "2"}, {"A", "3"}}},
      {"bytes never converted",
       "[x]\n\xC3\xA9=\xB2\xE2\x1A"
       "z\n",
       {{"\xC3\xA9",
         "\xB2\xE2\x1A"
         "z"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WritePerUser(c.file);
    SettingsFile file(&platform_);
    ASSERT_EQ(file.LoadSettings(), 1);
    EXPECT_EQ(Flatten(file.entries()), c.entries);

    std::string expected = "[BaseConfig]\r\n";
    for (const auto& [k, v] : c.entries) expected += k + "=" + v + "\r\n";
    ASSERT_EQ(file.SaveSettings(), -1);  // no installation folder yet
    EXPECT_EQ(ReadText(PerUser()), expected);
  }
}

TEST_F(SettingsFileTest, EmptyFileLoadsAsAnEmptyListThatIsNeverSaved) {
  WritePerUser("");
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  EXPECT_TRUE(file.entries().empty());
  std::string value = "untouched";
  EXPECT_EQ(file.GetSetting("SHOWMODE", &value), -1);
  EXPECT_EQ(value, "untouched");
  MakeInstallationFolders();
  EXPECT_EQ(file.SaveSettings(), -2);
  EXPECT_EQ(ReadText(PerUser()), "");
  EXPECT_FALSE(FileExists(Copy2()));
  EXPECT_FALSE(FileExists(Copy3()));
}

TEST_F(SettingsFileTest, LookupsAndChangesActOnTheFirstExactKey) {
  const std::string longValue(1000, 'v');
  WritePerUser("[BaseConfig]\r\nA=first\r\nshowmode=1\r\nA=second\r\nLONG=" + longValue + "\r\n");
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);

  std::string value;
  EXPECT_EQ(file.GetSetting("A", &value), 1);
  EXPECT_EQ(value, "first");
  EXPECT_EQ(file.GetSetting("SHOWMODE", &value), 0);
  EXPECT_EQ(file.GetSetting("A ", &value), 0);
  EXPECT_EQ(file.GetSetting("LONG", &value), 1);
  EXPECT_EQ(value, longValue);  // handed back whole

  EXPECT_EQ(file.SetSetting("A", "changed"), 1);
  EXPECT_EQ(file.SetSetting("SHOWMODE", "2"), 0);
  EXPECT_EQ(file.SetSetting("ZDY", "0"), 0);
  EXPECT_EQ(Flatten(file.entries()), (Entries{{"A", "changed"},
                                              {"showmode", "1"},
                                              {"A", "second"},
                                              {"LONG", longValue},
                                              {"SHOWMODE", "2"},
                                              {"ZDY", "0"}}));
  // Nothing reaches the disk before a save.
  EXPECT_EQ(ReadText(PerUser()),
            "[BaseConfig]\r\nA=first\r\nshowmode=1\r\nA=second\r\nLONG=" + longValue + "\r\n");
}

TEST_F(SettingsFileTest, SetSettingOnAnEmptyListAppendsTheFirstEntry) {
  SettingsFile file(&platform_);
  EXPECT_EQ(file.GetSetting("A", nullptr), -1);
  EXPECT_EQ(file.SetSetting("A", "1"), 0);
  EXPECT_EQ(file.GetSetting("A", nullptr), 1);
}

TEST_F(SettingsFileTest, SaveWritesThreeIdenticalCopiesIntoExistingFoldersOfAnyCase) {
  // The installation folder as the installer made it, in lower case.
  dir_.MakeDirs("Program Files (x86)/lurm/rozevuv_cht");
  dir_.MakeDirs("Program Files/LURM/RozeVuv_cht");
  WritePerUser("[BaseConfig]\nSHOWMODE=1\nMAMODE=3\n");
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  file.SetSetting("ZDY", "0");
  ASSERT_EQ(file.SaveSettings(), 1) << DescribeSettingsFailure(file.LastFailure());

  const std::string expected = "[BaseConfig]\r\nSHOWMODE=1\r\nMAMODE=3\r\nZDY=0\r\n";
  EXPECT_EQ(ReadText(PerUser()), expected);
  EXPECT_EQ(ReadText(dir_.Join("Program Files (x86)/lurm/rozevuv_cht/rozevuv_cht.ini")), expected);
  EXPECT_EQ(ReadText(dir_.Join("Program Files/LURM/RozeVuv_cht/rozevuv_cht.ini")), expected);
  // No folder of another spelling was made beside the installer's.
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("Program Files (x86)/lurm/RozeVuv_cht")));
  EXPECT_FALSE(std::filesystem::exists(dir_.Join("Program Files/lurm")));
  EXPECT_FALSE(AnyTempFileBelow(dir_.path()));
}

TEST_F(SettingsFileTest, NativeProgramFilesAsReportedFolderWritesTheSameFileTwice) {
  platform_.SetProgramFilesFolder(dir_.Join("Program Files"));
  MakeInstallationFolders();
  WritePerUser(kDefaults1252);
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  ASSERT_EQ(file.SaveSettings(), 1);
  EXPECT_EQ(ReadText(Copy3()), kDefaults1252);
  EXPECT_FALSE(FileExists(Copy2()));
}

TEST_F(SettingsFileTest, MissingInstallationFolderStopsAfterThePerUserFile) {
  dir_.MakeDirs("Program Files/lurm/RozeVuv_cht");  // copy 3's folder only
  WritePerUser("[BaseConfig]\nA=1\n");
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  file.SetSetting("A", "2");
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(ReadText(PerUser()), "[BaseConfig]\r\nA=2\r\n");
  EXPECT_FALSE(FileExists(Copy2()));
  EXPECT_FALSE(FileExists(Copy3()));
  EXPECT_EQ(file.LastFailure().copy, SettingsCopy::kInstallation);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kFolderMissing);
  EXPECT_EQ(Utf16ToUtf8(file.LastFailure().path), Copy2());
}

TEST_F(SettingsFileTest, MissingNativeFolderFailsAfterTwoCopies) {
  dir_.MakeDirs("Program Files (x86)/lurm/RozeVuv_cht");
  WritePerUser("[BaseConfig]\nA=1\n");
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(ReadText(Copy2()), "[BaseConfig]\r\nA=1\r\n");
  EXPECT_FALSE(FileExists(Copy3()));
  EXPECT_EQ(file.LastFailure().copy, SettingsCopy::kNativeInstallation);
  EXPECT_NE(DescribeSettingsFailure(file.LastFailure()).find("native installation copy " + Copy3()),
            std::string::npos);
}

TEST_F(SettingsFileTest, UnknownProgramFilesFolderIsAFailedInstallationCopy) {
  MakeInstallationFolders();
  WritePerUser("[BaseConfig]\nA=1\n");
  platform_.failProgramFiles = true;
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(ReadText(PerUser()), "[BaseConfig]\r\nA=1\r\n");
  EXPECT_FALSE(FileExists(Copy3()));
  EXPECT_EQ(file.LastFailure().copy, SettingsCopy::kInstallation);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kProgramFilesUnknown);
}

TEST_F(SettingsFileTest, NoSettingsFolderMeansStatusZeroAndNothingTouched) {
  // A plain file named like the settings folder, and then no application
  // data folder at all.
  WriteBytes(SettingsFolder(), {'x'});
  MakeInstallationFolders();
  SettingsFile file(&platform_);
  EXPECT_EQ(file.LoadSettings(), 0);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kSettingsFolder);
  EXPECT_TRUE(file.entries().empty());
  file.SetSetting("A", "1");
  EXPECT_EQ(file.SaveSettings(), 0);
  EXPECT_EQ(ReadText(SettingsFolder()), "x");
  EXPECT_FALSE(FileExists(Copy2()));

  platform_.failAppData = true;
  SettingsFile noAppData(&platform_);
  EXPECT_EQ(noAppData.LoadSettings(), 0);
  EXPECT_EQ(noAppData.LastFailure().reason, SettingsFailureReason::kAppDataUnknown);
  noAppData.SetSetting("A", "1");
  EXPECT_EQ(noAppData.SaveSettings(), 0);
  EXPECT_FALSE(FileExists(Copy2()));
}

TEST_F(SettingsFileTest, SaveMakesTheSettingsFolderAgainWhenItVanished) {
  MakeInstallationFolders();
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  std::filesystem::remove_all(SettingsFolder());
  EXPECT_EQ(file.SaveSettings(), 1);
  EXPECT_EQ(ReadText(PerUser()), kDefaults1252);
}

TEST_F(SettingsFileTest, ExistingButUnreadableFileIsNeverReplacedByDefaults) {
  WritePerUser("[BaseConfig]\r\nMINE=keep\r\n");
  platform_.failOpen = {"ZIRIZIR/rozevuv_cht.ini"};
  SettingsFile file(&platform_);
  EXPECT_EQ(file.LoadSettings(), -1);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kUnreadable);
  EXPECT_TRUE(file.entries().empty());
  platform_.failOpen.clear();
  EXPECT_EQ(ReadText(PerUser()), "[BaseConfig]\r\nMINE=keep\r\n");
  EXPECT_FALSE(AnyTempFileBelow(dir_.path()));

  // Nor by what a dialog sets on top of the empty list it got.
  MakeInstallationFolders();
  file.SetSetting("SHOWMODE", "1");
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kUnreadable);
  EXPECT_EQ(ReadText(PerUser()), "[BaseConfig]\r\nMINE=keep\r\n");
  EXPECT_FALSE(FileExists(Copy2()));
}

TEST_F(SettingsFileTest, DefaultFileThatCannotBeWrittenLeavesNothingBehind) {
  const struct {
    const char* name;
    std::vector<std::string> failOpen;
    std::vector<std::string> failWrites;
  } cases[] = {
      {"cannot be created", {"ZIRIZIR/rozevuv_cht.ini", "ZIRIZIR/~rozevuv_cht.ini.*.tmp"}, {}},
      {"disk full", {}, {"ZIRIZIR/~rozevuv_cht.ini.*.tmp"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform_.failOpen = c.failOpen;
    platform_.failWrites = c.failWrites;
    SettingsFile file(&platform_);
    EXPECT_EQ(file.LoadSettings(), -1);
    EXPECT_TRUE(file.entries().empty());
    // Nothing half-written that a later run would take for the user's file.
    EXPECT_FALSE(FileExists(PerUser()));
    EXPECT_FALSE(AnyTempFileBelow(dir_.path()));
  }
  platform_.failOpen.clear();
  platform_.failWrites.clear();
  SettingsFile retry(&platform_);
  EXPECT_EQ(retry.LoadSettings(), 1);
}

TEST_F(SettingsFileTest, FailedWriteKeepsTheOldFileWholeAndIsReported) {
  MakeInstallationFolders();
  const std::string old = "[BaseConfig]\r\nA=old\r\n";
  WritePerUser(old);
  const struct {
    const char* name;
    std::vector<std::string> failWrites;
    SettingsCopy failed;
    std::string untouched;
  } cases[] = {
      {"per-user", {"ZIRIZIR/~rozevuv_cht.ini.*.tmp"}, SettingsCopy::kPerUser, PerUser()},
      {"installation",
       {"(x86)/lurm/RozeVuv_cht/~rozevuv_cht.ini.*.tmp"},
       SettingsCopy::kInstallation,
       Copy2()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(Copy2(), old);
    WritePerUser(old);
    platform_.failWrites = c.failWrites;
    SettingsFile file(&platform_);
    ASSERT_EQ(file.LoadSettings(), 1);
    file.SetSetting("A", "new");
    EXPECT_EQ(file.SaveSettings(), -1);
    EXPECT_EQ(file.LastFailure().copy, c.failed);
    EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kWriteFailed);
    EXPECT_EQ(ReadText(c.untouched), old);
    EXPECT_FALSE(AnyTempFileBelow(dir_.path()));
  }
}

TEST_F(SettingsFileTest, RefusedRenameOrNoRoomForATempFileFallsBackToRewritingInPlace) {
  MakeInstallationFolders();
  const struct {
    const char* name;
    bool refuseReplace;
    std::vector<std::string> failOpen;
  } cases[] = {{"rename refused", true, {}}, {"no temporary file", false, {".ini.*.tmp"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WritePerUser("[BaseConfig]\r\nA=old value that is longer\r\n");
    platform_.refuseReplace = c.refuseReplace;
    platform_.failOpen = c.failOpen;
    SettingsFile file(&platform_);
    ASSERT_EQ(file.LoadSettings(), 1);
    file.SetSetting("A", "new");
    EXPECT_EQ(file.SaveSettings(), 1) << DescribeSettingsFailure(file.LastFailure());
    for (const std::string& path : {PerUser(), Copy2(), Copy3()}) {
      EXPECT_EQ(ReadText(path), "[BaseConfig]\r\nA=new\r\n") << path;
    }
    EXPECT_FALSE(AnyTempFileBelow(dir_.path()));
  }
}

TEST_F(SettingsFileTest, RefusedRenameWithAFailingInPlaceWriteIsReported) {
  MakeInstallationFolders();
  WritePerUser("[BaseConfig]\r\nA=1\r\n");
  platform_.refuseReplace = true;
  platform_.failWrites = {"ZIRIZIR/rozevuv_cht.ini"};
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  // A change: a file that already holds what a save writes counts as saved
  // (the bytes decide), however its writes fail.
  file.SetSetting("A", "2");
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(file.LastFailure().copy, SettingsCopy::kPerUser);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kWriteFailed);
  EXPECT_FALSE(FileExists(Copy2()));
  EXPECT_FALSE(AnyTempFileBelow(dir_.path()));
  platform_.failWrites.clear();
  EXPECT_EQ(ReadText(PerUser()), "[BaseConfig]\r\nA=1\r\n");
}

TEST_F(SettingsFileTest, LastStatusCarriesTheFailureWithItsKindAndOpenError) {
  MakeInstallationFolders();
  WritePerUser("[BaseConfig]\r\nA=1\r\n");
  // A folder where the installation copy should be: neither the rename nor
  // an open for writing can take it.
  dir_.MakeDirs("Program Files (x86)/lurm/RozeVuv_cht/rozevuv_cht.ini");
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  EXPECT_TRUE(file.LastStatus().ok());
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(file.LastFailure().reason, SettingsFailureReason::kOpenFailed);
  EXPECT_EQ(file.LastFailure().error, EISDIR);
  const std::string expected = "installation copy " + Copy2() +
                               ": it cannot be opened for writing (" + std::strerror(EISDIR) + ")";
  EXPECT_EQ(DescribeSettingsFailure(file.LastFailure()), expected);
  EXPECT_EQ(file.LastStatus().code(), Status::Code::kCannotOpen);
  EXPECT_EQ(file.LastStatus().error(), EISDIR);
  EXPECT_EQ(file.LastStatus().message(), expected);
  EXPECT_FALSE(AnyTempFileBelow(dir_.path()));

  std::filesystem::remove(Copy2());
  std::filesystem::remove_all(dir_.Join("Program Files/lurm"));
  EXPECT_EQ(file.SaveSettings(), -1);
  EXPECT_EQ(file.LastStatus().code(), Status::Code::kNotFound);
  EXPECT_EQ(file.LastStatus().error(), 0);
  EXPECT_EQ(file.LastStatus().message(), DescribeSettingsFailure(file.LastFailure()));

  MakeInstallationFolders();
  EXPECT_EQ(file.SaveSettings(), 1);
  EXPECT_TRUE(file.LastStatus().ok());
  EXPECT_EQ(file.LastStatus().message(), "");
}

TEST_F(SettingsFileTest, PathsLongerThan260UnitsWork) {
  std::string deep = "Users/me";
  while (deep.size() < 300) deep += "/a-rather-long-folder-name";
  platform_.SetAppDataFolder(dir_.MakeDirs(deep));
  const std::string pf = dir_.MakeDirs(deep + "/Program Files (x86)");
  dir_.MakeDirs(deep + "/Program Files (x86)/lurm/RozeVuv_cht");
  dir_.MakeDirs(deep + "/Program Files/lurm/RozeVuv_cht");
  platform_.SetProgramFilesFolder(pf);
  SettingsFile file(&platform_);
  ASSERT_EQ(file.LoadSettings(), 1);
  EXPECT_EQ(file.SaveSettings(), 1);
  EXPECT_EQ(ReadText(dir_.Join(deep + "/Program Files/lurm/RozeVuv_cht/rozevuv_cht.ini")),
            kDefaults1252);
}

TEST(NativeProgramFilesFolderTest, KeepsTheDriveOrTakesTheParent) {
  const std::u16string sep(1, static_cast<char16_t>(kPathSeparator));
  const struct {
    std::u16string reported;
    std::u16string native;
  } cases[] = {
      {u"C:\\Program Files (x86)", u"C:" + sep + u"Program Files"},
      {u"d:\\Program Files", u"d:" + sep + u"Program Files"},
      {sep + u"opt" + sep + u"pf (x86)", sep + u"opt" + sep + u"Program Files"},
      {sep + u"opt" + sep + u"pf" + sep + sep, sep + u"opt" + sep + u"Program Files"},
      {u"a" + sep + sep + u"b", u"a" + sep + u"Program Files"},
      {sep + u"pf", sep + u"Program Files"},
      {sep, sep + u"Program Files"},
      {u"pf", u"Program Files"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NativeProgramFilesFolder(c.reported), c.native) << Utf16ToUtf8(c.reported);
  }
}

}  // namespace
}  // namespace taliq::test
