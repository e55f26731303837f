#include "settings/settings_dialog.h"

#include "platform/message_box.h"
#include "platform/recovery_message.h"
#include "platform/text.h"

namespace taliq {
namespace {

constexpr unsigned kSimplifiedChineseCodePage = 936;

struct SettingInfo {
  std::string_view key;
  SettingControls controls;
  std::string_view values[2];  // written for choice 0 and choice 1
};

// In the order of Setting.
constexpr SettingInfo kSettings[kSettingCount] = {
    {"SHOWMODE", {kIdcShowModeHorizontal, kIdcShowModeVertical, kIdcShowModeGroup}, {"1", "2"}},
    {"ASSIO", {kIdcAssioOn, kIdcAssioOff, kIdcAssioGroup}, {"1", "0"}},
    {"SPEAK", {kIdcSpeakOn, kIdcSpeakOff, kIdcSpeakGroup}, {"1", "0"}},
    {"CHSCHT", {kIdcCharsetSimplified, kIdcCharsetTraditional, kIdcCharsetGroup}, {"0", "1"}},
    {"ORDERMODE", {kIdcOrderMode, kIdcOrderMode, kIdcOrderMode}, {"0", "1"}},
    {"ZDY", {kIdcZdyOn, kIdcZdyOff, kIdcZdyGroup}, {"1", "0"}},
    {"ZYCK", {kIdcZyckOn, kIdcZyckOff, kIdcZyckGroup}, {"1", "0"}},
};

const SettingInfo& Info(Setting setting) { return kSettings[static_cast<int>(setting)]; }

// The first line of the warning a failed save shows.
constexpr char16_t kSaveWarningHeading[] = u"設定未能全部保存，窗口保持開啟。未寫入的文件：";

struct Caption {
  int id;
  std::u16string_view inTemplate;
  std::u16string_view replacement;  // empty: kept on every code page
};

constexpr Caption kCaptions[] = {
    {kIdcOk, u"確定", u"確定"},
    {kIdcCancel, u"取消", u""},
    {kIdcShowModeGroup, u"候選窗口排列模式", u"候選視窗模式"},
    {kIdcShowModeHorizontal, u"橫排", u"橫排"},
    {kIdcShowModeVertical, u"豎排", u"豎排"},
    {kIdcAssioGroup, u"聯想功能", u"聯想功能"},
    {kIdcAssioOn, u"啟用", u"啟用"},
    {kIdcAssioOff, u"禁用", u"禁用"},
    {kIdcSpeakGroup, u" 選中字詞發音", u"選中字詞發音"},
    {kIdcSpeakOn, u"啟用", u"啟用"},
    {kIdcSpeakOff, u"禁用", u"禁用"},
    {kIdcCharsetGroup, u"簡繁字符集", u"字詞碼本"},
    {kIdcCharsetSimplified, u"簡體", u"簡體"},
    {kIdcCharsetTraditional, u"繁體", u"繁體"},
    {kIdcOrderMode, u"與第四版字詞排序兼容", u"與第四版字詞排序兼容"},
    // The two text members give these boxes their captions on every code
    // page; the replacement step leaves them alone.
    {kIdcZdyGroup, u"自定義詞組功能", u""},
    {kIdcZyckGroup, u"專業詞庫功能", u""},
    {kIdcZdyOn, u"啟用", u"啟用"},
    {kIdcZdyOff, u"禁用", u"禁用"},
    {kIdcZyckOn, u"啟用", u"啟用"},
    {kIdcZyckOff, u"禁用", u"禁用"},
};

// The order in which the opening replaces captions off code page 936.
constexpr int kReplacementOrder[] = {
    kIdcShowModeGroup,
    kIdcSpeakGroup,
    kIdcAssioGroup,
    kIdcCharsetGroup,
    kIdcShowModeHorizontal,
    kIdcShowModeVertical,
    kIdcSpeakOn,
    kIdcSpeakOff,
    kIdcAssioOn,
    kIdcAssioOff,
    kIdcCharsetSimplified,
    kIdcCharsetTraditional,
    kIdcZdyOn,
    kIdcZdyOff,
    kIdcZyckOn,
    kIdcZyckOff,
    kIdcOrderMode,
    kIdcOk,
};

const Caption* FindCaption(int id) {
  for (const Caption& c : kCaptions) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

}  // namespace

std::string_view SettingKey(Setting setting) { return Info(setting).key; }

std::optional<Setting> SettingForKey(std::string_view key) {
  for (Setting s : kAllSettings) {
    if (Info(s).key == key) return s;
  }
  return std::nullopt;
}

SettingControls ControlsOf(Setting setting) { return Info(setting).controls; }

int ChoiceControl(Setting setting, int choice) {
  const SettingControls& c = Info(setting).controls;
  return choice == 1 ? c.choice1 : c.choice0;
}

int ReadChoice(Setting setting, std::optional<std::string_view> value, unsigned ansiCodePage) {
  if (!value) {
    switch (setting) {
      case Setting::kShowMode:
      case Setting::kZdy:
      case Setting::kZyck:
        return 1;
      case Setting::kCharset:
        return ansiCodePage == kSimplifiedChineseCodePage ? 0 : 1;
      case Setting::kAssio:
      case Setting::kSpeak:
      case Setting::kOrderMode:
        return 0;
    }
    return 0;
  }
  // An empty value has no first byte and falls to "anything else".
  const char first = value->empty() ? '\0' : value->front();
  switch (setting) {
    case Setting::kShowMode:
      return first == '2' ? 1 : 0;
    case Setting::kAssio:
    case Setting::kSpeak:
    case Setting::kZdy:
    case Setting::kZyck:
      return first == '0' ? 1 : 0;
    case Setting::kCharset:
    case Setting::kOrderMode:
      return first == '1' ? 1 : 0;
  }
  return 0;
}

std::string_view ChoiceValue(Setting setting, int choice) {
  return Info(setting).values[choice == 1 ? 1 : 0];
}

std::u16string_view ControlCaption(int controlId, unsigned ansiCodePage) {
  const Caption* c = FindCaption(controlId);
  if (c == nullptr) return {};
  if (ansiCodePage == kSimplifiedChineseCodePage || c->replacement.empty()) return c->inTemplate;
  return c->replacement;
}

std::u16string_view WindowCaption(unsigned ansiCodePage) {
  return ansiCodePage == kSimplifiedChineseCodePage ? u"Taliq输入法设置" : u"Taliq輸入法TSF設定";
}

SettingsDialogModel::SettingsDialogModel(Platform* platform, SettingsDialogView* view)
    : platform_(platform != nullptr ? platform : Platform::Default()),
      view_(view),
      settings_(platform_) {
  loadStatus_ = settings_.LoadSettings();
}

void SettingsDialogModel::OnInitDialog() {
  // The text members show their captions from the start, on every code page.
  view_->SetControlCaption(kIdcZdyGroup, ControlCaption(kIdcZdyGroup, 0));
  view_->SetControlCaption(kIdcZyckGroup, ControlCaption(kIdcZyckGroup, 0));

  const unsigned codePage = platform_->AnsiCodePage();
  for (Setting s : kAllSettings) {
    std::string value;
    // Result 0 (no such key) and -1 (empty list) both mean absent.
    const bool found = settings_.GetSetting(SettingKey(s), &value) == 1;
    choices_[static_cast<int>(s)] =
        ReadChoice(s, found ? std::optional<std::string_view>(value) : std::nullopt, codePage);
  }
  for (Setting s : kAllSettings) view_->SetChoice(s, choice(s));

  if (codePage != kSimplifiedChineseCodePage) {
    view_->SetWindowCaption(WindowCaption(codePage));
    for (int id : kReplacementOrder) view_->SetControlCaption(id, ControlCaption(id, codePage));
  }
  // The load resolved what an earlier run left of its saves.
  TellRecoveries();
}

void SettingsDialogModel::TellRecoveries() {
  const std::string lines = settings_.TakeRecoveryNote();
  if (lines.empty()) return;
  view_->ShowRecoveries(RecoveredSavesText(lines), WindowCaption(platform_->AnsiCodePage()),
                        kRecoveredSavesFlags, lines);
}

std::u16string SaveWarningText(const SettingsFile& settings) {
  const SettingsFailure& failure = settings.LastFailure();
  std::u16string text = kSaveWarningHeading;
  text += u"\n\n";
  text += Utf8ToUtf16(DescribeSettingsFailure(failure));
  // The save goes through the files in order and stops at the first one it
  // cannot write.
  constexpr SettingsCopy kOrder[] = {SettingsCopy::kPerUser, SettingsCopy::kInstallation,
                                     SettingsCopy::kNativeInstallation};
  bool after = false;
  for (SettingsCopy copy : kOrder) {
    if (after) {
      text += u"\n\n";
      text += Utf8ToUtf16(DescribeUnwrittenCopy(copy, settings.PathOf(copy)));
    }
    after = after || copy == failure.copy;
  }
  return text;
}

int SettingsDialogModel::OnOk() {
  for (Setting s : kAllSettings) choices_[static_cast<int>(s)] = view_->GetChoice(s);
  for (Setting s : kAllSettings) settings_.SetSetting(SettingKey(s), ChoiceValue(s, choice(s)));
  const int status = settings_.SaveSettings();
  TellRecoveries();
  okClosesDialog_ = status == 1;
  if (!okClosesDialog_) {
    view_->ShowMessage(SaveWarningText(settings_), WindowCaption(platform_->AnsiCodePage()),
                       kMbOk | kMbIconWarning);
  }
  return status;
}

bool SettingsDialogModel::OnSysCommand(unsigned command) {
  if (!IsAboutCommand(command)) return false;
  view_->ShowAboutBox();
  return true;
}

}  // namespace taliq
