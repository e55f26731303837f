#include "settings/settings_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/journal.h"
#include "platform/recovery_message.h"
#include "platform/text.h"
#include "tests/support/leftover_journal.h"
#include "tests/settings/settings_fixture.h"

namespace taliq::test {
namespace {

// The dialog's window as a list of what was done to it, plus the state of
// its controls.
class RecordingView : public SettingsDialogView {
 public:
  int GetChoice(Setting setting) override { return choices[setting]; }
  void SetChoice(Setting setting, int choice) override {
    choices[setting] = choice;
    calls.push_back("choice " + std::string(SettingKey(setting)) + "=" + std::to_string(choice));
  }
  void SetControlCaption(int id, std::u16string_view caption) override {
    captions[id] = std::u16string(caption);
    calls.push_back("caption " + std::to_string(id));
  }
  void SetWindowCaption(std::u16string_view caption) override {
    windowCaption = std::u16string(caption);
    calls.push_back("window caption");
  }
  void ShowAboutBox() override { calls.push_back("about"); }
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override {
    messages.push_back({std::u16string(text), std::u16string(caption), flags});
    calls.push_back("message");
    return kIdOk;
  }

  std::vector<int> Choices() {
    std::vector<int> out;
    for (Setting s : kAllSettings) out.push_back(choices[s]);
    return out;
  }

