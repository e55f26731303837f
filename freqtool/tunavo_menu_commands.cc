// The frequency tool's system-menu commands: the About box and the tool's
// own commands above it.
#include <array>

#include "freqtool/find_dialog_model.h"
#include "freqtool/tunavo_dialog_model.h"

namespace taliq {
namespace {

constexpr std::array kMenuCommands = {
    SystemMenuCommand{kIdmFind, u"查碼(&F)..."},
    SystemMenuCommand{kIdmUndo, u"復原上次儲存(&U)"},
    SystemMenuCommand{kIdmResetCode, u"恢復此碼原始順序(&O)"},
    SystemMenuCommand{kIdmExport, u"匯出調頻記錄(&E)..."},
    SystemMenuCommand{kIdmImport, u"匯入調頻記錄(&I)..."},
    SystemMenuCommand{kIdmHistory, u"調頻歷史(&H)..."},
};

struct CommandHandler {
  unsigned id;
  void (TunavoDialogModel::*handler)();
};

constexpr CommandHandler kHandlers[] = {
    {kIdmFind, &TunavoDialogModel::OnFind},           {kIdmUndo, &TunavoDialogModel::OnUndo},
    {kIdmResetCode, &TunavoDialogModel::OnResetCode}, {kIdmExport, &TunavoDialogModel::OnExport},
    {kIdmImport, &TunavoDialogModel::OnImport},       {kIdmHistory, &TunavoDialogModel::OnHistory},
};

}  // namespace

std::span<const SystemMenuCommand> TunavoDialogModel::SystemMenuCommands() const {
  return kMenuCommands;
}

bool TunavoDialogModel::OnSysCommand(unsigned commandId) {
  if (IsSystemMenuItem(commandId, kIdmAboutBox)) {
    view_->ShowAboutBox();
    return true;
  }
  for (const CommandHandler& command : kHandlers) {
    if (IsSystemMenuItem(commandId, command.id)) {
      (this->*command.handler)();
      return true;
    }
  }
  return false;
}

void TunavoDialogModel::OnFind() {
  // The dictionary the list would show now: the checked character set, the
  // edition in force.
  const DictionaryId id{CharsetFromDigit(view_->CheckedCharset()), edition_};
  FindDialogModel find(platform_, id, store_.ResolveDictionaryFolder(id, false));
  view_->ShowFindDialog(&find);
  if (find.chosen()) ShowHit(*find.chosen(), find.query());
}

void TunavoDialogModel::ShowHit(const FindHit& hit, std::u16string_view text) {
  adjustment_.set_mode(hit.table == TableKind::kCharacters ? ListMode::kSingle : ListMode::kPhrase);
  code_ = hit.code;
  charset_ = hit.dictionary.charset;
  WriteControls();
  Refresh();
  // The hit's position is the line; should the table have changed since the
  // search, the line that holds the text.
  int line = hit.position - 1;
  if (view_->LineText(line) != text) {
    line = -1;
    for (int i = 0; i < view_->LineCount(); ++i) {
      if (view_->LineText(i) == text) {
        line = i;
        break;
      }
    }
  }
  if (line >= 0) view_->SetSelection(line);
}

}  // namespace taliq
