// What the programs declare, read from their files the way Windows reads
// it: the dialog templates (ids, classes, captions, positions, styles,
// fonts, order), string resources, icon groups, version blocks, resource
// language and manifests, of the programs beside the driver (run.sh runs
// it once beside each release zip's programs, 32- and 64-bit).
#include <cstring>

#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {
namespace {

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kNoId = 0xFFFFFFFF;

struct ExpectedControl {
  DWORD id;
  WORD classOrdinal;
  std::u16string_view text;  // for an icon, empty (its ordinal is checked apart)
  short x, y, cx, cy;
  DWORD style;
};

struct DialogExpectation {
  int id;
  std::u16string_view caption;
  short cx, cy;
  DWORD style;
  DWORD exStyle;
  std::u16string_view font;
  std::vector<ExpectedControl> controls;
};

// Reads the parts of a DLGTEMPLATEEX one by one.
class TemplateReader {
 public:
  TemplateReader(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  std::uint16_t Word() {
    if (pos_ + 2 > size_) return Fail16();
    std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t Dword() {
    const std::uint32_t lo = Word();
    return lo | (static_cast<std::uint32_t>(Word()) << 16);
  }
  std::uint8_t Byte() {
    if (pos_ + 1 > size_) return static_cast<std::uint8_t>(Fail16());
    return data_[pos_++];
  }
  // A string or, after 0xFFFF, an ordinal (returned in *ordinal).
  std::u16string StringOrOrdinal(WORD* ordinal) {
    *ordinal = 0;
    std::uint16_t first = Word();
    if (first == 0xFFFF) {
      *ordinal = Word();
      return std::u16string();
    }
    std::u16string text;
    while (ok_ && first != 0) {
      text.push_back(static_cast<char16_t>(first));
      first = Word();
    }
    return text;
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~static_cast<size_t>(3); }
  void Skip(size_t n) { pos_ += n; }

 private:
  std::uint16_t Fail16() {
    ok_ = false;
    pos_ = size_;
    return 0;
  }
  const std::uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

WORD PredefinedClass(const std::u16string& name) {
  std::u16string lower;
  for (char16_t c : name)
    lower.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c);
  if (lower == u"button") return kButton;
  if (lower == u"edit") return kEdit;
  if (lower == u"static") return kStatic;
  if (lower == u"listbox") return kListBox;
  return 0;
}

std::string Where(const std::string& program, int dialog) {
  return program + " dialog " + std::to_string(dialog);
}

void CheckDialog(HMODULE module, WORD language, const std::string& program,
                 const DialogExpectation& expected) {
  HRSRC found = ::FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(expected.id), language);
  if (found == nullptr) {
    Expect(false,
           Where(program, expected.id) + " is missing in language " + std::to_string(language));
    return;
  }
  const auto* data =
      static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found)));
  TemplateReader r(data, ::SizeofResource(module, found));
  const std::string where = Where(program, expected.id);
  Require(r.Word() == 1 && r.Word() == 0xFFFF, where + " is not an extended template");
  r.Dword();  // help id
  const DWORD exStyle = r.Dword();
  const DWORD style = r.Dword();
  const WORD count = r.Word();
  r.Word();
  r.Word();
  const short cx = static_cast<short>(r.Word());
  const short cy = static_cast<short>(r.Word());
  WORD ordinal = 0;
  const std::u16string menu = r.StringOrOrdinal(&ordinal);
  const std::u16string windowClass = r.StringOrOrdinal(&ordinal);
  const std::u16string caption = r.StringOrOrdinal(&ordinal);
  const WORD points = r.Word();
  r.Word();  // weight
  r.Byte();  // italic
  r.Byte();  // charset
  const std::u16string font = r.StringOrOrdinal(&ordinal);
  Expect(style == expected.style, where + " style " + std::to_string(style) + ", expected " +
                                      std::to_string(expected.style));
  Expect(exStyle == expected.exStyle, where + " extended style " + std::to_string(exStyle));
  Expect(cx == expected.cx && cy == expected.cy,
         where + " size " + std::to_string(cx) + " x " + std::to_string(cy));
  Expect(caption == expected.caption, where + " caption " + Show(caption));
  Expect(points == 9 && font == expected.font,
         where + " font " + std::to_string(points) + " " + Show(font));
  Expect(menu.empty() && windowClass.empty(), where + " names a menu or a class");
  Expect(count == expected.controls.size(), where + " has " + std::to_string(count) +
                                                " controls, expected " +
                                                std::to_string(expected.controls.size()));
  for (size_t i = 0; i < count && i < expected.controls.size() && r.ok(); ++i) {
    const ExpectedControl& want = expected.controls[i];
    r.AlignDword();
    r.Dword();  // help id
    r.Dword();  // extended style
    const DWORD controlStyle = r.Dword();
    const short x = static_cast<short>(r.Word());
    const short y = static_cast<short>(r.Word());
    const short w = static_cast<short>(r.Word());
    const short h = static_cast<short>(r.Word());
    const DWORD id = r.Dword();
    WORD classOrdinal = 0;
    const std::u16string className = r.StringOrOrdinal(&classOrdinal);
    // A class may be given by name; resource compilers differ in that.
    if (classOrdinal == 0) classOrdinal = PredefinedClass(className);
    WORD textOrdinal = 0;
    const std::u16string text = r.StringOrOrdinal(&textOrdinal);
    r.Skip(r.Word());
    const std::string at = where + " control " + std::to_string(i) + " (" +
                           (want.id == kNoId ? Show(want.text) : std::to_string(want.id)) + ")";
    Expect(id == want.id, at + ": id " + std::to_string(id));
    Expect(classOrdinal == want.classOrdinal, at + ": class " + std::to_string(classOrdinal));
    Expect(text == want.text, at + ": text " + Show(text));
    Expect(x == want.x && y == want.y && w == want.cx && h == want.cy,
           at + ": position " + std::to_string(x) + ", " + std::to_string(y) + ", " +
               std::to_string(w) + ", " + std::to_string(h));
    Expect(controlStyle == want.style, at + ": style " + std::to_string(controlStyle) +
                                           ", expected " + std::to_string(want.style));
    if ((want.style & SS_TYPEMASK) == SS_ICON && want.classOrdinal == kStatic) {
      Expect(textOrdinal == 128, at + ": shows icon " + std::to_string(textOrdinal));
    }
  }
  Expect(r.ok(), where + " is cut short");
}