  std::map<Setting, int> choices;
  std::map<int, std::u16string> captions;
  std::u16string windowCaption;
  std::vector<RecordedMessage> messages;
  std::vector<std::string> calls;
};

TEST(SettingsMappingTest, ReadingTable) {
  const std::optional<std::string_view> absent;
  const struct {
    Setting setting;
    std::optional<std::string_view> value;
    unsigned codePage;
    int choice;
  } cases[] = {
      {Setting::kShowMode, absent, 1252, 1}, {Setting::kShowMode, "0", 1252, 0},
      {Setting::kShowMode, "1", 1252, 0},    {Setting::kShowMode, "2", 1252, 1},
      {Setting::kShowMode, "21", 1252, 1},   {Setting::kShowMode, "3", 1252, 0},
      {Setting::kShowMode, "", 1252, 0},     {Setting::kShowMode, " 2", 1252, 0},
      {Setting::kAssio, absent, 1252, 0},    {Setting::kAssio, "0", 1252, 1},
      {Setting::kAssio, "1", 1252, 0},       {Setting::kAssio, "2", 1252, 0},
      {Setting::kAssio, "x", 1252, 0},       {Setting::kSpeak, absent, 936, 0},
      {Setting::kSpeak, "0", 1252, 1},       {Setting::kSpeak, "1", 1252, 0},
      {Setting::kSpeak, "", 1252, 0},        {Setting::kCharset, absent, 936, 0},
      {Setting::kCharset, absent, 950, 1},   {Setting::kCharset, absent, 1252, 1},
      {Setting::kCharset, "0", 1252, 0},     {Setting::kCharset, "1", 936, 1},
      {Setting::kCharset, "2", 1252, 0},     {Setting::kCharset, "", 1252, 0},
      {Setting::kCharset, "", 936, 0},       {Setting::kOrderMode, absent, 1252, 0},
      {Setting::kOrderMode, "0", 1252, 0},   {Setting::kOrderMode, "1", 1252, 1},
      {Setting::kOrderMode, "2", 1252, 0},   {Setting::kOrderMode, "10", 1252, 1},
      {Setting::kZdy, absent, 1252, 1},      {Setting::kZdy, "0", 1252, 1},
      {Setting::kZdy, "1", 1252, 0},         {Setting::kZdy, "2", 1252, 0},
      {Setting::kZdy, "x", 1252, 0},         {Setting::kZdy, "", 1252, 0},
      {Setting::kZyck, absent, 936, 1},      {Setting::kZyck, "0", 1252, 1},
      {Setting::kZyck, "1", 1252, 0},        {Setting::kZyck, "x", 1252, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadChoice(c.setting, c.value, c.codePage), c.choice)
        << SettingKey(c.setting) << " "
        << (c.value ? "\"" + std::string(*c.value) + "\"" : "absent") << " cp " << c.codePage;
  }
}

TEST(SettingsMappingTest, WritingTableAndItsReadBack) {
  const struct {
    Setting setting;
    const char* choice0;
    const char* choice1;
  } cases[] = {
      {Setting::kShowMode, "1", "2"}, {Setting::kAssio, "1", "0"},     {Setting::kSpeak, "1", "0"},
      {Setting::kCharset, "0", "1"},  {Setting::kOrderMode, "0", "1"}, {Setting::kZdy, "1", "0"},
      {Setting::kZyck, "1", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SettingKey(c.setting));
    EXPECT_EQ(ChoiceValue(c.setting, 0), c.choice0);
    EXPECT_EQ(ChoiceValue(c.setting, 1), c.choice1);
    // What OK writes opens as the same choice on every code page.
    for (unsigned cp : {936u, 1252u}) {
      for (int choice : {0, 1}) {
        EXPECT_EQ(ReadChoice(c.setting, ChoiceValue(c.setting, choice), cp), choice);
      }
    }
  }
  EXPECT_EQ(SettingKey(Setting::kCharset), "CHSCHT");
  EXPECT_EQ(SettingForKey("ZYCK"), Setting::kZyck);
  EXPECT_EQ(SettingForKey("zyck"), std::nullopt);
}

TEST(SettingsMappingTest, CaptionsByCodePage) {
  EXPECT_EQ(WindowCaption(936), u"Taliq输入法设置");
  EXPECT_EQ(ControlCaption(kIdcSpeakGroup, 936), u" 選中字詞發音");
  EXPECT_EQ(ControlCaption(kIdcCharsetGroup, 936), u"簡繁字符集");
  EXPECT_EQ(ControlCaption(kIdcShowModeGroup, 936), u"候選窗口排列模式");
  for (unsigned cp : {950u, 1252u}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(WindowCaption(cp), u"Taliq輸入法TSF設定");
    EXPECT_EQ(ControlCaption(kIdcSpeakGroup, cp), u"選中字詞發音");
    EXPECT_EQ(ControlCaption(kIdcCharsetGroup, cp), u"字詞碼本");
    EXPECT_EQ(ControlCaption(kIdcShowModeGroup, cp), u"候選視窗模式");
    EXPECT_EQ(ControlCaption(kIdcCancel, cp), u"取消");
    EXPECT_EQ(ControlCaption(kIdcZdyGroup, cp), u"自定義詞組功能");
    EXPECT_EQ(ControlCaption(kIdcZyckGroup, cp), u"專業詞庫功能");
  }
  EXPECT_EQ(ControlCaption(ChoiceControl(Setting::kShowMode, 1), 1252), u"豎排");
  EXPECT_EQ(ControlCaption(ChoiceControl(Setting::kCharset, 0), 1252), u"簡體");
  EXPECT_EQ(ControlCaption(ChoiceControl(Setting::kZyck, 1), 1252), u"禁用");
  EXPECT_EQ(ControlCaption(ChoiceControl(Setting::kOrderMode, 1), 1252), u"與第四版字詞排序兼容");
  EXPECT_EQ(ControlCaption(4242, 1252), u"");
}

TEST(SettingsMappingTest, AboutCommandIgnoresTheLowFourBits) {
  EXPECT_TRUE(IsAboutCommand(0x0010));
  EXPECT_TRUE(IsAboutCommand(0x001F));
  EXPECT_FALSE(IsAboutCommand(0x0020));
  EXPECT_FALSE(IsAboutCommand(0xF060));  // SC_CLOSE
  EXPECT_FALSE(IsAboutCommand(0xF010));  // SC_MOVE
}

using SettingsDialogTest = SettingsMachine;

TEST_F(SettingsDialogTest, FirstRunOpensWithTheDefaultsAndOkAppendsZdyAndZyck) {
  const struct {
    unsigned codePage;
    int charset;
    const char* chscht;
  } cases[] = {{936, 0, "0"}, {950, 1, "1"}, {1252, 1, "1"}};
  MakeInstallationFolders();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    std::filesystem::remove_all(SettingsFolder());
    platform_.SetCodePage(c.codePage);
    RecordingView view;
    SettingsDialogModel model(&platform_, &view);
    EXPECT_EQ(model.loadStatus(), 1);
    model.OnInitDialog();
    // 豎排, 禁用, 禁用, charset by code page, unchecked, 禁用, 禁用.
    EXPECT_EQ(view.Choices(), (std::vector<int>{1, 1, 1, c.charset, 0, 1, 1}));
    EXPECT_EQ(model.OnOk(), 1);
    const std::string expected =
        std::string("[BaseConfig]\r\nSHOWMODE=2\r\nMAMODE=3\r\nASSIO=0\r\n") +
        "SPEAK=0\r\nCHSCHT=" + c.chscht + "\r\nORDERMODE=0\r\nZDY=0\r\nZYCK=0\r\n";
    EXPECT_EQ(ReadText(PerUser()), expected);
    EXPECT_EQ(ReadText(Copy2()), expected);
    EXPECT_EQ(ReadText(Copy3()), expected);
  }
}

TEST_F(SettingsDialogTest, OpeningSetsTheCaptionsOfTheCodePageInOrder) {
  WritePerUser("[BaseConfig]\r\nSHOWMODE=1\r\n");
  {
    platform_.SetCodePage(936);
    RecordingView view;
    SettingsDialogModel model(&platform_, &view);
    model.OnInitDialog();
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"caption 1014", "caption 1015", "choice SHOWMODE=0",
                                        "choice ASSIO=0", "choice SPEAK=0", "choice CHSCHT=0",
                                        "choice ORDERMODE=0", "choice ZDY=1", "choice ZYCK=1"}));
    EXPECT_EQ(view.captions[kIdcZdyGroup], u"自定義詞組功能");
    EXPECT_EQ(view.captions[kIdcZyckGroup], u"專業詞庫功能");
  }
  for (unsigned cp : {950u, 1252u}) {
    SCOPED_TRACE(cp);
    platform_.SetCodePage(cp);
    RecordingView view;
    SettingsDialogModel model(&platform_, &view);
    model.OnInitDialog();
    std::vector<std::string> afterChoices(view.calls.begin() + 9, view.calls.end());
    std::vector<std::string> expected = {"window caption"};
    for (int id : {1008, 1009, 1010, 1011, 1000, 1001, 1004, 1005, 1002, 1003, 1006, 1007, 1013,
                   1016, 1017, 1018, 1012, 1}) {
      expected.push_back("caption " + std::to_string(id));
    }
    EXPECT_EQ(afterChoices, expected);
    EXPECT_EQ(view.windowCaption, u"Taliq輸入法TSF設定");
    EXPECT_EQ(view.captions[kIdcSpeakGroup], u"選中字詞發音");
    EXPECT_EQ(view.captions[kIdcCharsetGroup], u"字詞碼本");
    EXPECT_EQ(view.captions[kIdcShowModeGroup], u"候選視窗模式");
    EXPECT_EQ(view.captions.count(kIdcCancel), 0u);
  }
}

