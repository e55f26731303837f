#include "freqtool/win/tunavo_dlg.h"

#include <shellapi.h>

#include <iterator>

#include "freqtool/win/resource.h"

namespace taliq {

using win32::W;

// The model's About command is the one the system menu gets.
static_assert(IDM_ABOUTBOX == kIdmAboutBox);

// The message map, in the order the dialog declares it.
const win32::ModalDialog::CommandEntry<CTunavoDlg> CTunavoDlg::kCommandMap[] = {
    {BN_CLICKED, IDC_MOVE_TOP, &CTunavoDlg::OnMoveToTop},
    {BN_CLICKED, IDC_MOVE_BOTTOM, &CTunavoDlg::OnMoveToBottom},
    {BN_CLICKED, IDC_MOVE_UP, &CTunavoDlg::OnMoveUp},
    {BN_CLICKED, IDC_MOVE_DOWN, &CTunavoDlg::OnMoveDown},
    {BN_CLICKED, IDC_SIMPLIFIED, &CTunavoDlg::OnCharsetClicked},
    {EN_CHANGE, IDC_CODE, &CTunavoDlg::OnCodeChanged},
    {BN_CLICKED, IDC_TRADITIONAL, &CTunavoDlg::OnCharsetClicked},
    {BN_CLICKED, IDC_SINGLE, &CTunavoDlg::OnSingleClicked},
    {BN_CLICKED, IDC_PHRASE, &CTunavoDlg::OnPhraseClicked},
    {BN_CLICKED, IDC_SAVE, &CTunavoDlg::OnSaveClicked},
    {BN_CLICKED, IDC_PUNCTUATION, &CTunavoDlg::OnPunctuationClicked},
};

CTunavoDlg::CTunavoDlg()
    : ModelDialog({IDD_TUNAVO_DIALOG, IDD_ABOUTBOX, IDR_MAINFRAME, IDS_ABOUTBOX, IDM_ABOUTBOX}) {}

CTunavoDlg::~CTunavoDlg() = default;

void CTunavoDlg::OnInitControls() {
  // The list's own font: the dialog font at a cell height of 20. It lives
  // until the program ends.
  HWND list = candidateBox();
  HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
  LOGFONTW logFont = {};
  if (dialogFont != nullptr && ::GetObjectW(dialogFont, sizeof(logFont), &logFont) != 0) {
    logFont.lfHeight = 20;
    HFONT listFont = ::CreateFontIndirectW(&logFont);
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), TRUE);
  }

  // Writes the controls, then takes the command line.
  model().OnInitDialog(CommandLineArguments());
}

bool CTunavoDlg::OnCommand(WORD id, WORD code) {
  return DispatchCommand<CTunavoDlg>(this, kCommandMap, id, code);
}

HWND CTunavoDlg::candidateBox() const { return Item(IDC_CANDIDATES); }

HWND CTunavoDlg::codeField() const { return Item(IDC_CODE); }

void CTunavoDlg::ResetLines() { ::SendMessageW(candidateBox(), LB_RESETCONTENT, 0, 0); }

void CTunavoDlg::InsertLine(int index, std::u16string_view text) {
  const std::u16string line(text);
  ::SendMessageW(candidateBox(), LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(W(line)));
}

void CTunavoDlg::DeleteLine(int index) {
  ::SendMessageW(candidateBox(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

std::u16string CTunavoDlg::LineText(int index) {
  const LRESULT length =
      ::SendMessageW(candidateBox(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return std::u16string();
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = ::SendMessageW(candidateBox(), LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(buffer.data()));
  if (got == LB_ERR) return std::u16string();
  return win32::U16(buffer.c_str(), static_cast<size_t>(got));
}

int CTunavoDlg::LineCount() {
  return static_cast<int>(::SendMessageW(candidateBox(), LB_GETCOUNT, 0, 0));
}

int CTunavoDlg::Selection() {
  return static_cast<int>(::SendMessageW(candidateBox(), LB_GETCURSEL, 0, 0));
}

void CTunavoDlg::SetSelection(int index) {
  ::SendMessageW(candidateBox(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::u16string CTunavoDlg::CodeText() { return win32::WindowText(codeField()); }

void CTunavoDlg::SetCodeText(std::u16string_view text) {
  const std::u16string copy(text);
  ::SetWindowTextW(codeField(), W(copy));
}

void CTunavoDlg::LimitCodeText(int maxUnits) {
  ::SendMessageW(codeField(), EM_LIMITTEXT, static_cast<WPARAM>(maxUnits), 0);
}

int CTunavoDlg::CheckedCharset() { return win32::RadioGroupIndex(hwnd(), IDC_SIMPLIFIED); }

void CTunavoDlg::CheckCharset(int index) {
  win32::SetRadioGroupIndex(hwnd(), IDC_SIMPLIFIED, index);
}

void CTunavoDlg::EnableSave(bool enabled) { ::EnableWindow(Item(IDC_SAVE), enabled); }

int CTunavoDlg::ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) {
  const std::u16string t(text);
  const std::u16string c(caption);
  return ::MessageBoxW(hwnd(), W(t), W(c), flags);
}

std::vector<std::u16string> CommandLineArguments() {
  std::vector<std::u16string> arguments;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::U16(argv[i]));
  ::LocalFree(argv);
  return arguments;
}

}  // namespace taliq