std::u16string StringResource(HMODULE module, UINT id) {
  const wchar_t* text = nullptr;
  const int n = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? win32::U16(text, static_cast<size_t>(n)) : std::u16string();
}

void CheckIconGroup(HMODULE module, int id, int images, const std::string& program) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  if (found == nullptr) {
    Expect(false, program + " has no icon " + std::to_string(id));
    return;
  }
  const auto* data =
      static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found)));
  const int count = data[4] | (data[5] << 8);
  Expect(count == images,
         program + " icon " + std::to_string(id) + " holds " + std::to_string(count) + " images");
}

std::string Manifest(HMODULE module) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  if (found == nullptr) return std::string();
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
  return std::string(data, ::SizeofResource(module, found));
}

void CheckManifest(HMODULE module, const std::string& program,
                   const std::vector<std::string>& needles) {
  const std::string manifest = Manifest(module);
  Expect(!manifest.empty(), program + " has no manifest");
  for (const std::string& needle : needles) {
    Expect(manifest.find(needle) != std::string::npos, program + "'s manifest lacks " + needle);
  }
}

void CheckVersion(const std::wstring& path, const std::string& program, const wchar_t* block,
                  const std::vector<std::pair<const wchar_t*, std::u16string_view>>& values) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) {
    Expect(false, program + " has no version block");
    return;
  }
  std::vector<std::uint8_t> data(size);
  ::GetFileVersionInfoW(path.c_str(), 0, size, data.data());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
      fixed != nullptr) {
    Expect(fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000001 &&
               fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0x00000001,
           program + " is not version 1.0.0.1");
  } else {
    Expect(false, program + " has no fixed version");
  }
  for (const auto& [name, expected] : values) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
    wchar_t* text = nullptr;
    UINT units = 0;
    std::u16string got;
    if (::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &units) &&
        text != nullptr) {
      got = win32::U16(text);
    }
    Expect(got == expected, program + " version " + Utf8(std::wstring(name)) + " is " + Show(got));
  }
}