TEST_F(SettingsDialogTest, OkWritesTheViewsChoicesAndKeepsEverythingElse) {
  MakeInstallationFolders();
  WritePerUser(
      "[BaseConfig]\r\nZDY=x\r\nSHOWMODE=3\r\nMAMODE=3\r\nshowmode=2\r\nOTHER=keep=me\r\n"
      "CHSCHT=\r\n");
  platform_.SetCodePage(1252);
  RecordingView view;
  SettingsDialogModel model(&platform_, &view);
  model.OnInitDialog();
  // SHOWMODE "3" shows 橫排, ZDY "x" 啟用, CHSCHT empty 簡體, absent keys
  // their absent readings.
  EXPECT_EQ(view.Choices(), (std::vector<int>{0, 0, 0, 0, 0, 0, 1}));

  view.choices[Setting::kOrderMode] = 1;
  view.choices[Setting::kZyck] = 0;
  view.choices[Setting::kCharset] = 1;
  EXPECT_EQ(model.OnOk(), 1);
  EXPECT_EQ(model.choice(Setting::kOrderMode), 1);
  const std::string expected =
      "[BaseConfig]\r\nZDY=1\r\nSHOWMODE=1\r\nMAMODE=3\r\nshowmode=2\r\nOTHER=keep=me\r\n"
      "CHSCHT=1\r\nASSIO=1\r\nSPEAK=1\r\nORDERMODE=1\r\nZYCK=1\r\n";
  EXPECT_EQ(ReadText(PerUser()), expected);
  EXPECT_EQ(ReadText(Copy3()), expected);
}

TEST_F(SettingsDialogTest, HeaderlessFileLosesItsFirstLineToTheHeader) {
  WritePerUser("SHOWMODE=1\r\nASSIO=0\r\n");
  RecordingView view;
  SettingsDialogModel model(&platform_, &view);
  model.OnInitDialog();
  EXPECT_EQ(view.choices[Setting::kShowMode], 1);  // absent: 豎排
  model.OnOk();
  EXPECT_EQ(ReadText(PerUser()),
            "[BaseConfig]\r\nASSIO=0\r\nSHOWMODE=2\r\nSPEAK=1\r\nCHSCHT=1\r\nORDERMODE=0\r\n"
            "ZDY=0\r\nZYCK=0\r\n");
}

TEST_F(SettingsDialogTest, CancelAndAboutWriteNothingAndChangeNoChoice) {
  MakeInstallationFolders();
  const std::string before = "[BaseConfig]\r\nSHOWMODE=1\r\nMAMODE=3\r\n";
  WritePerUser(before);
  RecordingView view;
  SettingsDialogModel model(&platform_, &view);
  model.OnInitDialog();
  const std::vector<int> opened = view.Choices();

  view.calls.clear();
  EXPECT_TRUE(model.OnSysCommand(0x0010));
  EXPECT_FALSE(model.OnSysCommand(0xF060));
  EXPECT_EQ(view.calls, std::vector<std::string>{"about"});
  EXPECT_EQ(view.Choices(), opened);

  view.choices[Setting::kShowMode] = 1;
  model.OnCancel();
  EXPECT_EQ(ReadText(PerUser()), before);
  EXPECT_FALSE(FileExists(Copy2()));
  EXPECT_FALSE(FileExists(Copy3()));
}