HMODULE Open(const std::wstring& path) {
  return ::LoadLibraryExW(path.c_str(), nullptr,
                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

const DialogExpectation kTunavoMain = {
    102,
    u"Taliq輸入法TSF調頻程序",
    350,
    326,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SYSMODAL,
    WS_EX_APPWINDOW,
    u"新細明體-ExtB",
    {
        {1001, kEdit, u"", 74, 26, 81, 18,
         kChild | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
        {1000, kListBox, u"", 22, 70, 213, 188,
         kChild | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
             WS_TABSTOP},
        {1004, kButton, u"最前(&T)", 247, 70, 74, 26, kChild | WS_TABSTOP},
        {1005, kButton, u"上調(&P)", 247, 123, 74, 26, kChild | WS_TABSTOP},
        {1006, kButton, u"下調(&N)", 247, 176, 74, 26, kChild | WS_TABSTOP},
        {1007, kButton, u"最後(&B)", 247, 229, 74, 26, kChild | WS_TABSTOP},
        {1008, kButton, u"單字(&Z)", 15, 281, 50, 22, kChild | WS_TABSTOP},
        {1009, kButton, u"詞組(&C)", 82, 281, 50, 22, kChild | WS_TABSTOP},
        {1010, kButton, u"儲存(&S)", 216, 281, 50, 22, kChild | WS_TABSTOP | WS_DISABLED},
        {IDCANCEL, kButton, u"退出(&X)", 283, 281, 50, 22, kChild | WS_TABSTOP},
        {1002, kButton, u"簡體", 199, 26, 52, 15, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1003, kButton, u"繁體", 264, 26, 52, 15, kChild | BS_AUTORADIOBUTTON},
        {kNoId, kStatic, u"輸入編碼：", 20, 28, 51, 11, kChild | WS_GROUP},
        {kNoId, kButton, u"字符集選擇", 182, 16, 151, 35, kChild | BS_GROUPBOX},
        {kNoId, kButton, u"重碼字詞", 15, 57, 318, 212, kChild | BS_GROUPBOX},
        {kNoId, kStatic,
         u"注意：當用戶選擇【智能調頻】后，候選字詞的排列順序將與本調頻的結果不一致！", 13, 311,
         319, 8, WS_CHILD | SS_CENTER | WS_GROUP},
        {1011, kButton, u"標點(&F)", 149, 281, 50, 22, WS_CHILD | WS_TABSTOP},
    }};

// The About boxes: only the parts the programs fix (the maker and contact
// lines are the programs' own) are compared by text.
DialogExpectation ExpectedAboutBox(std::u16string_view caption, short cy, std::u16string_view title,
                                   short titleY, short lineCx, short okY, short contactX,
                                   short contactCx, short frameCy, std::u16string_view maker,
                                   std::u16string_view contact, bool okFirst) {
  DialogExpectation expected{100,
                             caption,
                             235,
                             cy,
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                             0,
                             u"新細明體-ExtB",
                             {}};
  const ExpectedControl icon{kNoId, kStatic, u"", 11, 17, 20, 20, kChild | SS_ICON};
  const ExpectedControl name{kNoId, kStatic, title, 70, titleY, 94, 8, kChild | SS_NOPREFIX};
  const ExpectedControl line{kNoId, kStatic, u"For  Windows 8/8.1/10", 72, 33, lineCx, 11, kChild};
  const ExpectedControl ok{
      IDOK, kButton, u"確定", 178, okY, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP};
  const ExpectedControl makerLines{kNoId, kStatic, maker, 30, 51, 175, 26, kChild | SS_CENTER};
  const ExpectedControl contactLines{kNoId, kStatic, contact, contactX, 83, contactCx, 16, kChild};
  const ExpectedControl frame{kNoId, kButton, u"", 7, 7, 221, frameCy, kChild | BS_GROUPBOX};
  expected.controls =
      okFirst ? std::vector<ExpectedControl>{icon, name, line, ok, makerLines, contactLines, frame}
              : std::vector<ExpectedControl>{icon, name, line, makerLines, contactLines, frame, ok};
  return expected;
}

const DialogExpectation kTunavoAbout = ExpectedAboutBox(
    u"關于 Taliq輸入法TSF調頻程序", 113, u"Taliq輸入法TSF調頻程序", 19, 96, 14, 60, 115, 105,
    u"Taliq 輸入法 TSF 版\n字詞調頻程序 1.0.0.1\n按編碼調整重碼字詞的排列次序",
    u"問題與建議：\n請與本軟件的發行者聯絡", true);

const DialogExpectation kQevoAbout = ExpectedAboutBox(
    u"關于 Taliq輸入法TSF設定程序", 106, u"Taliq輸入法TSF設定程序", 17, 91, 17, 52, 132, 95,
    u"Taliq 輸入法 TSF 版\n設定程序 1.0.0.1\n候選視窗、聯想、發音與詞庫設定",
    u"問題與建議：\n請與本軟件的發行者聯絡", false);

const DialogExpectation kQevoMain = {
    102,
    u"Taliq输入法设置",
    320,
    200,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT,
    WS_EX_APPWINDOW,
    u"新細明體",
    {
        {IDOK, kButton, u"確定", 209, 179, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, kButton, u"取消", 263, 179, 50, 14, kChild | WS_TABSTOP},
        {1008, kButton, u"候選窗口排列模式", 30, 18, 127, 48, kChild | BS_GROUPBOX},
        {1000, kButton, u"橫排", 53, 28, 54, 16, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1001, kButton, u"豎排", 53, 44, 73, 18, kChild | BS_AUTORADIOBUTTON},
        {1010, kButton, u"聯想功能", 30, 72, 127, 48, kChild | BS_GROUPBOX},
        {1002, kButton, u"啟用", 53, 84, 30, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1003, kButton, u"禁用", 53, 102, 30, 10, kChild | BS_AUTORADIOBUTTON},
        {1009, kButton, u" 選中字詞發音", 169, 18, 127, 48, kChild | BS_GROUPBOX},
        {1004, kButton, u"啟用", 207, 28, 57, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1005, kButton, u"禁用", 207, 44, 62, 10, kChild | BS_AUTORADIOBUTTON},
        {1011, kButton, u"簡繁字符集", 169, 72, 127, 48, kChild | BS_GROUPBOX},
        {1006, kButton, u"簡體", 207, 84, 29, 12, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1007, kButton, u"繁體", 207, 102, 42, 12, kChild | BS_AUTORADIOBUTTON},
        {1012, kButton, u"與第四版字詞排序兼容", 30, 180, 125, 13,
         kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
        {1014, kButton, u"自定義詞組功能", 30, 125, 127, 48, kChild | BS_GROUPBOX},
        {1015, kButton, u"專業詞庫功能", 169, 125, 127, 48, kChild | BS_GROUPBOX},
        {1013, kButton, u"啟用", 53, 138, 30, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1016, kButton, u"禁用", 53, 155, 46, 11, kChild | BS_AUTORADIOBUTTON},
        {1017, kButton, u"啟用", 207, 138, 47, 13, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {1018, kButton, u"禁用", 207, 155, 54, 12, kChild | BS_AUTORADIOBUTTON},
    }};

const std::string kAdministrator = "level=\"requireAdministrator\" uiAccess=\"false\"";
const std::string kDpiAware = ">true</dpiAware>";

void CheckFolder(const std::wstring& folder, const std::string& label) {
  Note("the programs in " + label);
  {
    const std::wstring path = folder + L"\\Tunavo.exe";
    HMODULE m = Open(path);
    Require(m != nullptr, "cannot open " + Utf8(path));
    const WORD hk = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG);
    Expect(hk == 3076, "Chinese (Hong Kong) is not 3076");
    CheckDialog(m, hk, "Tunavo", kTunavoMain);
    CheckDialog(m, hk, "Tunavo", kTunavoAbout);
    Expect(StringResource(m, 101) == u"關于 Taliq輸入法TSF調頻程序(&A)...",
           "Tunavo string 101 reads " + Show(StringResource(m, 101)));
    Expect(StringResource(m, 57344) == u"Taliq輸入法TSF調頻程序",
           "Tunavo string 57344 reads " + Show(StringResource(m, 57344)));
    CheckIconGroup(m, 128, 2, "Tunavo");
    CheckManifest(m, "Tunavo", {kAdministrator, kDpiAware});
    ::FreeLibrary(m);
    CheckVersion(path, "Tunavo", L"0c0404b0",
                 {{L"ProductName", u"Taliq輸入法TSF調頻程序"},
                  {L"InternalName", u"Taliq輸入法TSF調頻程序"},
                  {L"FileVersion", u"1, 0, 0, 1"},
                  {L"ProductVersion", u"1, 0, 0, 1"}});
  }
  {
    const std::wstring path = folder + L"\\QevoConfig.exe";
    HMODULE m = Open(path);
    Require(m != nullptr, "cannot open " + Utf8(path));
    const WORD tw = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);
    CheckDialog(m, tw, "QevoConfig", kQevoMain);
    CheckDialog(m, tw, "QevoConfig", kQevoAbout);
    Expect(StringResource(m, 101) == u"关于 QevoConfig(&A)...",
           "QevoConfig string 101 reads " + Show(StringResource(m, 101)));
    CheckIconGroup(m, 128, 2, "QevoConfig");
    CheckManifest(m, "QevoConfig",
                  {kAdministrator, kDpiAware,
                   "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""});
    ::FreeLibrary(m);
    CheckVersion(path, "QevoConfig", L"040404b0",
                 {{L"FileDescription", u"QevoConfig"},
                  {L"ProductName", u"Qevo Settings"},
                  {L"CompanyName", u"LURM"},
                  {L"InternalName", u"QevoConfig.exe"},
                  {L"OriginalFilename", u"QevoConfig.exe"},
                  {L"FileVersion", u"1.0.0.1"},
                  {L"ProductVersion", u"1.0.0.1"}});
  }
  {
    const std::wstring path = folder + L"\\archsetup.exe";
    HMODULE m = Open(path);
    Require(m != nullptr, "cannot open " + Utf8(path));
    CheckIconGroup(m, 102, 2, "archsetup");
    CheckManifest(m, "archsetup", {kAdministrator});
    ::FreeLibrary(m);
    CheckVersion(path, "archsetup", L"040904b0", {{L"OriginalFilename", u"archsetup.exe"}});
  }
}

void Resources() {
  CheckFolder(DriverFolder(),
              sizeof(void*) == 4 ? "the driver's folder (32-bit)" : "the driver's folder (64-bit)");
}

const RegisterScenario kResourceScenarios[] = {{"resources", &Resources}};

}  // namespace
}  // namespace taliq::e2e