TEST_F(SettingsDialogTest, UnreadableSettingsOpenWithTheAbsentReadings) {
  platform_.failAppData = true;
  platform_.SetCodePage(936);
  RecordingView view;
  SettingsDialogModel model(&platform_, &view);
  EXPECT_EQ(model.loadStatus(), 0);
  model.OnInitDialog();
  EXPECT_EQ(view.Choices(), (std::vector<int>{1, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(model.OnOk(), 0);
}

// OK after a save that did not write every file: a warning names each file
// not written and why, and the dialog stays open with the user's choices;
// once the cause is gone, OK saves and closes.
TEST_F(SettingsDialogTest, OkThatCouldNotSaveEverythingWarnsAndKeepsTheDialogOpen) {
  const std::string given = "[BaseConfig]\r\nSHOWMODE=1\r\n";
  const struct {
    const char* name;
    bool perUserUnreadable;  // at the start, and while OK is pressed
    bool nativeFolderMissing;
    std::vector<std::string> named;  // in the warning, in order
  } cases[] = {
      {"native copy's folder missing",
       false,
       true,
       {"native installation copy " + Copy3() + ": its folder does not exist"}},
      {"per-user file unreadable",
       true,
       false,
       {"per-user settings file " + PerUser() + ": it exists but cannot be read",
        "installation copy " + Copy2() + ": not written",
        "native installation copy " + Copy3() + ": not written"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir_.Join("Program Files (x86)/lurm"));
    std::filesystem::remove_all(dir_.Join("Program Files/lurm"));
    MakeInstallationFolders();
    if (c.nativeFolderMissing) std::filesystem::remove_all(dir_.Join("Program Files/lurm"));
    WritePerUser(given);
    platform_.failOpen.clear();
    if (c.perUserUnreadable) platform_.failOpen = {"ZIRIZIR/rozevuv_cht.ini"};
    RecordingView view;
    SettingsDialogModel model(&platform_, &view);
    model.OnInitDialog();
    view.choices[Setting::kZdy] = 0;  // 啟用: "ZDY=1"

    EXPECT_EQ(model.OnOk(), -1);
    EXPECT_FALSE(model.okClosesDialog());
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string text = Utf16ToUtf8(view.messages[0].text);
    size_t at = 0;
    for (const std::string& named : c.named) {
      const size_t found = text.find(named, at);
      EXPECT_NE(found, std::string::npos) << named << " in:\n" << text;
      at = found == std::string::npos ? at : found;
    }
    EXPECT_EQ(view.messages[0].caption, WindowCaption(1252));
    EXPECT_EQ(view.messages[0].flags, kMbOk | kMbIconWarning);
    EXPECT_EQ(view.choices[Setting::kZdy], 0);

    // The cause gone, OK saves everything and ends the dialog, silently.
    platform_.failOpen.clear();
    MakeInstallationFolders();
    SettingsDialogModel again(&platform_, &view);
    view.messages.clear();
    EXPECT_EQ(again.OnOk(), 1);
    EXPECT_TRUE(again.okClosesDialog());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_NE(ReadText(Copy3()).find("ZDY=1\r\n"), std::string::npos);
  }
}

// A save an earlier run did not finish is told once, in one box after the
// controls are set, when the opening's load resolved it; one the save
// itself comes upon (another run stopped in between) is told by OK, which
// still saves and ends the dialog. Without one, no box (the tests above).
TEST_F(SettingsDialogTest, AnInterruptedSaveIsToldOnceInOneBox) {
  MakeInstallationFolders();
  WritePerUser("[BaseConfig]\r\nSHOWMODE=1\r\n");
  PlantJournal(PerUser(), Leftover::kOldInPlace);
  RecordingView view;
  SettingsDialogModel model(&platform_, &view);
  EXPECT_EQ(model.loadStatus(), 1);
  model.OnInitDialog();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.calls.back(), "message");
  const std::string text = Utf16ToUtf8(view.messages[0].text);
  EXPECT_EQ(text.rfind(Utf16ToUtf8(kRecoveredSavesHeading), 0), 0u) << text;
  EXPECT_NE(text.find(PerUser() + ": a save that was interrupted has been undone"),
            std::string::npos)
      << text;
  EXPECT_EQ(view.messages[0].caption, WindowCaption(1252));
  EXPECT_EQ(view.messages[0].flags, kMbOk | kMbIconWarning);
  EXPECT_EQ(view.Choices()[0], 0);  // SHOWMODE=1 was read after the recovery

  WriteBytes(Copy2(), {'x'});
  PlantJournal(Copy2(), Leftover::kNewInPlace);
  EXPECT_EQ(model.OnOk(), 1);
  EXPECT_TRUE(model.okClosesDialog());
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(Utf16ToUtf8(view.messages[1].text)
                .find(Copy2() + ": a save that was interrupted has been completed"),
            std::string::npos);
  EXPECT_FALSE(FileExists(JournalPath(Copy2())));
  EXPECT_EQ(ReadText(Copy2()), ReadText(PerUser()));
}

}  // namespace
}  // namespace taliq::test
